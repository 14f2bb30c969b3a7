#include "app/orvo_app.h"

#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/docview.h>
#include <wx/fileconf.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/persist/toplevel.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/commands.h"
#include "app/instance.h"
#include "app/main_frame.h"
#include "app/orvo_doc.h"
#include "app/orvo_printout.h"
#include "app/orvo_view.h"
#include "app/splash.h"
#include "core/sun_ephemeris.h"
#include "document/chart_files.h"
#include "document/data_dir.h"
#include "view/window_geometry.h"

namespace {

using namespace tarvella::app;

constexpr int kRecentFiles = 8;
const char* const kRecentFilesGroup = "/Recent File List";

class CDocManager : public wxDocManager {
  public:
    CDocManager() {
        Bind(wxEVT_MENU, &CDocManager::OnFileClose, this, ID_FILE_CLOSE);
        // The toolbar's buttons stay while no document is open; the views handle the commands.
        for (int id : {ID_FILE_CLOSE, ID_ENTER_DATA_BUTTON, ID_ENTER_DATA, ID_AYANAMSA,
                       ID_COPY_PLAIN_TEXT, ID_EMAIL_SCREEN, ID_EMAIL_DATA_FILE}) {
            Bind(wxEVT_UPDATE_UI, &CDocManager::OnUpdateDisableIfNoDoc, this, id);
        }
    }

    // Untitled documents are VKT1, VKT2, ...
    wxString MakeNewDocumentName() override { return wxString::Format("VKT%d", ++untitled_); }
    wxFileHistory* OnCreateFileHistory() override { return new wxFileHistory(kRecentFiles); }
    // The one document type opens whatever file it is given, whatever its extension.
    wxDocTemplate* FindTemplateForPath(const wxString&) override {
        return GetTemplates().empty() ? nullptr
                                      : static_cast<wxDocTemplate*>(GetTemplates().front());
    }

  private:
    int untitled_ = 0;
};

class CDocTemplate : public wxDocTemplate {
  public:
    CDocTemplate(wxDocManager* manager, tarvella::Session& session)
        : wxDocTemplate(manager, "Tarvella Data", "*.vkt", "", "vkt", "VKT", "VKT", nullptr,
                        nullptr),
          session_(session) {}

    void SetParentFrame(wxMDIParentFrame* frame) { frame_ = frame; }
    std::function<void(double)> onPainted;

    // A file that is not a chart gets no window at all, not one that opens and closes again.
    wxDocument* CreateDocument(const wxString& path, long flags) override {
        if (!path.empty() && !(flags & wxDOC_NEW) &&
            !IsChartOrSayWhy(path, tarvella::ReadChartFile(std::string(path.fn_str())))) {
            return nullptr;
        }
        return wxDocTemplate::CreateDocument(path, flags);
    }

  protected:
    wxDocument* DoCreateDocument() override { return new COrvoDoc; }
    wxView* DoCreateView() override {
        auto* view = new COrvoView(session_, frame_);
        view->onPainted = onPainted;
        return view;
    }

