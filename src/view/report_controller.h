// What one report window shows and what its pointer and keys do to it: the window's chart, the
// report model built once per change and kept, and the highlight, whether the pointer or the keys
// move it. The window forwards its events here and repaints what the answers name; it draws the
// model it is given. Points are in report units (see ReportPointAt).
#pragma once

#include <optional>
#include <string>

#include "document/chart_data.h"
#include "document/session.h"
#include "engine/report_model.h"
#include "view/navigation.h"

namespace tarvella {

// The keys a report answers, without modifiers.
enum class ReportKey { Down, Up, Left, Right, Return, Backspace, Home };

// A point of the window's client area in report units: scrolled by `scroll` (device pixels)
// and shown at `zoom`.
ReportPoint ReportPointAt(int clientX, int clientY, int scrollX, int scrollY, double zoom);

// The vertical scroll position, in device pixels, that brings `box` into a view of `viewHeight`
// pixels now scrolled to `scrollY`, moving as little as it can.
int ScrollToShow(const OutlineBox& box, double zoom, int scrollY, int viewHeight);

class ReportController {
  public:
    explicit ReportController(Session& session) : session_(session) {}

    ChartData& Chart() { return chart_; }
    const ChartData& Chart() const { return chart_; }
    bool IsEvent() const { return chart_.level == kEventLevel; }

    // The report of the chart's level, built when the chart, the ayanamsa or Show seconds changed
    // since it was last built, and its step applied to the chart (see ApplyReport).
    const ReportModel& Report();
    // The chart changed in place (data entry, a new Sun): the report is built anew.
    void ChartChanged() { report_.reset(); }
    // The chart changed by a click or a key: the report anew, and the walk starts from the top
    // with nothing highlighted or named.
    void StartOver();

    // The row or column under a point; kNoHighlight for none.
    int HitAt(ReportPoint p) const;
    // The box that outlines a hit, when it has one on this report.
    std::optional<OutlineBox> Outline(int hit) const;

    // The pointer moved to `p` (`scrolled`: the view scrolled since the highlight was drawn). The
    // highlight goes from `from` to `to`; `repaint` when either outline must be drawn again.
    struct Move {
        bool repaint = false;
        int from = kNoHighlight;
        int to = kNoHighlight;
    };
    Move PointerMoved(ReportPoint p, bool scrolled);
    void PointerLeft();
    // True when the click changed the chart.
    bool Clicked(ReportPoint p);

    struct KeyResult {
        bool handled = false;       // false: a key the report leaves to others
        bool chartChanged = false;  // the walk went to another level or period
        bool highlightMoved = false;
        int from = kNoHighlight;  // the highlight before and after, when it moved
        int to = kNoHighlight;
    };
    KeyResult KeyPressed(ReportKey key);
    // The keys hold the highlight until the pointer moves again.
    bool KeyboardHolds() const { return keyboard_; }

    // At each paint: the highlight to outline with the pointer last at `pointer`, remembered as
    // the one drawn; kNoHighlight for none.
    int PaintedHighlight(ReportPoint pointer);
    // A paint that drew no report (a print job owns it, or the window has not started).
    void PaintedNothing() { drawn_ = kNoHighlight; }

    // The text for the status bar when the period named there changed since it was last taken:
    // the period pointed at or highlighted, or an empty text for none.
    std::optional<std::string> TakeStatus();

  private:
    // The status bar is to name this hit.
    void Point(int hit);
    std::string StatusText(int hit);

    Session& session_;
    ChartData chart_;
    std::optional<ReportModel> report_;
    bool reportSeconds_ = false;
    // What the last paint outlined.
    int drawn_ = kNoHighlight;
    // The event report outlines its columns only once the pointer moved over the new report.
    bool eventHover_ = false;
    bool keyboard_ = false;
    int keyHighlight_ = kNoHighlight;
    int pointed_ = -1;  // the period the status bar names, -1 for none yet
    std::optional<std::string> status_;
};

}  // namespace tarvella
