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
#include "engine/event_location.h"
#include "view/mail_attachment.h"
#include "view/print_pages.h"
#include "view/report_layout.h"

namespace {

using namespace tarvella;

const wxColour kBackground(255, 255, 240);
const wxColour kOutline(0, 120, 0);
constexpr int kReportWidth = 550;
constexpr int kReportHeight = 460;
constexpr int kFilledExtent = 1600;
constexpr int kRowPitch = 24;

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
    explicit DcReportCanvas(wxDC& dc) : dc_(dc) {}

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
                if (align != kAlignLeft) {
                    const int width = dc_.GetTextExtent(line).x;
                    x += align == kAlignCentre ? (rect.width - width) / 2 : rect.width - width;
                }
                dc_.DrawText(line, x, y);
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
                SetScrollbars(1, 1, kReportWidth, kReportHeight);
            }
            e.Skip();
        });
        Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
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

    // After a scroll the box under the pointer belongs elsewhere: the whole report is redrawn.
    void ScrollWindow(int dx, int dy, const wxRect* rect) override {
        wxScrolledCanvas::ScrollWindow(dx, dy, rect);
        Refresh(false);
    }

  private:
    void ScrollRows(int orientation, int rows) {
        if (rows == 0) return;
        const wxPoint start = GetViewStart();
        if (orientation == wxVERTICAL) {
            Scroll(-1, std::max(0, start.y + rows * kRowPitch));
        } else {
            Scroll(std::max(0, start.x + rows * kRowPitch), -1);
        }
    }

    COrvoView& view_;
    int wheel_ = 0;
    bool scrolling_ = false;
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
    SetFrame(frame);
    frame->Show();
    Activate(true);
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
    for (const std::string& copy : outcome.damagedCopies) {
        const std::string damaged = copy.substr(0, copy.size() - DamagedCopyPath("").size());
        wxLogStatus("\"%s\" was damaged and is kept as \"%s\"; the defaults took its place.",
                    damaged, copy);
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
    DcReportCanvas canvas(dc);
    SunContext sun = session_.Sun();
    plainText_ = DrawReport(canvas, print_, sun, chart_);
    DrawHighlight(dc);
}

tarvella::ReportPoint COrvoView::ReportPointAt(wxPoint client) const {
    const wxPoint p = canvas_->CalcUnscrolledPosition(client);
    return {p.x, p.y};
}

// The box under the last known pointer position, drawn over the report just painted.
void COrvoView::DrawHighlight(wxDC& dc) {
    const ReportPoint p = ReportPointAt(lastMouse_);
    OutlineBox box;
    if (chart_.level == kEventLevel) {
        highlightRow_ = eventHover_ ? ColumnAtPoint(p) : kNoHighlight;
        if (highlightRow_ == kNoHighlight) return;
        box = ColumnOutline(highlightRow_);
    } else {
        highlightRow_ = RowAtPoint(p, chart_.level);
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
    const wxPoint topLeft = canvas_->CalcScrolledPosition(wxPoint(box.left, box.top));
    canvas_->RefreshRect(
        wxRect(topLeft, wxSize(box.right - box.left, box.bottom - box.top)).Inflate(1), false);
}

void COrvoView::MouseMove(wxPoint client) {
    if (!started_) return;
    lastMouse_ = client;
    const ReportPoint p = ReportPointAt(client);
    const bool event = chart_.level == kEventLevel;
    const int hit = event ? ColumnAtPoint(p) : RowAtPoint(p, chart_.level);
    eventHover_ = event;
    if (hit == highlightRow_ && canvas_->GetViewStart() == highlightScroll_) return;
    RefreshOutline(highlightRow_);
    RefreshOutline(hit);
    highlightRow_ = hit;
    highlightScroll_ = canvas_->GetViewStart();
}

void COrvoView::MouseDown(wxPoint client) {
    if (!started_) return;
    lastMouse_ = client;
    const ReportPoint p = ReportPointAt(client);
    bool changed = false;
    if (chart_.level == kEventLevel) {
        const int column = ColumnAtPoint(p);
        if (column == kNoHighlight) return;
        SunContext sun = session_.Sun();
        const EventPath path = LocateEvent(sun, chart_);
        changed = ApplyEventClick(chart_, column, path);
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
    eventHover_ = false;
    canvas_->Scroll(0, 0);
    canvas_->Refresh(false);
}

void COrvoView::OnUpdate(wxView*, wxObject*) {
    if (canvas_) canvas_->Refresh(false);
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
    if (activate) ShowTitle();
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

    // Each level is drawn with the chart's own path of selected periods; the view goes back to
    // its level afterwards.
    SunContext sun = session_.Sun();
    const int level = chart_.level;
    for (const PrintedLevel& printed :
         LevelsOnPage(session_.preferences.printAllLevels, level, page)) {
        chart_.level = printed.level;
        print_.lowerHalf = printed.lowerHalf == 1;
        DrawReport(canvas, print_, sun, chart_);
    }
    chart_.level = level;
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
    if (!RunDataDialog(GetFrame(), chart_, zones)) return;
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
    if (this != sender) canvas_->Refresh(false);
}

// Copy as plain text and mail.

void COrvoView::BindExportCommands() {
    using namespace tarvella::app;
    Bind(wxEVT_MENU, &COrvoView::OnCopyAsPlainText, this, ID_COPY_PLAIN_TEXT);
    Bind(wxEVT_MENU, &COrvoView::OnEmailScreenAsText, this, ID_EMAIL_SCREEN);
    Bind(wxEVT_MENU, &COrvoView::OnEmailDataFile, this, ID_EMAIL_DATA_FILE);
}

// The main window's mail program; without one, says so and gives null.
tarvella::app::Mailer* COrvoView::MailerOrSayNone() const {
    const auto* main = dynamic_cast<const CMainFrame*>(parentFrame_);
    tarvella::app::Mailer* mailer = main ? main->GetMailer() : nullptr;
    if (!mailer) tarvella::app::ShowNoMailSupport();
    return mailer;
}

void COrvoView::OnCopyAsPlainText(wxCommandEvent&) {
    tarvella::app::CopyTextToClipboard(GetFrame(), plainText_);
}

// What this window shows, as Copy takes it; the document itself, its name and its modified mark
// stay as they are.
void COrvoView::OnEmailScreenAsText(wxCommandEvent&) {
    tarvella::app::Mailer* mailer = MailerOrSayNone();
    if (!mailer) return;
    const COrvoDoc& doc = Doc();
    mailer->Send(ReportTextAttachment(doc.GetUserReadableName().utf8_string(), plainText_));
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
