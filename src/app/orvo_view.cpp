#include "app/orvo_view.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/log.h>
#include <wx/scrolwin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>

#include "app/ayanamsa_dialog.h"
#include "app/child_frame.h"
#include "app/commands.h"
#include "app/data_dialog.h"
#include "app/export.h"
#include "app/main_frame.h"
#include "app/orvo_doc.h"
#include "app/orvo_printout.h"
#include "app/print_settings_dialog.h"
#include "document/chart_files.h"
#include "document/field_exchange.h"
#include "engine/report_model.h"
#include "view/mail_attachment.h"
#include "view/period_status.h"
#include "view/print_pages.h"
#include "view/report_geometry.h"
#include "view/report_layout.h"
#include "view/report_text.h"

namespace {

using namespace tarvella;

const wxColour kBackground(255, 255, 240);
const wxColour kOutline(0, 120, 0);
constexpr int kFilledExtent = 1600;
constexpr int kRowPitch = kReportGeometry.rowPitch;

// A font height is the whole cell, ascent plus descent, as the report's metrics assume; Pango
// sizes the em, and Arial's cell is 2288/2048 of its em.
int EmPixels(int cellHeight) {
    return static_cast<int>(std::lround(cellHeight * 2048.0 / 2288.0));
}

// Draws the report's texts on a wx device context. The average character width is honoured on
// Windows, whose fonts take one; elsewhere it is left to the face: Pango has no per-font
// horizontal scale, and Arial's own width is close to what the report asks for. A font or colour is
// set only when it changes: on GTK each setting builds a new Pango font, which would take most of a
// repaint.
class DcReportCanvas final : public ReportCanvas {
  public:
    // With `measureExtent`, it also finds how far the texts reach, at some cost in speed.
    explicit DcReportCanvas(wxDC& dc, bool measureExtent = false)
        : dc_(dc), measureExtent_(measureExtent) {}

    // The right and bottom edges of everything drawn, in report units.
    wxSize Extent() const { return extent_; }

    void DrawText(std::string_view text, const TextRect& r, int align, const ReportFont& font,
                  Rgb colour) override {
#ifdef __WXMSW__
        const int width = font.width;
#else
        const int width = 0;
#endif
        const FontKey key{std::string(font.face), font.weight, font.height, width};
        if (key != font_) {
            font_ = key;
            dc_.SetFont(wxFont(wxFontInfo(wxSize(width, EmPixels(font.height)))
                                   .FaceName(wxString(font.face.data(), font.face.size()))
                                   .Weight(font.weight)));
            lineHeight_ = dc_.GetCharHeight();
        }
        if (colour != colour_) {
            colour_ = colour;
            dc_.SetTextForeground(wxColour(colour.red, colour.green, colour.blue));
        }
        // One DrawText per line, each aligned in the rectangle and clipped to it.
        const wxRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        const ClipTo clip(dc_, rect);
        int y = rect.y;
        for (std::size_t begin = 0; begin <= text.size() && y < rect.GetBottom();) {
            std::size_t end = text.find("\r\n", begin);
            if (end == std::string_view::npos) end = text.size();
            if (end > begin) {
                wxString line = wxString::FromUTF8(text.data() + begin, end - begin);
                if (line.empty()) line = wxString::From8BitData(text.data() + begin, end - begin);
                int x = rect.x;
                const bool measure = align != kAlignLeft || measureExtent_;
                const int width = measure ? dc_.GetTextExtent(line).x : 0;
                if (align != kAlignLeft) {
                    x += align == kAlignCentre ? (rect.width - width) / 2 : rect.width - width;
                }
                dc_.DrawText(line, x, y);
                if (measureExtent_) {
                    extent_.x = std::max(extent_.x, std::min(x + width, rect.GetRight() + 1));
                    extent_.y =
                        std::max(extent_.y, std::min(y + lineHeight_, rect.GetBottom() + 1));
                }
            }
            begin = end + 2;
            y += lineHeight_;
        }
    }

