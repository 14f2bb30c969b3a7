#include "app/timeline_window.h"

#include <wx/dcbuffer.h>

#include <chrono>
#include <cstdlib>

#include "app/dc_report_canvas.h"
#include "view/report_geometry.h"

using namespace tarvella;

namespace {

// A press that moved less than this is a click, not a drag.
constexpr int kClickSlop = 3;

bool SameMd(const TimelineLimits& a, const TimelineLimits& b) {
    return a.earliest == b.earliest && a.latest == b.latest;
}

}  // namespace

double NowSeconds() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void DrawTimelineOn(wxDC& dc, const TimelineLayout& layout) {
    DcReportCanvas canvas(dc);
    DrawTimeline(canvas, layout);
}

TimelineWindow::TimelineWindow(wxWindow* parent, Session& session, TimelineOwner owner)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, kTimelineHeight),
               wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      session_(session),
      owner_(std::move(owner)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(wxSize(kTimelineGutter + 100, kTimelineHeight / 2));
    Bind(wxEVT_PAINT, &TimelineWindow::OnPaint, this);
    Bind(wxEVT_SIZE, &TimelineWindow::OnSize, this);
    Bind(wxEVT_MOUSEWHEEL, &TimelineWindow::OnWheel, this);
    Bind(wxEVT_LEFT_DOWN, &TimelineWindow::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &TimelineWindow::OnLeftUp, this);
    Bind(wxEVT_MOTION, &TimelineWindow::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &TimelineWindow::OnLeave, this);
    Bind(wxEVT_CHAR, &TimelineWindow::OnChar, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { pressX_.reset(); });
}

// The first layout waits for a chart with its Sun: the report's view starts after the window.
bool TimelineWindow::Ready() {
    if (started_) return true;
    if (!owner_.chart) return false;
    SunContext sun = session_.Sun();
    limits_ = LimitsOf(sun, owner_.chart());
    const wxSize size = GetClientSize();
    view_ = WholeMdView(limits_, std::max(size.x, 1), std::max(size.y, 1));
    started_ = true;
    return true;
}

const TimelineLayout& TimelineWindow::ShownLayout() {
    if (!layout_) {
        Ready();
        SunContext sun = session_.Sun();
        layout_ = LayoutTimeline(sun, owner_.chart(), view_, NowSeconds(), session_.showSeconds);
    }
    return *layout_;
}

TimelineLayout TimelineWindow::LayoutAt(int width, int height) {
    Ready();
    TimelineView view = view_;
    view.width = width;
    view.height = height;
    SunContext sun = session_.Sun();
    return LayoutTimeline(sun, owner_.chart(), view, NowSeconds(), session_.showSeconds);
}

void TimelineWindow::ChartChanged() {
    if (!started_) return;
    SunContext sun = session_.Sun();
    const TimelineLimits limits = LimitsOf(sun, owner_.chart());
    const bool moved = !SameMd(limits, limits_);
    limits_ = limits;
    view_ = moved ? WholeMdView(limits_, view_.width, view_.height) : ClampView(view_, limits_);
    layout_.reset();
    pointed_.reset();  // its text may have changed with the chart
    Refresh(false);
}

std::string TimelineWindow::NowText() {
    SunContext sun = session_.Sun();
    return NowStatusText(PeriodsAt(sun, owner_.chart(), NowSeconds()));
}

void TimelineWindow::ClockTicked() {
    layout_.reset();
    if (IsShownOnScreen()) Refresh(false);
}

void TimelineWindow::ShowRange(const TimelineView& view) {
    view_ = ClampView(view, limits_);
    layout_.reset();
    Refresh(false);
    Update();  // follow the wheel and the drag without waiting for idle time
}

void TimelineWindow::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    // The drawing fills the window itself.
    if (Ready()) {
        DrawTimelineOn(dc, ShownLayout());
        return;
    }
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
}

void TimelineWindow::OnSize(wxSizeEvent& event) {
    event.Skip();
    const wxSize size = GetClientSize();
    if (!started_ || size.x < 1 || size.y < 1) return;
    view_.width = size.x;
    view_.height = size.y;
    view_ = ClampView(view_, limits_);
    layout_.reset();
}

void TimelineWindow::OnWheel(wxMouseEvent& event) {
    if (!Ready() || event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || event.GetWheelDelta() == 0) {
        return;
    }
    const double notches = static_cast<double>(event.GetWheelRotation()) / event.GetWheelDelta();
    ShowRange(ViewAfterWheel(view_, event.GetX(), notches, limits_));
    Point(event.GetX(), event.GetY());
}

void TimelineWindow::OnLeftDown(wxMouseEvent& event) {
    SetFocus();  // the keys work where the user clicked
    if (!Ready()) return;
    pressX_ = event.GetX();
    dragX_ = event.GetX();
    dragged_ = false;
    if (!HasCapture()) CaptureMouse();
}

