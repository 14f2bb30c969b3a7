#include "app/main_frame.h"

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/config.h>
#include <wx/docview.h>
#include <wx/filename.h>
#include <wx/infobar.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/stdpaths.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>
#include <string>
#include <utility>

#include "app/art.h"
#include "app/commands.h"
#include "app/platform_shell.h"
#include "document/chart_files.h"
#include "view/report_geometry.h"

namespace {

using namespace tarvella::app;

constexpr int kRecentFilesId = wxID_HIGHEST + 1;
// The status bar: prompts, the periods running now, the ayanamsa in force, then CAP, NUM and
// SCRL.
constexpr int kPanes = 6;
constexpr int kNowPane = 1;
constexpr int kAyanamsaPane = 2;
constexpr int kFirstKeyPane = 3;
const char* const kZoomKey = "/View/Zoom";
const char* const kIdleText = "For Help, press F1";

wxMenuItem* Item(wxMenu* menu, int id, const char* text, const char* prompt) {
    return menu->Append(id, text, prompt);
}

wxMenu* FileMenu(bool documentOpen, bool mail) {
    auto* m = new wxMenu;
    Item(m, wxID_NEW, "&New\tCtrl+N", "Create a new document");
    Item(m, wxID_OPEN, "&Open...\tCtrl+O", "Open an existing document");
    if (documentOpen) {
        Item(m, ID_FILE_CLOSE, "&Close\tCtrl+W", "Close the active document");
        Item(m, wxID_SAVE, "&Save\tCtrl+S", "Save the active document");
        Item(m, wxID_SAVEAS, "Save &As...", "Save the active document with a new name");
        Item(m, ID_EXPORT_PERIODS, "Expor&t periods...",
             "Write every period down to a tier as CSV, JSON or iCalendar");
        Item(m, ID_EXPORT_TIMELINE, "Export t&imeline...",
             "Write the timeline as it is shown as an SVG drawing or a PNG image");
        m->AppendSeparator();
        Item(m, wxID_PRINT, "&Print...\tCtrl+P", "Print the active document");
        Item(m, wxID_PREVIEW, "Print Pre&view", "Display full pages");
        Item(m, wxID_PRINT_SETUP, "Print Set&up...", "Change the printer and printing options");
        if (mail) {
            m->AppendSeparator();
            Item(m, ID_EMAIL_SCREEN, "&Email screen as text attachment\tCtrl+E",
                 "e-mail screen as plain text attachment");
            Item(m, ID_EMAIL_DATA_FILE, "E&mail data file as attachment\tCtrl+M",
                 "e-mail data file as an attachment to a friend who has this program");
        }
    } else {
        m->AppendSeparator();
        Item(m, wxID_PRINT_SETUP, "P&rint Setup...", "Change the printer and printing options");
    }
    m->AppendSeparator();
    m->Append(kRecentFilesId, "Recent &Files", new wxMenu, "Open a recently used document");
    m->AppendSeparator();
    Item(m, ID_APP_EXIT, "E&xit\tCtrl+Q", "Quit the application; prompts to save documents");
    return m;
}

}  // namespace

wxMenu* RecentFilesMenu(wxMenu* fileMenu) {
    return fileMenu->FindItem(kRecentFilesId)->GetSubMenu();
}