  private:
    // Through the graphics state where the DC has one: a DC's own clipping region, once
    // destroyed, leaves the DC clipped to its size, and the context of a PDF page has none.
    class ClipTo {
      public:
        ClipTo(wxDC& dc, const wxRect& rect) : gc_(dc.GetGraphicsContext()) {
            if (gc_) {
                gc_->PushState();
                gc_->Clip(rect.x, rect.y, rect.width, rect.height);
            } else {
                clipper_.emplace(dc, rect);
            }
        }
        ~ClipTo() {
            if (gc_) gc_->PopState();
        }
        ClipTo(const ClipTo&) = delete;
        ClipTo& operator=(const ClipTo&) = delete;

      private:
        wxGraphicsContext* gc_;
        std::optional<wxDCClipper> clipper_;
    };

    struct FontKey {
        std::string face;
        int weight = -1;
        int height = -1;
        int width = -1;
        bool operator==(const FontKey&) const = default;
    };
    wxDC& dc_;
    bool measureExtent_;
    wxSize extent_{0, 0};
    FontKey font_;
    int lineHeight_ = 0;
    Rgb colour_{-1, -1, -1};
};

}  // namespace

// The scrolling window that shows a view's report.
class ReportWindow : public wxScrolledCanvas {
  public:
    ReportWindow(COrvoView& view, wxWindow* parent)
        : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition,
                           wxSize(kReportWidth, kReportHeight)),
          view_(view) {
        SetBackgroundColour(kBackground);
        // Scrollbars once the window has a size: GTK warns about scrollbars laid out in the
        // zero-sized pages of a main window that is still hidden behind the splash.
        Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
            if (!scrolling_ && e.GetSize().x > 1 && e.GetSize().y > 1 && IsShownOnScreen()) {
                scrolling_ = true;
                ApplyExtent();
            }
            e.Skip();
        });
        Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
            if (!view_.KeyDown(e.GetKeyCode(), e.GetModifiers())) e.Skip();
        });
        Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
            view_.MouseLeft();
            e.Skip();
        });
        Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
            SetFocus();  // the keys of the report go where the user clicked
            view_.MouseDown(e.GetPosition());
            e.Skip();
        });
        Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
            view_.MouseMove(e.GetPosition());
            e.Skip();
        });
        // A line of scrolling is a row of the report, not one of its pixel units.
        Bind(wxEVT_SCROLLWIN_LINEUP,
             [this](wxScrollWinEvent& e) { ScrollRows(e.GetOrientation(), -1); });
        Bind(wxEVT_SCROLLWIN_LINEDOWN,
             [this](wxScrollWinEvent& e) { ScrollRows(e.GetOrientation(), 1); });
        Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& e) {
            wheel_ += e.GetWheelRotation();
            const int notches = wheel_ / e.GetWheelDelta();
            wheel_ -= notches * e.GetWheelDelta();
            const bool vertical = e.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL;
            ScrollRows(vertical ? wxVERTICAL : wxHORIZONTAL,
                       (vertical ? -notches : notches) * e.GetLinesPerAction());
        });
    }
    void OnDraw(wxDC& dc) override { view_.OnDraw(&dc); }

    // The area the report takes, in report units, at the zoom given: scrolled over as a whole.
    void SetExtent(wxSize units, double zoom) {
        // A window painted is on the screen: its scrollbars can be laid out now.
        const bool start = !scrolling_ && IsShownOnScreen() && GetClientSize().x > 1;
        if (!start && units == units_ && zoom == zoom_) return;
        units_ = units;
        zoom_ = zoom;
        scrolling_ = scrolling_ || start;
        if (scrolling_) ApplyExtent();
    }
    double Zoom() const { return zoom_; }
    wxSize ExtentUnits() const { return units_; }

    // After a scroll the box under the pointer belongs elsewhere: the whole report is redrawn.
    void ScrollWindow(int dx, int dy, const wxRect* rect) override {
        wxScrolledCanvas::ScrollWindow(dx, dy, rect);
        Refresh(false);
    }

  private:
    void ApplyExtent() {
        const wxPoint start = GetViewStart();
        SetScrollbars(1, 1, static_cast<int>(std::lround(units_.x * zoom_)),
                      static_cast<int>(std::lround(units_.y * zoom_)), start.x, start.y);
    }

    void ScrollRows(int orientation, int rows) {
        if (rows == 0) return;
        const wxPoint start = GetViewStart();
        const int pitch = static_cast<int>(std::lround(kRowPitch * zoom_));
        if (orientation == wxVERTICAL) {
            Scroll(-1, std::max(0, start.y + rows * pitch));
        } else {
            Scroll(std::max(0, start.x + rows * pitch), -1);
        }
    }

    COrvoView& view_;
    int wheel_ = 0;
    bool scrolling_ = false;
    wxSize units_{kReportWidth, kReportHeight};
    double zoom_ = 1.0;
};