void TimelineWindow::OnMotion(wxMouseEvent& event) {
    if (!pressX_ || !event.LeftIsDown()) {
        Point(event.GetX(), event.GetY());
        return;
    }
    if (!dragged_ && std::abs(event.GetX() - *pressX_) < kClickSlop) return;
    dragged_ = true;
    // A drag to the left shows later times.
    const int dx = dragX_ - event.GetX();
    dragX_ = event.GetX();
    if (dx != 0) ShowRange(PanBy(view_, dx, limits_));
}

void TimelineWindow::OnLeftUp(wxMouseEvent& event) {
    if (HasCapture()) ReleaseMouse();
    const bool click = pressX_ && !dragged_;
    pressX_.reset();
    if (!click) return;
    if (const TimelineBand* band = BandAt(ShownLayout(), event.GetX(), event.GetY())) {
        // The walk lays the timeline out again: the band goes with it.
        const ChartData chart = ChartOfClick(owner_.chart(), band->period);
        owner_.walk(chart);
    }
}

void TimelineWindow::OnLeave(wxMouseEvent&) {
    if (!pointed_) return;
    pointed_.reset();
    owner_.status({});
}

// The status bar names the band under the pointer, as the report names its rows; its text is
// made once as the pointer enters the band.
void TimelineWindow::Point(int x, int y) {
    if (!started_) return;
    const TimelineBand* band = BandAt(ShownLayout(), x, y);
    std::optional<Pointed> pointed;
    if (band) pointed = Pointed{band->period.tier, band->period.path};
    if (pointed == pointed_) return;
    pointed_ = pointed;
    std::string text;
    if (band) {
        SunContext sun = session_.Sun();
        text = BandStatusText(sun, owner_.chart(), band->period, session_.showSeconds);
    }
    owner_.status(text);
}

namespace {

std::optional<TimelineKey> TimelineKeyOf(int key) {
    switch (key) {
        case '+':
        case '=':
        case WXK_NUMPAD_ADD:
            return TimelineKey::ZoomIn;
        case '-':
        case WXK_NUMPAD_SUBTRACT:
            return TimelineKey::ZoomOut;
        case WXK_LEFT:
            return TimelineKey::Earlier;
        case WXK_RIGHT:
            return TimelineKey::Later;
        case WXK_HOME:
            return TimelineKey::Whole;
        case 'n':
        case 'N':
            return TimelineKey::Now;
        case 'e':
        case 'E':
            return TimelineKey::Event;
        default:
            return std::nullopt;
    }
}

}  // namespace

void TimelineWindow::OnChar(wxKeyEvent& event) {
    const std::optional<TimelineKey> key = TimelineKeyOf(event.GetKeyCode());
    if (!key || event.HasModifiers() || !Ready()) {
        event.Skip();
        return;
    }
    ShowRange(ViewAfterKey(view_, *key, limits_, owner_.chart(), NowSeconds()));
}

// At the report's size from the start, as the report is made: GTK warns of its scrollbars laid
// out in the few pixels of a splitter not yet sized.
ReportSplit::ReportSplit(wxWindow* parent)
    : wxSplitterWindow(parent, wxID_ANY, wxDefaultPosition,
                       wxSize(tarvella::kReportWidth, tarvella::kReportHeight),
                       wxSP_LIVE_UPDATE | wxSP_NOBORDER) {
    SetMinSize(wxDefaultSize);
    SetSashGravity(1.0);  // once the user placed the sash, the report takes what the window gains
    SetMinimumPaneSize(40);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        if (placeSash_) CallAfter(&ReportSplit::Place);
    });
    Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, [this](wxSplitterEvent& event) {
        event.Skip();
        placeSash_ = false;
    });
}

void ReportSplit::SetPanes(wxWindow* report, TimelineWindow* timeline) {
    report_ = report;
    timeline_ = timeline;
    // Made at the size of its page, which became its least; it scrolls, and may be lower.
    report_->SetMinSize(wxDefaultSize);
    Initialize(report_);
}

void ReportSplit::ShowTimeline(bool show) {
    if (!show) {
        placeSash_ = false;
        if (IsSplit()) Unsplit(timeline_);
        return;
    }
    placeSash_ = true;
    Place();
}

// Until the user moves the sash, the timeline keeps its whole height, or half the window when
// it is low: the frame reaches its size in several steps. A window still without its size waits.
void ReportSplit::Place() {
    const int height = GetClientSize().y;
    if (!placeSash_ || height < 4 * GetMinimumPaneSize()) return;
    const int sash = std::max(height / 2, height - kTimelineHeight);
    if (IsSplit()) {
        SetSashPosition(sash);
    } else {
        SplitHorizontally(report_, timeline_, sash);
    }
}
