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
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/commands.h"
#include "app/export_periods_dialog.h"
#include "app/file_names.h"
#include "app/instance.h"
#include "app/main_frame.h"
#include "app/orvo_doc.h"
#include "app/orvo_printout.h"
#include "app/orvo_view.h"
#include "app/platform_shell.h"
#include "app/splash.h"
#include "core/sun_ephemeris.h"
#include "document/chart_files.h"
#include "document/data_dir.h"
#include "document/kept_documents.h"
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
            !IsChartOrSayWhy(path, tarvella::ReadChartFile(tarvella::app::FileNameBytes(path)))) {
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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

namespace {

// Each report window of every document.
void ForEachReportView(wxDocManager& manager, const std::function<void(COrvoView&)>& visit) {
    for (wxDocument* doc : manager.GetDocumentsVector()) {
        for (wxView* view : doc->GetViewsVector()) {
            if (auto* report = dynamic_cast<COrvoView*>(view)) visit(*report);
        }
    }
}

}  // namespace

// Every modal dialog open, innermost last, so that a signal can end them before the program.
// For tests, a message box that only informs is instead written to standard error and taken as
// confirmed, so a script reads what the user would; questions still come up.
class ModalDialogs final : public wxModalDialogHook {
  public:
    explicit ModalDialogs(bool toStderr) : toStderr_(toStderr) {}

    // True while a dialog is open; the innermost one is asked, once, to end as by Cancel. Nested
    // loops end one at a time, innermost first.
    bool EndInnermost() {
        if (open_.empty()) return false;
        wxDialog* dialog = open_.back();
        if (dialog == ending_) return true;
        ending_ = dialog;
        if (dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
        } else {
            EndNativeDialog(*dialog);
        }
        return true;
    }

  protected:
    int Enter(wxDialog* dialog) override {
        const auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
        if (toStderr_ && box && !(box->GetMessageDialogStyle() & (wxYES_NO | wxCANCEL))) {
            std::fprintf(stderr, "%s: %s\n", static_cast<const char*>(box->GetTitle().utf8_str()),
                         static_cast<const char*>(box->GetMessage().utf8_str()));
            return wxID_OK;
        }
        open_.push_back(dialog);
        return wxID_NONE;
    }

    void Exit(wxDialog* dialog) override {
        std::erase(open_, dialog);
        if (dialog == ending_) ending_ = nullptr;
    }

  private:
    bool toStderr_;
    std::vector<wxDialog*> open_;
    wxDialog* ending_ = nullptr;
};

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
    IgnoreFileSizeLimitSignal();
    if (messagesToStderr_) delete wxLog::SetActiveTarget(new wxLogStderr);
    dialogs_ = std::make_unique<ModalDialogs>(messagesToStderr_);
    dialogs_->Register();

    // A print run stays out of the running copy's way: it neither hands its document over nor
    // takes new ones.
    if (!Printing()) {
        instance_ = std::make_unique<InstanceLink>();
        switch (instance_->HandOverOrTakeLock(files_)) {
            case InstanceLink::Outcome::Run:
                break;
            case InstanceLink::Outcome::HandedOver:
                endAtOnce_ = true;
                return true;
            case InstanceLink::Outcome::NoAnswer:
                TellNotHandedOver(files_);
                endAtOnce_ = true;
                exitCode_ = 1;
                return true;
            case InstanceLink::Outcome::NoLock:
                wxMessageBox(wxString::Format("Tarvella cannot take its lock \"%s\": %s.",
                                              instance_->LockPath(),
                                              wxString::FromUTF8(instance_->LockProblem())),
                             GetAppDisplayName(), wxOK | wxICON_ERROR);
                endAtOnce_ = true;
                exitCode_ = 1;
                return true;
        }
        HandleEndSignals();
    }

    const std::string dataDir = tarvella::DefaultUserDataDirectory();
    if (!tarvella::MakeDataDirectory(dataDir)) return Fatal(tarvella::kNoDataDirMessage);
    // A run that ended while writing leaves its temporary file; a print run leaves them to the
    // copy that runs.
    session_.writeFoldersPath = dataDir + "/" + tarvella::kWriteFoldersFileName;
    if (!Printing()) {
        tarvella::RemoveLeftoverTemporaries(dataDir);
        tarvella::RemoveRememberedLeftovers(session_.writeFoldersPath);
    }
    session_.lastDataPath = dataDir + "/" + tarvella::kLastDataFileName;
    session_.prefFilePath = dataDir + "/" + tarvella::kPrefFileName;
    const std::string exe =
        tarvella::app::FileNameBytes(wxStandardPaths::Get().GetExecutablePath());
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
    BindViewToggles();
    // What every window must follow reaches them through the session, which knows none of them.
    session_.listeners.push_back([this](tarvella::SessionChange change) {
        using tarvella::SessionChange;
        ForEachReportView(*docManager_, [change](COrvoView& view) {
            switch (change) {
                case SessionChange::ShowSeconds:
                    view.ShowSecondsChanged();
                    break;
                case SessionChange::Timeline:
                    view.TimelineToggled();
                    break;
                case SessionChange::Clock:
                    view.ClockTicked();
                    break;
                // Precise instants move every chart's Sun, as a new ayanamsa does.
                case SessionChange::Ayanamsa:
                case SessionChange::Precise:
                    view.AyanamsaChanged();
                    break;
            }
        });
    });
    clock_.Bind(wxEVT_TIMER,
                [this](wxTimerEvent&) { session_.Tell(tarvella::SessionChange::Clock); });
    clock_.Start(60 * 1000);
    if (Printing()) {
        wxDocument* doc = docManager_->CreateDocument(files_[0], wxDOC_SILENT);
        if (!doc) {
            wxLog::FlushActive();
            return false;
        }
        CallAfter([this, doc] { PrintAndEnd(*doc); });
        return true;
    }
    // Hand-overs stop with the main window: files taken later would never be opened.
    frame_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() != frame_) return;
        frame_ = nullptr;
        instance_->StopListening();
    });
    const std::string unheard =
        instance_->Listen([this](const wxArrayString& files) { return TakeHandOver(files); });
    // The splash shows the main window when it goes; without it nothing else would.
    if (splash_) {
        new CSplashWindow(frame_);
    } else {
        frame_->Show();
    }
    TellKeptDocuments();
    if (!unheard.empty()) frame_->Notice(wxString::FromUTF8(unheard));

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

