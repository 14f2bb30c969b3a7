#include "app/orvo_view.h"

#include <wx/app.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>

#include "app/child_frame.h"
#include "app/choose_ayanamsa.h"
#include "app/clipboard_mail.h"
#include "app/commands.h"
#include "app/dc_report_canvas.h"
#include "app/enter_data.h"
#include "app/mail_commands.h"
#include "app/main_frame.h"
#include "app/orvo_doc.h"
#include "app/orvo_printout.h"
#include "app/print_settings_dialog.h"
#include "app/report_window.h"
#include "app/timeline_commands.h"
#include "app/timeline_window.h"
#include "document/chart_files.h"
#include "view/print_pages.h"
#include "view/report_layout.h"
#include "view/report_text.h"

namespace {

using namespace tarvella;

const wxColour kOutline(0, 120, 0);
constexpr int kFilledExtent = 1600;

}  // namespace

COrvoView::COrvoView(tarvella::Session& session, wxMDIParentFrame* parentFrame)
    : session_(session), parentFrame_(parentFrame), controller_(session) {
    using namespace tarvella::app;
    using Handler = void (COrvoView::*)(wxCommandEvent&);
    for (const auto& [id, handler] : std::initializer_list<std::pair<int, Handler>>{
             {ID_NEW_WINDOW, &COrvoView::OnNewWindow},
             {ID_ENTER_DATA, &COrvoView::OnEnterData},
             {ID_ENTER_DATA_BUTTON, &COrvoView::OnEnterData},
             {ID_AYANAMSA, &COrvoView::OnAyanamsa},
             {ID_EXPORT_PERIODS, &COrvoView::OnExportPeriods},
             {ID_COPY_PLAIN_TEXT, &COrvoView::OnCopyAsPlainText},
             {ID_EMAIL_SCREEN, &COrvoView::OnEmailScreenAsText},
             {ID_EMAIL_DATA_FILE, &COrvoView::OnEmailDataFile},
             {ID_EXPORT_TIMELINE, &COrvoView::OnExportTimeline}}) {
        Bind(wxEVT_MENU, handler, this, id);
    }
}

bool COrvoView::OnCreate(wxDocument* doc, long) {
    auto* frame = new CChildFrame(doc, this, parentFrame_);
    split_ = new ReportSplit(frame);
    canvas_ = new ReportWindow(*this, split_);
    canvas_->SetExtent({kReportWidth, kReportHeight}, ZoomOfFrame());
    timeline_ = new TimelineWindow(split_, session_,
                                   {[this]() -> const ChartData& { return controller_.Chart(); },
                                    [this](const ChartData& chart) {
                                        controller_.Chart() = chart;
                                        Walked();
                                    },
                                    [this](const std::string& text) {
                                        if (CMainFrame* main = Main()) main->ShowPeriod(text);
                                    }});
    split_->SetPanes(canvas_, timeline_);
    TimelineToggled();
    SetFrame(frame);
    frame->Show();
    Activate(true);
    // The report's keys work from the start, without a click first.
    canvas_->SetFocus();
    return true;
}

bool COrvoView::OnClose(bool deleteWindow) {
    // One of several windows closes alone; the last one closes the document, asking first.
    if (GetDocument() && GetDocument()->GetViewsVector().size() > 1) return true;
    if (!wxView::OnClose(deleteWindow)) return false;
    if (GetDocumentManager()->GetDocumentsVector().size() <= 1) {
        parentFrame_->SetTitle(wxTheApp->GetAppDisplayName());
    }
    return true;
}

COrvoDoc& COrvoView::Doc() const {
    return *static_cast<COrvoDoc*>(GetDocument());
}

CMainFrame* COrvoView::Main() const {
    return dynamic_cast<CMainFrame*>(parentFrame_);
}

void COrvoView::Start() {
    if (started_) return;
    started_ = true;
    highlightScroll_ = canvas_->GetViewStart();
    COrvoDoc& doc = Doc();
    doc.SetChangingView(this);
    const StartOutcome outcome = LoadChartAndPreferences(session_, doc, controller_.Chart());
    doc.SetChangingView(nullptr);
    controller_.ChartChanged();
    if (!outcome.written) {
        wxLogError("Could not write the chart and preference files in \"%s\".",
                   std::filesystem::path(session_.lastDataPath).parent_path().string());
    }
    if (CMainFrame* main = Main()) main->TellDamagedCopies(outcome.damagedCopies);
    ShowAyanamsa();
    OnChangeFilename();
    canvas_->Refresh();
    FollowChart();
}

void COrvoView::ShowAyanamsa() const {
    if (CMainFrame* main = Main()) main->ShowAyanamsa(AyanamsaLabel(session_.preferences));
}