wxMenuBar* MakeMenuBar(bool documentOpen, bool mail) {
    auto* bar = new wxMenuBar;
    bar->Append(FileMenu(documentOpen, mail), "&File");
    if (documentOpen) {
        // GTK has no commands on the menu bar itself: each of these is a menu of one command.
        auto* data = new wxMenu;
        Item(data, ID_ENTER_DATA, "Enter &data...\tCtrl+D", "Enter data");
        bar->Append(data, "&Data");
        auto* ayanamsa = new wxMenu;
        Item(ayanamsa, ID_AYANAMSA, "Set &ayanamsa...\tCtrl+A", "Set ayanamsa");
        bar->Append(ayanamsa, "&Ayanamsa");
        auto* copy = new wxMenu;
        Item(copy, ID_COPY_PLAIN_TEXT, "&Copy as plain text\tCtrl+C",
             "Copy what is on screen as plain text (for pasting to other programs)");
        bar->Append(copy, "&Copy");
    }
    auto* view = new wxMenu;
    view->AppendCheckItem(ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar");
    view->AppendCheckItem(ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar");
    view->AppendCheckItem(ID_VIEW_SECONDS, "Show s&econds",
                          "Show the start and end times to the second");
    view->AppendCheckItem(ID_VIEW_PRECISE, "&Precise instants",
                          "Find each instant to a twentieth of a second");
    view->AppendCheckItem(ID_VIEW_TIMELINE, "T&imeline\tCtrl+T",
                          "Show the MD and every tier below it on a timeline");
    view->AppendSeparator();
    Item(view, ID_ZOOM_IN, "Zoom &In\tCtrl++", "Show the report larger");
    Item(view, ID_ZOOM_OUT, "Zoom &Out\tCtrl+-", "Show the report smaller");
    Item(view, ID_ZOOM_ACTUAL, "&Actual Size\tCtrl+0", "Show the report at its own size");
    bar->Append(view, "&View");
    if (documentOpen) {
        auto* window = new wxMenu;
        Item(window, ID_NEW_WINDOW, "&New Window", "Open another window for the active document");
        AddWindowArrangement(window);
        bar->Append(window, "&Window");
    }
    auto* help = new wxMenu;
    Item(help, wxID_HELP_CONTENTS, "&Help Topics\tF1", "List Help topics");
    help->AppendSeparator();
    Item(help, wxID_ABOUT, "&About Orvo...",
         "Display program information, version number and copyright");
    bar->Append(help, "&Help");
    return bar;
}

CMainFrame::CMainFrame(wxDocManager* manager, const wxRect& rect)
    : wxDocMDIParentFrame(manager, nullptr, wxID_ANY, wxTheApp->GetAppDisplayName(),
                          rect.GetPosition(), rect.GetSize(), MainFrameStyle()) {
    if (std::string program = FindMailProgram(); !program.empty()) {
        mailer_ = std::make_unique<Mailer>(std::move(program));
    }
    wxMenuBar* bar = MakeMenuBar(false, false);
    manager->FileHistoryUseMenu(RecentFilesMenu(bar->GetMenu(0)));
    manager->FileHistoryAddFilesToMenu(RecentFilesMenu(bar->GetMenu(0)));
    SetMenuBar(bar);
    MakeToolBar();
    CreateStatusBar(kPanes);
    // The notices above the tabs of the documents, which take the rest.
    noticeBar_ = new wxInfoBar(this);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(noticeBar_, wxSizerFlags().Expand());
    column->Add(GetClientWindow(), wxSizerFlags(1).Expand());
    SetSizer(column);
    ShowAyanamsa("");
    SetStatusText(kIdleText);
    SetIcons(ApplicationIcon());
    DragAcceptFiles(true);
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        Bind(wxEVT_MENU, &CMainFrame::OnToggleBar, this, id);
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateToggleBar, this, id);
    }
    for (int id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ACTUAL}) {
        Bind(wxEVT_MENU, &CMainFrame::OnZoom, this, id);
    }
    // The plus of the number row is a shifted key on most keyboards: Ctrl+= and the keypad's
    // keys zoom as well.
    wxAcceleratorEntry keys[] = {{wxACCEL_CTRL, '=', ID_ZOOM_IN},
                                 {wxACCEL_CTRL, WXK_NUMPAD_ADD, ID_ZOOM_IN},
                                 {wxACCEL_CTRL, WXK_NUMPAD_SUBTRACT, ID_ZOOM_OUT},
                                 {wxACCEL_CTRL, WXK_NUMPAD0, ID_ZOOM_ACTUAL}};
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
    zoomPercent_ = tarvella::ZoomStep(
        static_cast<int>(wxConfigBase::Get()->ReadLong(kZoomKey, tarvella::kActualSize)), 0);
    Bind(wxEVT_MENU, &CMainFrame::OnHelpTopics, this, wxID_HELP_CONTENTS);
    Bind(wxEVT_MENU, &CMainFrame::OnExit, this, ID_APP_EXIT);
    Bind(wxEVT_DROP_FILES, &CMainFrame::OnDropFiles, this);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter(&CMainFrame::FitNotices);
        CallAfter(&CMainFrame::FitPanes);
    });
}