bool COrvoApp::TakeHandOver(const wxArrayString& files) {
    if (!frame_ || IsScheduledForDestruction(frame_) || endingBySignal_) return false;
    // Opened once the socket's event is over: opening may show dialogs.
    if (!files.empty()) CallAfter([this, files] { OpenFiles(files); });
    return true;
}

void COrvoApp::TellNotHandedOver(const wxArrayString& files) {
    wxString message = "Tarvella is already running but does not answer.";
    if (!files.empty()) message << " These files were not opened:";
    for (const wxString& file : files) {
        wxFileName name(file);
        name.MakeAbsolute();
        message << '\n' << name.GetFullPath();
    }
    wxMessageBox(message, GetAppDisplayName(), wxOK | wxICON_EXCLAMATION);
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

void COrvoApp::OnEndSignal(int signal) {
    static_cast<COrvoApp*>(wxTheApp)->EndBySignal(signal);
}

void COrvoApp::EndBySignal(int signal) {
    if (endingBySignal_) return;
    endingBySignal_ = true;
    session_.ending = true;
    endSignal_ = signal;
    KeepModifiedDocuments();
    CloseAfterSignal();
}

// Nobody answers the question whether to save: each modified document is written into the data
// directory instead, and told on standard error now and in the next run's status bar.
void COrvoApp::KeepModifiedDocuments() {
    if (!docManager_) return;
    std::vector<tarvella::ModifiedDocument> modified;
    for (wxDocument* document : docManager_->GetDocumentsVector()) {
        auto* doc = dynamic_cast<COrvoDoc*>(document);
        if (!doc || !doc->IsModified()) continue;
        modified.push_back(
            {tarvella::app::FileNameBytes(doc->GetUserReadableName()), doc->ChartImage()});
        doc->Modify(false);
    }
    const tarvella::KeptDocuments kept =
        tarvella::KeepModifiedDocuments(DataDirectory(), modified, endSignal_);
    for (const std::string& message : kept.messages) {
        std::fprintf(
            stderr, "%s\n",
            static_cast<const char*>(tarvella::app::FileNameFromBytes(message).utf8_str()));
    }
    if (!kept.allKept) exitCode_ = 1;
}

void COrvoApp::CloseAfterSignal() {
    // An export gives up at its next step and returns to the event loop; only then can the
    // windows it uses go.
    if (session_.busy > 0) {
        CallAfter(&COrvoApp::CloseAfterSignal);
        return;
    }
    constexpr int kTries = 200;
    if (dialogs_->EndInnermost()) {
        if (++closeTries_ < kTries) {
            CallAfter(&COrvoApp::CloseAfterSignal);
            wxMilliSleep(10);
            return;
        }
        // A dialog that cannot be ended from here: the documents are kept already, and the lock
        // and the socket go; the rest of the shutdown would wait on the dialog.
        std::fprintf(stderr, "A dialog did not close; the program ends without it.\n");
        instance_.reset();
        std::_Exit(exitCode_);
    }
    // Changes made while the dialogs ended.
    KeepModifiedDocuments();
    if (frame_) frame_->Close(true);
    // The frame goes at the next idle time, which no event may bring after a signal.
    WakeUpIdle();
}

// Once, the documents kept at the end of an earlier run.
void COrvoApp::TellKeptDocuments() {
    const std::string text = tarvella::TakeKeptDocumentsNotice(DataDirectory());
    // The status bar of the main window, or standard error under test, as other notices go.
    if (!text.empty()) frame_->Notice(tarvella::app::FileNameFromBytes(text));
}

std::string COrvoApp::DataDirectory() const {
    return tarvella::app::FileNameBytes(wxFileName(session_.lastDataPath).GetPath());
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
    // The socket and the lock file go.
    instance_.reset();
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

void COrvoApp::BindViewToggles() {
    // The Precise instants key is kept here rather than in pref.vkp, whose format stays.
    const struct {
        int id;
        const char* key;
        bool tarvella::Session::*flag;
        tarvella::SessionChange change;
    } toggles[] = {
        {ID_VIEW_SECONDS, "/View/ShowSeconds", &tarvella::Session::showSeconds,
         tarvella::SessionChange::ShowSeconds},
        {ID_VIEW_PRECISE, "/View/PreciseInstants", &tarvella::Session::precise,
         tarvella::SessionChange::Precise},
        {ID_VIEW_TIMELINE, "/View/Timeline", &tarvella::Session::timeline,
         tarvella::SessionChange::Timeline},
    };
    for (const auto& t : toggles) {
        session_.*t.flag = wxConfigBase::Get()->ReadBool(t.key, false);
        frame_->Bind(
            wxEVT_MENU,
            [this, t](wxCommandEvent& event) {
                session_.*t.flag = event.IsChecked();
                // Kept at once: a run that ends by a signal or a crash keeps the choice too.
                wxConfigBase::Get()->Write(t.key, session_.*t.flag);
                wxConfigBase::Get()->Flush();
                session_.Tell(t.change);
            },
            t.id);
        frame_->Bind(
            wxEVT_UPDATE_UI, [this, t](wxUpdateUIEvent& event) { event.Check(session_.*t.flag); },
            t.id);
    }
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
