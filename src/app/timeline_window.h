// The timeline beside a report: the MD and its tiers as bands over a range of time, zoomed with
// the wheel and the keys, panned by dragging, a click taking the report to the period clicked.
// The layout and every answer come from the view layer; this window forwards and repaints.
#pragma once

#include <wx/splitter.h>
#include <wx/window.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "document/session.h"
#include "view/timeline.h"

class wxBitmap;
class wxDC;

// The present moment, in the timeline's seconds.
double NowSeconds();

// What the timeline asks of the report window it stands beside.
struct TimelineOwner {
    std::function<const tarvella::ChartData&()> chart;
    // A click chose this chart, as a click in the report would.
    std::function<void(const tarvella::ChartData&)> walk;
    // The status bar's text for the period pointed at; empty for none.
    std::function<void(const std::string&)> status;
};

class TimelineWindow : public wxWindow {
  public:
    TimelineWindow(wxWindow* parent, tarvella::Session& session, TimelineOwner owner);

    // The chart, the ayanamsa or Show seconds changed: laid out again, over the same range unless
    // the MD moved, which then shows whole.
    void ChartChanged();
    // The present line moves on.
    void ClockTicked();
    // "Now: 5th AD / 6th PD / ...", or where the present lies beside the MD.
    std::string NowText();

    // What the window shows, for printing and export.
    const tarvella::TimelineLayout& ShownLayout();
    // The layout of the same range at another size.
    tarvella::TimelineLayout LayoutAt(int width, int height);

  private:
    void OnPaint(wxPaintEvent&);
    void OnSize(wxSizeEvent&);
    void OnWheel(wxMouseEvent&);
    void OnLeftDown(wxMouseEvent&);
    void OnLeftUp(wxMouseEvent&);
    void OnMotion(wxMouseEvent&);
    void OnLeave(wxMouseEvent&);
    void OnChar(wxKeyEvent&);

    void ShowRange(const tarvella::TimelineView& view);
    void Point(int x, int y);
    bool Ready();

    tarvella::Session& session_;
    TimelineOwner owner_;
    tarvella::TimelineLimits limits_;
    tarvella::TimelineView view_;
    bool started_ = false;
    std::optional<tarvella::TimelineLayout> layout_;
    // A press of the left button: where it began and where the drag last was.
    std::optional<int> pressX_;
    int dragX_ = 0;
    bool dragged_ = false;
    // The period the status bar names.
    struct Pointed {
        int tier = 0;
        std::array<int, tarvella::kTreeTiers> path{};
        bool operator==(const Pointed&) const = default;
    };
    std::optional<Pointed> pointed_;
};

// Draws a layout on a device context: the screen, a printed page, a bitmap.
void DrawTimelineOn(wxDC& dc, const tarvella::TimelineLayout& layout);

// A report window above, its timeline below while View > Timeline is on.
class ReportSplit : public wxSplitterWindow {
  public:
    explicit ReportSplit(wxWindow* parent);
    // The panes, made with this window as their parent.
    void SetPanes(wxWindow* report, TimelineWindow* timeline);
    void ShowTimeline(bool show);

  private:
    void Place();

    wxWindow* report_ = nullptr;
    TimelineWindow* timeline_ = nullptr;
    // The timeline is to be shown, and the sash follows the window's size until the user moves it.
    bool placeSash_ = false;
};