COrvoView::COrvoView(tarvella::Session& session, wxMDIParentFrame* parentFrame)
    : session_(session), parentFrame_(parentFrame) {
    Bind(wxEVT_MENU, &COrvoView::OnNewWindow, this, tarvella::app::ID_NEW_WINDOW);
    BindDataCommands();
    BindExportCommands();
}

bool COrvoView::OnCreate(wxDocument* doc, long) {
    auto* frame = new CChildFrame(doc, this, parentFrame_);
    canvas_ = new ReportWindow(*this, frame);
    canvas_->SetExtent({kReportWidth, kReportHeight}, ZoomOfFrame());
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

void COrvoView::Start() {
    if (started_) return;
    started_ = true;
    highlightScroll_ = canvas_->GetViewStart();
    highlightRow_ = kNoHighlight;
    COrvoDoc& doc = Doc();
    doc.SetChangingView(this);
    const StartOutcome outcome = LoadChartAndPreferences(session_, doc, chart_);
    doc.SetChangingView(nullptr);
    if (!outcome.written) {
        wxLogError("Could not write the chart and preference files in \"%s\".",
                   std::filesystem::path(session_.lastDataPath).parent_path().string());
    }
    // Said in the status bar, not in a box: nothing waits on the user, and the copy is safe.
    auto* main = dynamic_cast<CMainFrame*>(parentFrame_);
    for (const std::string& copy : outcome.damagedCopies) {
        const std::string damaged = copy.substr(0, copy.size() - DamagedCopyPath("").size());
        const wxString text =
            wxString::Format("\"%s\" was damaged and is kept as \"%s\".", damaged, copy);
        if (main) {
            main->Notice(text);
        } else {
            wxLogStatus("%s", text);
        }
    }
    ShowAyanamsa();
    OnChangeFilename();
    canvas_->Refresh();
}

void COrvoView::ShowAyanamsa() const {
    if (auto* main = dynamic_cast<CMainFrame*>(parentFrame_)) {
        main->ShowAyanamsa(AyanamsaLabel(session_.preferences));
    }
}

void COrvoView::OnDraw(wxDC* dc) {
    const auto begin = std::chrono::steady_clock::now();
    // The whole report in its units, scaled on the way to the screen: fonts, rows and boxes.
    const double zoom = canvas_->Zoom();
    dc->SetUserScale(zoom, zoom);
    dc->SetPen(*wxTRANSPARENT_PEN);
    dc->SetBrush(wxBrush(kBackground));
    dc->DrawRectangle(0, 0, kFilledExtent, kFilledExtent);
    DrawReportOnScreen(*dc);
    if (onPainted) {
        onPainted(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }
}

void COrvoView::DrawReportOnScreen(wxDC& dc) {
    highlightRow_ = kNoHighlight;
    // A print job in progress owns the chart's drawing state; the window shows only its background.
    if (print_.printing || !started_) return;
    // Measured only when the texts may have changed: measuring every line costs a repaint more.
    const bool measure = measureExtent_;
    DcReportCanvas canvas(dc, measure);
    SunContext sun = session_.Sun();
    const ReportModel report = ShownReport(sun, chart_.level);
    ApplyReport(chart_, report);
    DrawReportModel(canvas, print_, report);
    DrawHighlight(dc);
    if (!measure) return;
    measureExtent_ = false;
    // Room to scroll to whatever reaches past the report's area, such as a long error line.
    const wxSize reach(std::max(kReportWidth, canvas.Extent().x + 8),
                       std::max(kReportHeight, canvas.Extent().y + 8));
    canvas_->CallAfter([this, reach] { canvas_->SetExtent(reach, ZoomOfFrame()); });
}

std::string COrvoView::ShownText() {
    if (!started_) return {};
    SunContext sun = session_.Sun();
    return ReportText(ShownReport(sun, chart_.level));
}

ReportModel COrvoView::ShownReport(SunContext& sun, int level) const {
    ReportModel report = BuildReport(sun, chart_, level);
    report.seconds = session_.showSeconds;
    return report;
}

void COrvoView::ShowSecondsChanged() {
    measureExtent_ = true;
    if (canvas_) canvas_->Refresh(false);
}

tarvella::ReportPoint COrvoView::ReportPointAt(wxPoint client) const {
    const wxPoint p = canvas_->CalcUnscrolledPosition(client);
    const double zoom = canvas_->Zoom();
    return {static_cast<int>(std::floor(p.x / zoom)), static_cast<int>(std::floor(p.y / zoom))};
}

double COrvoView::ZoomOfFrame() const {
    const auto* main = dynamic_cast<const CMainFrame*>(parentFrame_);
    return main ? main->ZoomPercent() / 100.0 : 1.0;
}

// The box under the last known pointer position, drawn over the report just painted.
void COrvoView::DrawHighlight(wxDC& dc) {
    const ReportPoint p = ReportPointAt(lastMouse_);
    OutlineBox box;
    if (chart_.level == kEventLevel) {
        highlightRow_ = keyboard_ ? keyHighlight_ : eventHover_ ? ColumnAtPoint(p) : kNoHighlight;
        if (highlightRow_ == kNoHighlight) return;
        box = ColumnOutline(highlightRow_);
    } else {
        highlightRow_ = keyboard_ ? keyHighlight_ : RowAtPoint(p, chart_.level);
        if (!RowIsOutlined(chart_.level, highlightRow_)) return;
        box = RowOutline(highlightRow_);
    }
    highlightScroll_ = canvas_->GetViewStart();
    dc.SetPen(wxPen(kOutline, 1));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(box.left, box.top, box.right - box.left, box.bottom - box.top);
}

void COrvoView::RefreshOutline(int hit) {
    if (hit == kNoHighlight) return;
    const OutlineBox box = chart_.level == kEventLevel ? ColumnOutline(hit) : RowOutline(hit);
    const double z = canvas_->Zoom();
    const auto scaled = [z](int v) { return static_cast<int>(std::lround(v * z)); };
    const wxPoint topLeft =
        canvas_->CalcScrolledPosition(wxPoint(scaled(box.left), scaled(box.top)));
    const wxSize size(scaled(box.right - box.left), scaled(box.bottom - box.top));
    canvas_->RefreshRect(wxRect(topLeft, size).Inflate(2), false);
}

// The status bar names the period now pointed at, or says nothing of any.
void COrvoView::ShowPointedPeriod(int hit) {
    auto* main = dynamic_cast<CMainFrame*>(parentFrame_);
    if (!main || hit == pointedPeriod_) return;
    pointedPeriod_ = hit;
    std::string text;
    if (hit != kNoHighlight) {
        SunContext sun = session_.Sun();
        const ReportModel report = BuildReport(sun, chart_);
        text = report.IsEvent() ? EventColumnStatusText(sun, report, hit)
                                : RowStatusText(sun, report, hit);
    }
    main->ShowPeriod(text);
}

void COrvoView::MouseLeft() {
    if (!keyboard_) ShowPointedPeriod(kNoHighlight);
}

// The keyboard's highlight moved, or the keys left it for the pointer.
void COrvoView::MoveKeyHighlight(int to) {
    RefreshOutline(highlightRow_);
    keyboard_ = true;
    keyHighlight_ = to;
    RefreshOutline(to);
    ShowPointedPeriod(to);
    if (to == kNoHighlight) return;
    // Scrolled so that the highlight is in view.
    const OutlineBox box = chart_.level == kEventLevel ? ColumnOutline(to) : RowOutline(to);
    const double z = canvas_->Zoom();
    const wxSize client = canvas_->GetClientSize();
    wxPoint start = canvas_->GetViewStart();
    const int top = static_cast<int>(box.top * z), bottom = static_cast<int>(box.bottom * z);
    if (top < start.y) start.y = top;
    if (bottom > start.y + client.y) start.y = bottom - client.y;
    canvas_->Scroll(-1, std::max(0, start.y));
}

bool COrvoView::KeyDown(int key, int modifiers) {
    if (!started_ || modifiers != wxMOD_NONE) return false;
    const bool event = chart_.level == kEventLevel;
    const int current = keyboard_ ? keyHighlight_ : highlightRow_;
    bool changed = false;
    switch (key) {
        case WXK_DOWN:
        case WXK_UP:
            if (event) return false;
            MoveKeyHighlight(NextRowHighlight(chart_.level, current, key == WXK_DOWN ? 1 : -1));
            return true;
        case WXK_LEFT:
        case WXK_RIGHT: {
            if (!event) return false;
            SunContext sun = session_.Sun();
            const ReportModel report = BuildReport(sun, chart_);
            MoveKeyHighlight(NextColumnHighlight(report.event, current, key == WXK_RIGHT ? 1 : -1));
            return true;
        }
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            if (current == kNoHighlight) return true;
            if (event) {
                SunContext sun = session_.Sun();
                const ReportModel report = BuildReport(sun, chart_);
                ApplyReport(chart_, report);
                changed = ApplyEventClick(chart_, current, report.event);
            } else {
                changed = ApplyRowClick(chart_, current);
            }
            break;
        case WXK_BACK:
            if (event) return false;
            changed = ApplyRowClick(chart_, kLevelUpRow);
            break;
        case WXK_HOME: {
            if (event) return false;
            PeriodPath path = PathOf(chart_);
            changed = path.level != 1;
            path.level = 1;
            SetPath(chart_, path);
            break;
        }
        default:
            return false;
    }
    if (changed) {
        SaveChart();
        RedrawReport();
    }
    return true;
}

void COrvoView::MouseMove(wxPoint client) {
    if (!started_) return;
    // A move of the pointer takes the highlight back from the keyboard.
    if (keyboard_ && client == lastMouse_) return;
    keyboard_ = false;
    lastMouse_ = client;
    const ReportPoint p = ReportPointAt(client);
    const bool event = chart_.level == kEventLevel;
    const int hit = event ? ColumnAtPoint(p) : RowAtPoint(p, chart_.level);
    eventHover_ = event;
    ShowPointedPeriod(hit);
    if (hit == highlightRow_ && canvas_->GetViewStart() == highlightScroll_) return;
    RefreshOutline(highlightRow_);
    RefreshOutline(hit);
    highlightRow_ = hit;
    highlightScroll_ = canvas_->GetViewStart();
}

void COrvoView::MouseDown(wxPoint client) {
    if (!started_) return;
    keyboard_ = false;
    lastMouse_ = client;
    const ReportPoint p = ReportPointAt(client);
    bool changed = false;
    if (chart_.level == kEventLevel) {
        const int column = ColumnAtPoint(p);
        if (column == kNoHighlight) return;
        SunContext sun = session_.Sun();
        const ReportModel report = BuildReport(sun, chart_);
        ApplyReport(chart_, report);
        changed = ApplyEventClick(chart_, column, report.event);
    } else {
        changed = ApplyRowClick(chart_, RowAtPoint(p, chart_.level));
    }
    if (!changed) return;
    SaveChart();
    RedrawReport();
}

void COrvoView::SaveChart() {
    COrvoDoc& doc = Doc();
    doc.SetChangingView(this);
    const bool written = SaveLastData(session_, doc, chart_);
    doc.SetChangingView(nullptr);
    if (!written) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.",
                   session_.lastDataPath);
    }
}