void COrvoView::OnDraw(wxDC* dc) {
    const auto begin = std::chrono::steady_clock::now();
    // The whole report in its units, scaled on the way to the screen: fonts, rows and boxes.
    const double zoom = canvas_->Zoom();
    dc->SetUserScale(zoom, zoom);
    dc->SetPen(*wxTRANSPARENT_PEN);
    dc->SetBrush(wxBrush(kReportBackground));
    dc->DrawRectangle(0, 0, kFilledExtent, kFilledExtent);
    DrawReportOnScreen(*dc);
    if (onPainted) {
        onPainted(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }
}

void COrvoView::DrawReportOnScreen(wxDC& dc) {
    // A print job in progress owns the chart's drawing state; the window shows only its background.
    if (print_.printing || !started_) {
        controller_.PaintedNothing();
        return;
    }
    // Measured only when the texts may have changed: measuring every line costs a repaint more.
    const bool measure = measureExtent_;
    DcReportCanvas canvas(dc, measure);
    DrawReportModel(canvas, print_, controller_.Report());
    DrawHighlight(dc);
    if (!measure) return;
    measureExtent_ = false;
    // Room to scroll to whatever reaches past the report's area, such as a long error line.
    const wxSize reach(std::max(kReportWidth, canvas.Extent().x + 8),
                       std::max(kReportHeight, canvas.Extent().y + 8));
    canvas_->CallAfter([this, reach] { canvas_->SetExtent(reach, ZoomOfFrame()); });
}

std::string COrvoView::ShownText() {
    return started_ ? ReportText(controller_.Report()) : std::string();
}

void COrvoView::ShowSecondsChanged() {
    if (!canvas_) return;
    measureExtent_ = true;
    canvas_->Refresh(false);
    FollowChart();
}

void COrvoView::TimelineToggled() {
    split_->ShowTimeline(session_.timeline);
    ShowNow();
}

void COrvoView::ClockTicked() {
    if (timeline_) timeline_->ClockTicked();
    ShowNow();
}

void COrvoView::FollowChart() {
    timeline_->ChartChanged();
    ShowNow();
}

void COrvoView::ShowNow() {
    CMainFrame* main = Main();
    if (!started_ || !main || GetDocumentManager()->GetCurrentView() != this) return;
    // The pane comes with the timeline, so that the bar keeps its room for the prompts.
    main->ShowNow(session_.timeline ? timeline_->NowText() : std::string());
}

tarvella::ReportPoint COrvoView::ReportPointAt(wxPoint client) const {
    const wxPoint scroll = canvas_->CalcUnscrolledPosition(wxPoint(0, 0));
    return tarvella::ReportPointAt(client.x, client.y, scroll.x, scroll.y, canvas_->Zoom());
}

double COrvoView::ZoomOfFrame() const {
    const CMainFrame* main = Main();
    return main ? main->ZoomPercent() / 100.0 : 1.0;
}

// The box under the last known pointer position, drawn over the report just painted.
void COrvoView::DrawHighlight(wxDC& dc) {
    const std::optional<OutlineBox> box =
        controller_.Outline(controller_.PaintedHighlight(ReportPointAt(lastMouse_)));
    if (!box) return;
    highlightScroll_ = canvas_->GetViewStart();
    dc.SetPen(wxPen(kOutline, 1));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(box->left, box->top, box->right - box->left, box->bottom - box->top);
}

void COrvoView::RefreshOutline(int hit) {
    if (const std::optional<OutlineBox> box = controller_.Outline(hit)) canvas_->RefreshBox(*box);
}

// The status bar names the period now pointed at, or says nothing of any.
void COrvoView::ShowStatus() {
    const std::optional<std::string> text = controller_.TakeStatus();
    if (CMainFrame* main = Main(); text && main) main->ShowPeriod(*text);
}

void COrvoView::MouseLeft() {
    controller_.PointerLeft();
    ShowStatus();
}

bool COrvoView::KeyDown(int key, int modifiers) {
    const std::optional<ReportKey> reportKey = ReportKeyOf(key);
    if (!started_ || modifiers != wxMOD_NONE || !reportKey) return false;
    const ReportController::KeyResult result = controller_.KeyPressed(*reportKey);
    if (!result.handled) return false;
    if (result.highlightMoved) {
        RefreshOutline(result.from);
        RefreshOutline(result.to);
        ShowStatus();
        if (const std::optional<OutlineBox> box = controller_.Outline(result.to)) {
            canvas_->ScrollToShow(*box);
        }
    }
    if (result.chartChanged) Walked();
    return true;
}

void COrvoView::MouseMove(wxPoint client) {
    if (!started_) return;
    // The keys keep the highlight from a pointer that did not move.
    if (controller_.KeyboardHolds() && client == lastMouse_) return;
    lastMouse_ = client;
    const ReportController::Move move = controller_.PointerMoved(
        ReportPointAt(client), canvas_->GetViewStart() != highlightScroll_);
    ShowStatus();
    if (!move.repaint) return;
    RefreshOutline(move.from);
    RefreshOutline(move.to);
    highlightScroll_ = canvas_->GetViewStart();
}

void COrvoView::MouseDown(wxPoint client) {
    if (!started_) return;
    lastMouse_ = client;
    if (controller_.Clicked(ReportPointAt(client))) Walked();
}

void COrvoView::SaveChart() {
    COrvoDoc& doc = Doc();
    doc.SetChangingView(this);
    const bool written = SaveLastData(session_, doc, controller_.Chart());
    doc.SetChangingView(nullptr);
    if (!written) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.",
                   session_.lastDataPath);
    }
}