void CMainFrame::MakeToolBar() {
    wxToolBar* bar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    struct Button {
        int id;
        wxArtID art;
        const char* tip;
        const char* prompt;
    };
    const Button buttons[] = {
        {wxID_NEW, wxART_NEW, "New", "Create a new document"},
        {wxID_OPEN, wxART_FILE_OPEN, "Open", "Open an existing document"},
        {wxID_SAVE, wxART_FILE_SAVE, "Save", "Save the active document"},
        {wxID_SEPARATOR, {}, nullptr, nullptr},
        {wxID_PRINT, wxART_PRINT, "Print", "Print the active document"},
        {wxID_SEPARATOR, {}, nullptr, nullptr},
        {ID_ENTER_DATA_BUTTON, wxART_EDIT, "Enter data",
         "Enter birthdata, mahadasa details and event data"},
        {wxID_SEPARATOR, {}, nullptr, nullptr},
        {ID_COPY_PLAIN_TEXT, wxART_COPY, "Copy as plain text",
         "Copy what is on screen as plain text (for pasting to other programs)"},
        {ID_EMAIL_SCREEN, "mail-send", "e-mail as plain text",
         "e-mail screen as plain text attachment"},
        {ID_EMAIL_DATA_FILE, "mail-attachment", "e-mail data file",
         "e-mail data file as an attachment to a friend who has this program"},
        {wxID_SEPARATOR, {}, nullptr, nullptr},
        {wxID_ABOUT, wxART_INFORMATION, "About",
         "Display program information, version number and copyright"},
    };
    for (const Button& b : buttons) {
        const bool mail = b.id == ID_EMAIL_SCREEN || b.id == ID_EMAIL_DATA_FILE;
        if (mail && !mailer_) continue;
        if (b.id == wxID_SEPARATOR) {
            bar->AddSeparator();
            continue;
        }
        wxBitmapBundle art = wxArtProvider::GetBitmapBundle(b.art, wxART_TOOLBAR);
        if (!art.IsOk()) art = wxArtProvider::GetBitmapBundle(wxART_MISSING_IMAGE, wxART_TOOLBAR);
        bar->AddTool(b.id, b.tip, art, b.tip, wxITEM_NORMAL)->SetLongHelp(b.prompt);
    }
    bar->Realize();
}

void CMainFrame::OnToggleBar(wxCommandEvent& event) {
    wxWindow* bar = event.GetId() == ID_VIEW_TOOLBAR ? static_cast<wxWindow*>(GetToolBar())
                                                     : static_cast<wxWindow*>(GetStatusBar());
    bar->Show(!bar->IsShown());
    SendSizeEvent();
}

void CMainFrame::OnUpdateToggleBar(wxUpdateUIEvent& event) {
    const wxWindow* bar = event.GetId() == ID_VIEW_TOOLBAR
                              ? static_cast<const wxWindow*>(GetToolBar())
                              : static_cast<const wxWindow*>(GetStatusBar());
    event.Check(bar->IsShown());
}

// The README stands in for a help file: beside the program's data when installed, in the
// build tree's copy otherwise.
void CMainFrame::OnHelpTopics(wxCommandEvent&) {
    wxFileName readme(wxStandardPaths::Get().GetExecutablePath());
    readme.AppendDir("..");
    readme.AppendDir("share");
    readme.AppendDir("doc");
    readme.AppendDir("tarvella");
    readme.SetFullName("README.md");
    readme.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    if (!readme.FileExists()) {
        wxLogError("Cannot find the help file \"%s\".", readme.GetFullPath());
        return;
    }
    if (!wxLaunchDefaultBrowser(wxFileName::FileNameToURL(readme))) {
        wxLogError("Cannot open the help file \"%s\".", readme.GetFullPath());
    }
}

void CMainFrame::OnExit(wxCommandEvent&) {
    Close();
}

void CMainFrame::OnDropFiles(wxDropFilesEvent& event) {
    for (int i = 0; i < event.GetNumberOfFiles(); ++i) {
        GetDocumentManager()->CreateDocument(event.GetFiles()[i], wxDOC_SILENT);
    }
}

void CMainFrame::ShowPeriod(const std::string& text) {
    SetStatusText(text.empty() ? RestingText() : wxString::FromUTF8(text), 0);
}