  private:
    tarvella::Session& session_;
    wxMDIParentFrame* frame_ = nullptr;
};

// For tests: a message box that only informs is written to standard error and taken as
// confirmed, so a script reads what the user would; questions still come up.
class MessagesToStderr final : public wxModalDialogHook {
  protected:
    int Enter(wxDialog* dialog) override {
        const auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
        if (!box || (box->GetMessageDialogStyle() & (wxYES_NO | wxCANCEL))) return wxID_NONE;
        std::fprintf(stderr, "%s: %s\n", static_cast<const char*>(box->GetTitle().utf8_str()),
                     static_cast<const char*>(box->GetMessage().utf8_str()));
        return wxID_OK;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

wxIMPLEMENT_APP(COrvoApp);

COrvoApp::COrvoApp() {
    Bind(wxEVT_MENU, &COrvoApp::OnAbout, this, wxID_ABOUT);
}
COrvoApp::~COrvoApp() = default;

void COrvoApp::OnInitCmdLine(wxCmdLineParser& parser) {
    wxApp::OnInitCmdLine(parser);
    parser.AddSwitch("", "no-splash", "start without the splash screen");
    parser.AddSwitch("", "print",
                     "print the document on the default printer without any dialog, then end");
    parser.AddOption("", "print-to",
                     "print the document into the PDF file given without any dialog, then end");
    // For tests: messages on standard error instead of message boxes.
    parser.AddSwitch("", "messages-to-stderr", "", wxCMD_LINE_HIDDEN);
    // For the bench: times the drawing of the first report and of repaints, then ends.
    parser.AddSwitch("", "timing", "", wxCMD_LINE_HIDDEN);
    parser.AddParam("document", wxCMD_LINE_VAL_STRING,
                    wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE);
}

// Help asked for is a success: the usage, then the end, with exit code 0.
bool COrvoApp::OnCmdLineHelp(wxCmdLineParser& parser) {
    parser.Usage();
    endAtOnce_ = true;
    return true;
}

bool COrvoApp::OnCmdLineParsed(wxCmdLineParser& parser) {
    if (!wxApp::OnCmdLineParsed(parser)) return false;
    splash_ = !parser.Found("no-splash");
    messagesToStderr_ = parser.Found("messages-to-stderr");
    timing_ = parser.Found("timing");
    messagesToStderr_ = messagesToStderr_ || timing_;
    for (size_t i = 0; i < parser.GetParamCount(); ++i) files_.push_back(parser.GetParam(i));
    printOnPrinter_ = parser.Found("print");
    printToPdf_ = parser.Found("print-to", &pdfPath_);
    if (!printOnPrinter_ && !printToPdf_) return true;
    // A print run shows no window: its messages go to standard error.
    messagesToStderr_ = true;
    splash_ = false;
    const char* problem = nullptr;
    if (printOnPrinter_ && printToPdf_) problem = "Give either --print or --print-to, not both.";
    if (printToPdf_ && pdfPath_.empty()) problem = "--print-to needs the name of a PDF file.";
    if (files_.size() != 1) problem = "Printing needs exactly one document.";
    if (problem) std::fprintf(stderr, "%s\n", problem);
    return problem == nullptr;
}

bool COrvoApp::OnInit() {
    SetAppName("tarvella");
    SetAppDisplayName("Tarvella");
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    if (!wxApp::OnInit()) return false;
    if (endAtOnce_) return true;
    // A write beyond the file size limit then fails and is reported, instead of ending the
    // process with every open document.
    std::signal(SIGXFSZ, SIG_IGN);
    if (messagesToStderr_) {
        delete wxLog::SetActiveTarget(new wxLogStderr);
        messageHook_ = std::make_unique<MessagesToStderr>();
        messageHook_->Register();
    }

    // A print run stays out of the running copy's way: it neither hands its document over nor
    // takes new ones.
    if (!Printing()) {
        instance_ = std::make_unique<InstanceLink>();
        if (instance_->AnotherIsRunning()) {
            instance_->HandOver(files_);
            endAtOnce_ = true;
            return true;
        }
    }

    const std::string dataDir =
        tarvella::UserDataDirectory(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (!tarvella::MakeDataDirectory(dataDir)) return Fatal(tarvella::kNoDataDirMessage);
    // A run that ended while writing leaves its temporary file; a print run leaves them to the
    // copy that runs.
    if (!Printing()) tarvella::RemoveLeftoverTemporaries(dataDir);
    session_.lastDataPath = dataDir + "/" + tarvella::kLastDataFileName;
    session_.prefFilePath = dataDir + "/" + tarvella::kPrefFileName;
    const std::string exe(wxStandardPaths::Get().GetExecutablePath().fn_str());
    if (session_.ephemeris.Open(tarvella::SunFilePathFor(exe)) != tarvella::SunFileStatus::Ok) {
        return Fatal(tarvella::kSunFileMissingMessage);
    }

    docManager_ = new CDocManager;
    auto* docTemplate = new CDocTemplate(docManager_, session_);
    if (timing_) {
        docTemplate->onPainted = [this, first = true](double ms) mutable {
            if (!first) return;
            first = false;
            std::fprintf(stderr, "tarvella-timing painted %.3f\n", ms);
            CallAfter(&COrvoApp::StartTiming);
        };
    }
    // The profile is ~/.config/tarvella.conf; its directory may not exist yet in a new home.
    {
        wxLogNull quiet;
        wxFileName::Mkdir(wxFileName(wxFileConfig::GetLocalFileName(GetAppName())).GetPath(),
                          wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    }
    // A print run leaves the recent files as they were.
    if (!Printing()) {
        wxConfigBase* config = wxConfigBase::Get();
        config->SetPath(kRecentFilesGroup);
        docManager_->FileHistoryLoad(*config);
        config->SetPath("/");
    }

    const wxRect screen = wxDisplay(0u).GetGeometry();
    const tarvella::WindowRect place = tarvella::MainWindowGeometry(
        screen.GetLeft(), screen.GetTop(), screen.GetRight() + 1, screen.GetBottom() + 1);
    frame_ = new CMainFrame(docManager_, wxRect(place.x, place.y, place.width, place.height));
    // Back where the user left it, on the screen as it is now; a print run leaves it alone.
    if (!Printing()) {
        frame_->SetName("MainWindow");
        wxPersistenceManager::Get().RegisterAndRestore(frame_);
        const wxRect area = wxDisplay(frame_).GetClientArea();
        const wxRect r = frame_->GetRect();
        const tarvella::WindowRect kept = tarvella::ClampToScreen(
            {r.x, r.y, r.width, r.height}, {area.x, area.y, area.width, area.height});
        if (!frame_->IsMaximized()) frame_->SetSize(kept.x, kept.y, kept.width, kept.height);
    }
    docTemplate->SetParentFrame(frame_);
    SetTopWindow(frame_);
    if (Printing()) {
        wxDocument* doc = docManager_->CreateDocument(files_[0], wxDOC_SILENT);
        if (!doc) {
            wxLog::FlushActive();
            return false;
        }
        CallAfter([this, doc] { PrintAndEnd(*doc); });
        return true;
    }
    instance_->Listen([this](const wxArrayString& files) { OpenFiles(files); });
    // The splash shows the main window when it goes; without it nothing else would.
    if (splash_) {
        new CSplashWindow(frame_);
    } else {
        frame_->Show();
    }

    if (files_.empty()) return docManager_->CreateNewDocument() != nullptr;
    if (OpenFiles(files_)) return true;
    // The reason is shown now, while the application can still show it.
    wxLog::FlushActive();
    return false;
}

bool COrvoApp::OpenFiles(const wxArrayString& files) {
    bool any = false;
    for (const wxString& file : files) {
        any = docManager_->CreateDocument(file, wxDOC_SILENT) != nullptr || any;
    }
    return any;
}

// The message comes before any window; the process then ends with exit code 0.
bool COrvoApp::Fatal(const char* message) {
    if (messagesToStderr_) {
        std::fprintf(stderr, "%s: %s\n", tarvella::kFatalCaption, message);
    } else {
        wxMessageDialog(nullptr, message, tarvella::kFatalCaption, wxOK | wxICON_STOP).ShowModal();
    }
    endAtOnce_ = true;
    // A print run that printed nothing says so.
    if (Printing()) exitCode_ = 1;
    return true;
}

int COrvoApp::OnRun() {
    const int code = endAtOnce_ ? 0 : wxApp::OnRun();
    return exitCode_ != 0 ? exitCode_ : code;
}

int COrvoApp::OnExit() {
    if (docManager_) {
        wxConfigBase* config = wxConfigBase::Get();
        if (!Printing()) {
            config->SetPath(kRecentFilesGroup);
            docManager_->FileHistorySave(*config);
            config->SetPath("/");
        }
        // Written now, while a failure can still be told through the application's log.
        delete wxConfigBase::Set(nullptr);
        delete docManager_;
        docManager_ = nullptr;
    }
    return wxApp::OnExit();
}

// The document printed without a dialog; the run then ends as after Exit, asking nothing.
void COrvoApp::PrintAndEnd(wxDocument& doc) {
    auto* view = dynamic_cast<COrvoView*>(doc.GetFirstView());
    const wxPrintData& printData = docManager_->GetPageSetupDialogData().GetPrintData();
    const bool printed = view && (printToPdf_ ? PrintToPdf(*view, printData, pdfPath_)
                                              : PrintOnPrinter(*view, printData));
    if (!printed) exitCode_ = 1;
    for (wxDocument* d : docManager_->GetDocumentsVector()) d->Modify(false);
    frame_->Close(true);
}

void COrvoApp::OnAbout(wxCommandEvent&) {
    ShowAboutBox(frame_);
}

// Repaints of the report shown: drawn off the screen, then through the window, and the run ends.
void COrvoApp::StartTiming() {
    auto* view = dynamic_cast<COrvoView*>(docManager_->GetCurrentView());
    if (!view) return;
    using Clock = std::chrono::steady_clock;
    wxBitmap bitmap(550, 460);
    wxMemoryDC dc(bitmap);
    std::vector<double> drawn;
    for (int i = 0; i < 50; ++i) {
        const auto begin = Clock::now();
        view->OnDraw(&dc);
        drawn.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    }
    std::vector<double> painted;
    view->onPainted = [&painted](double ms) { painted.push_back(ms); };
    wxWindow* window = view->GetFrame();
    for (int i = 0; i < 20; ++i) {
        window->Refresh();
        window->Update();
    }
    view->onPainted = nullptr;
    std::fprintf(stderr, "tarvella-timing repaint %.3f %.3f %zu\n", Median(drawn),
                 painted.empty() ? 0.0 : Median(painted), painted.size());
    for (wxDocument* doc : docManager_->GetDocumentsVector()) doc->Modify(false);
    frame_->Close(true);
}