// From the top, as after any change of the chart; the next paint draws it.
void COrvoView::RedrawReport() {
    measureExtent_ = true;
    eventHover_ = false;
    keyHighlight_ = kNoHighlight;
    pointedPeriod_ = -1;  // the same place may now be another period
    ShowPointedPeriod(kNoHighlight);
    canvas_->Scroll(0, 0);
    canvas_->Refresh(false);
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
}

// Printing and preview.

wxPrintout* COrvoView::OnCreatePrintout() {
    return new COrvoPrintout(*this, true);
}

void COrvoView::OnPreparePrinting() {
    ++printJobs_;
    print_.printing = true;
}

int COrvoView::OnBeginPrinting(wxSize pagePixels, wxWindow* settingsParent) {
    print_.pageWidth = pagePixels.x;
    print_.pageHeight = pagePixels.y;
    if (settingsParent && RunPrintSettingsDialog(settingsParent, session_.preferences) &&
        !SavePreferences(session_)) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.",
                   session_.prefFilePath);
    }
    return PrintPageCount(session_.preferences.printAllLevels, chart_.level);
}

void COrvoView::OnPrint(wxDC& dc, int page, wxSize pagePixels, int pageCount) {
    print_.pageWidth = pagePixels.x;
    print_.pageHeight = pagePixels.y;
    print_.colorPrinting = session_.preferences.colorPrinting == 1;
    print_.lowerHalf = false;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(0, 0, kFilledExtent, kFilledExtent);

    DcReportCanvas canvas(dc);
    constexpr TextRect kHeading{8, -5, 500, 30};
    constexpr ReportFont kHeadingFont{"Arial", 250, 12, 4};
    const std::string title(GetDocument()->GetUserReadableName().utf8_str());
    DrawReportText(canvas, print_, HeadingTitle(title), kHeading, kAlignLeft, kHeadingFont, {});
    DrawReportText(canvas, print_, PageNumberText(page, pageCount), kHeading, kAlignRight,
                   kHeadingFont, {});

    // Each level is the report of the chart's own path of selected periods at that level.
    SunContext sun = session_.Sun();
    for (const PrintedLevel& printed :
         LevelsOnPage(session_.preferences.printAllLevels, chart_.level, page)) {
        const ReportModel report = ShownReport(sun, printed.level);
        ApplyReport(chart_, report);
        print_.lowerHalf = printed.lowerHalf == 1;
        DrawReportModel(canvas, print_, report);
    }
    print_.lowerHalf = false;
}