wxString CMainFrame::RestingText() const {
    return notices_.empty() ? wxString(kIdleText) : notices_;
}

void CMainFrame::Notice(const wxString& text) {
    wxLogStatus(this, "%s", text);
    notices_ += (notices_.empty() ? "" : "  ") + text;
    SetStatusText(notices_, 0);
    noticeLines_ += (noticeLines_.empty() ? "" : "\n") + text;
    noticeBar_->ShowMessage(noticeLines_, wxICON_INFORMATION);
    FitNotices();
}

// Said in the status bar and the notice bar, not in a box: nothing waits on the user, and the
// copy is safe.
void CMainFrame::TellDamagedCopies(const std::vector<std::string>& copies) {
    for (const std::string& copy : copies) {
        const std::string damaged =
            copy.substr(0, copy.size() - tarvella::DamagedCopyPath("").size());
        Notice(wxString::Format("\"%s\" was damaged and is kept as \"%s\".", damaged, copy));
    }
}

// The bar's label wraps to its width, but its height is asked before it wraps: it gets room for
// every line as wrapped at the window's width, and a line to spare for breaks at words.
void CMainFrame::FitNotices() {
    if (!noticeBar_->IsShown()) return;
    const int width = std::max(FromDIP(100), GetClientSize().x - FromDIP(160));
    int lines = 1;
    for (const wxString& line : wxSplit(noticeLines_, '\n', '\0')) {
        lines += 1 + noticeBar_->GetTextExtent(line).x / width;
    }
    noticeBar_->SetMinSize(wxSize(-1, lines * noticeBar_->GetCharHeight() + FromDIP(16)));
    Layout();
}

void CMainFrame::OnZoom(wxCommandEvent& event) {
    const int id = event.GetId();
    const int zoom = id == ID_ZOOM_ACTUAL
                         ? tarvella::kActualSize
                         : tarvella::ZoomStep(zoomPercent_, id == ID_ZOOM_IN ? 1 : -1);
    if (zoom == zoomPercent_) return;
    zoomPercent_ = zoom;
    wxConfigBase::Get()->Write(kZoomKey, zoomPercent_);
    for (wxDocument* doc : GetDocumentManager()->GetDocumentsVector()) doc->UpdateAllViews();
    SetStatusText(wxString::Format("Zoom %d%%", zoomPercent_), 0);
}

void CMainFrame::ShowAyanamsa(const std::string& label) {
    ayanamsa_ = wxString::FromUTF8(label);
    FitPanes();
}

void CMainFrame::ShowNow(const std::string& text) {
    const wxString now = wxString::FromUTF8(text);
    if (now == now_) return;
    now_ = now;
    FitPanes();
}

void CMainFrame::FitPanes() {
    wxStatusBar* status = GetStatusBar();
    if (!status) return;
    const auto fit = [&](const wxString& text) {
        return text.empty() ? 0 : status->GetTextExtent(text).x + FromDIP(16);
    };
    // The periods running now take their width, but leave the prompts at least half of what the
    // ayanamsa and the keys leave: the period pointed at is told there.
    const int ayanamsa = fit(ayanamsa_);
    const int room = status->GetClientSize().x - ayanamsa - 3 * 40;
    const int now = std::min(fit(now_), std::max(0, room / 2));
    const int widths[kPanes] = {-1, now, ayanamsa, 40, 40, 40};
    status->SetStatusWidths(kPanes, widths);
    status->SetStatusText(now_, kNowPane);
    status->SetStatusText(ayanamsa_, kAyanamsaPane);
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    ShowKeyStates();
    event.Skip();
}

// The CAP, NUM and SCRL panes follow the keyboard's lock indicators (an X display only under
// GTK).
void CMainFrame::ShowKeyStates() {
    wxStatusBar* status = GetStatusBar();
    const char* const names[] = {"CAP", "NUM", "SCRL"};
    if (!status) return;
    const int states = KeyLockStates();
    if (states == keyStates_) return;
    keyStates_ = states;
    for (int i = 0; i < 3; ++i) {
        status->SetStatusText(states >> i & 1 ? names[i] : "", kFirstKeyPane + i);
    }
}