void COrvoView::Walked() {
    SaveChart();
    RedrawReport();
}

// From the top, as after any change of the chart; the next paint draws it.
void COrvoView::RedrawReport() {
    measureExtent_ = true;
    controller_.StartOver();
    ShowStatus();
    canvas_->Scroll(0, 0);
    canvas_->Refresh(false);
    FollowChart();
}

void COrvoView::OnUpdate(wxView*, wxObject*) {
    if (!canvas_) return;
    measureExtent_ = true;
    // The zoom may have changed: the area keeps its units and takes the new scale.
    canvas_->SetExtent(canvas_->ExtentUnits(), ZoomOfFrame());
    canvas_->Refresh(false);
}

void COrvoView::OnNewWindow(wxCommandEvent&) {
    wxDocument* doc = GetDocument();
    if (auto* view = dynamic_cast<COrvoView*>(doc->GetDocumentTemplate()->CreateView(doc))) {
        view->Start();
    }
}

// The main window's caption names the active document, as its tab does.
void COrvoView::ShowTitle() {
    parentFrame_->SetTitle(wxTheApp->GetAppDisplayName() + " - " +
                           GetDocument()->GetUserReadableName());
}

void COrvoView::OnChangeFilename() {
    wxView::OnChangeFilename();
    if (GetDocumentManager()->GetCurrentView() == this) ShowTitle();
}

void COrvoView::OnActivateView(bool activate, wxView*, wxView*) {
    if (!activate) return;
    ShowTitle();
    ShowNow();
}

// Printing and preview.

wxPrintout* COrvoView::OnCreatePrintout() {
    wxPrintData& data = GetDocumentManager()->GetPageSetupDialogData().GetPrintData();
    if (split_->IsSplit() && wxWindow::FindFocus() == timeline_) {
        return TimelinePrintout(*timeline_, data,
                                GetDocument()->GetUserReadableName().utf8_string());
    }
    TurnPageBack(data);
    return new COrvoPrintout(*this, true);
}

void COrvoView::OnPreparePrinting() {
    ++printJobs_;
    print_.printing = true;
}

int COrvoView::OnBeginPrinting(wxSize pagePixels, wxWindow* settingsParent) {
    print_.pageWidth = pagePixels.x;
    print_.pageHeight = pagePixels.y;
    if (settingsParent) AskPrintSettings(settingsParent, session_);
    return PrintPageCount(session_.preferences.printAllLevels, controller_.Chart().level);
}

void COrvoView::OnPrint(wxDC& dc, int page, wxSize pagePixels, int pageCount) {
    print_.pageWidth = pagePixels.x;
    print_.pageHeight = pagePixels.y;
    PrintReportPage(dc, print_, session_, controller_.Chart(),
                    GetDocument()->GetUserReadableName().utf8_string(), page, pageCount);
}

void COrvoView::OnEndPrinting() {
    if (printJobs_ == 0 || --printJobs_ > 0) return;
    print_.printing = false;
    // Printing the event report took its step on the chart.
    controller_.ChartChanged();
    if (canvas_) canvas_->Refresh(false);
}

// ---- Commands ----

void COrvoView::OnEnterData(wxCommandEvent&) {
    if (started_ && EnterData(GetFrame(), session_, Doc(), controller_.Chart())) Walked();
}

void COrvoView::OnAyanamsa(wxCommandEvent&) {
    if (!started_ || !ChooseAyanamsa(GetFrame(), session_)) return;
    ShowAyanamsa();
    RedrawReport();
}

void COrvoView::AyanamsaChanged() {
    if (!started_) return;
    ComputeSunFields(session_, controller_.Chart());
    controller_.ChartChanged();
    measureExtent_ = true;
    canvas_->Refresh(false);
    FollowChart();
}

void COrvoView::OnExportPeriods(wxCommandEvent&) {
    if (!started_ || !RunExportPeriodsDialog(GetFrame(), exportChoice_)) return;
    ExportPeriods(GetFrame(), session_, controller_.Chart(), exportChoice_,
                  Doc().GetUserReadableName().utf8_string());
}

void COrvoView::OnCopyAsPlainText(wxCommandEvent&) {
    tarvella::app::CopyTextToClipboard(GetFrame(), ShownText());
}

void COrvoView::OnEmailScreenAsText(wxCommandEvent&) {
    MailScreenText(parentFrame_, Doc(), ShownText());
}

void COrvoView::OnEmailDataFile(wxCommandEvent&) {
    MailDataFile(parentFrame_, Doc());
}

void COrvoView::OnExportTimeline(wxCommandEvent&) {
    if (started_)
        ExportTimeline(GetFrame(), session_, *timeline_, Doc().GetUserReadableName().utf8_string());
}