void COrvoView::OnEndPrinting() {
    if (printJobs_ == 0 || --printJobs_ > 0) return;
    print_.printing = false;
    if (canvas_) canvas_->Refresh(false);
}

// ---- Data entry and the ayanamsa ----

void COrvoView::BindDataCommands() {
    using namespace tarvella::app;
    for (int id : {ID_ENTER_DATA, ID_ENTER_DATA_BUTTON}) {
        Bind(wxEVT_MENU, &COrvoView::OnEnterData, this, id);
    }
    Bind(wxEVT_MENU, &COrvoView::OnAyanamsa, this, ID_AYANAMSA);
}

void COrvoView::OnEnterData(wxCommandEvent&) {
    if (!started_) return;
    ZoneNames zones = Doc().PickedZones();
    const auto eventNote = [this](const ChartData& entered) {
        ChartData chart = entered;
        ComputeSunFields(session_, chart);
        SunContext sun = session_.Sun();
        return EventOutsideMdText(sun, chart);
    };
    if (!RunDataDialog(GetFrame(), chart_, zones, eventNote)) return;
    Doc().SetPickedZones(zones);
    ComputeSunFields(session_, chart_);
    SaveChart();
    RedrawReport();
}

void COrvoView::OnAyanamsa(wxCommandEvent&) {
    if (!started_) return;
    if (!RunAyanamsaDialog(GetFrame(), session_.preferences)) return;
    session_.ApplyPreferences();
    // Every chart's Sun was placed under the old ayanamsa, and the periods are measured from it:
    // a window left with its old Sun would show times that belong to neither setting.
    for (wxDocument* doc : GetDocumentManager()->GetDocumentsVector()) {
        for (wxView* view : doc->GetViewsVector()) {
            if (auto* orvo = dynamic_cast<COrvoView*>(view)) orvo->AyanamsaChanged(this);
        }
    }
    if (!SavePreferences(session_)) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.",
                   session_.prefFilePath);
    }
    ShowAyanamsa();
    RedrawReport();
}

void COrvoView::AyanamsaChanged(COrvoView* sender) {
    if (!started_) return;
    ComputeSunFields(session_, chart_);
    measureExtent_ = true;
    if (this != sender) canvas_->Refresh(false);
}

// Copy as plain text and mail.

void COrvoView::BindExportCommands() {
    using namespace tarvella::app;
    Bind(wxEVT_MENU, &COrvoView::OnExportPeriods, this, ID_EXPORT_PERIODS);
    Bind(wxEVT_MENU, &COrvoView::OnCopyAsPlainText, this, ID_COPY_PLAIN_TEXT);
    Bind(wxEVT_MENU, &COrvoView::OnEmailScreenAsText, this, ID_EMAIL_SCREEN);
    Bind(wxEVT_MENU, &COrvoView::OnEmailDataFile, this, ID_EMAIL_DATA_FILE);
}

void COrvoView::OnExportPeriods(wxCommandEvent&) {
    if (!started_) return;
    if (!RunExportPeriodsDialog(GetFrame(), exportChoice_)) return;
    SunContext sun = session_.Sun();
    ExportPeriods(GetFrame(), sun, chart_, session_.preferences, exportChoice_,
                  Doc().GetUserReadableName().utf8_string());
}

// The main window's mail program; without one, says so and gives null.
tarvella::app::Mailer* COrvoView::MailerOrSayNone() const {
    const auto* main = dynamic_cast<const CMainFrame*>(parentFrame_);
    tarvella::app::Mailer* mailer = main ? main->GetMailer() : nullptr;
    if (!mailer) tarvella::app::ShowNoMailSupport();
    return mailer;
}

void COrvoView::OnCopyAsPlainText(wxCommandEvent&) {
    tarvella::app::CopyTextToClipboard(GetFrame(), ShownText());
}

// What this window shows, as Copy takes it; the document itself, its name and its modified mark
// stay as they are.
void COrvoView::OnEmailScreenAsText(wxCommandEvent&) {
    tarvella::app::Mailer* mailer = MailerOrSayNone();
    if (!mailer) return;
    const COrvoDoc& doc = Doc();
    mailer->Send(ReportTextAttachment(doc.GetUserReadableName().utf8_string(), ShownText()));
}

void COrvoView::OnEmailDataFile(wxCommandEvent&) {
    tarvella::app::Mailer* mailer = MailerOrSayNone();
    if (!mailer) return;
    const COrvoDoc& doc = Doc();
    // An untitled document's file name is only its title.
    const std::string path = doc.GetDocumentSaved() ? doc.GetFilename().utf8_string() : "";
    mailer->Send(
        DataFileAttachment(doc.GetUserReadableName().utf8_string(), path, doc.ChartImage()));
}
