// The timeline: the MD and the five tiers below it as bands over a range of time, with a time
// axis in the event's zone, a line for the present moment and one for the event, and the periods
// the report shows marked. A plain layout computed from the range walk of the period tree (only
// what the range shows), drawn through ReportCanvas, and the pure answers the window needs:
// what lies under a point, what a click does, what the status bar says, zoom and pan.
//
// Instants are seconds of Universal Time from 1970 (SecondsOf). Pixels are the view's own, x from
// the left edge of the view, y from its top.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "engine/division.h"
#include "engine/period_tree.h"
#include "view/report_canvas.h"

namespace tarvella {

// Rows of the timeline: 0 the MD, 1..5 AD, PD, SD, PAD, DAD (the period tree's tiers).
inline constexpr int kTimelineTiers = kTreeTiers + 1;
// "MD", "AD", ... "DAD".
const char* TimelineTierName(int tier);

// The fixed geometry, in pixels: tier names in a gutter on the left, the time axis on top (the
// range shown, the tick labels, then the labels of the present and event lines), then one row per
// tier.
inline constexpr int kTimelineGutter = 44;
inline constexpr int kTimelineAxisHeight = 50;  // the range, the ticks, the lines' labels
inline constexpr int kTimelineRowHeight = 26;
inline constexpr int kTimelineRowGap = 3;
inline constexpr int kTimelineFooter = 8;
// The height that shows every row; a taller view leaves room below, a lower one cuts the rows.
inline constexpr int kTimelineHeight =
    kTimelineAxisHeight + kTimelineTiers * (kTimelineRowHeight + kTimelineRowGap) + kTimelineFooter;
// Periods typically narrower than this are summarised in one row instead of drawn.
inline constexpr int kMinBandPixels = 3;
// The narrowest range a view may show across its width.
inline constexpr double kMinTimelineSpan = 5.0 * 60.0;

// What the view shows: [from, to) in UT seconds across `width` x `height` pixels.
struct TimelineView {
    double from = 0.0;
    double to = 0.0;
    int width = 1200;
    int height = kTimelineHeight;
};

// The pixel column where an instant lies in the view's plot (from the gutter to the right edge),
// rounded to the nearest; instants beyond it are held to a pixel just outside the plot so that
// nothing overflows. The one mapping every band edge, tick and line uses.
int TimelineX(const TimelineView& view, double seconds);
// The instant at the left edge of pixel column x.
double TimelineSecondsAt(const TimelineView& view, int x);

// One period of the tree: its tier, path and the tree's own two boundaries.
struct TimelinePeriod {
    int tier = 0;                        // 0 MD, 1..5 as PeriodRow::tier
    std::array<int, kTreeTiers> path{};  // as PeriodRow::path; all 0 for the MD
    Boundary start;
    Boundary end;
    double startSeconds = 0.0;  // BoundarySeconds of the two: +-infinity outside the table
    double endSeconds = 0.0;
};
// The period as the export's row: its pointers point into `period`.
PeriodRow RowOf(const TimelinePeriod& period);

struct TimelineBand {
    TimelinePeriod period;
    int left = 0;  // pixels [left, right), within the plot
    int right = 0;
    // "5", "5th AD", or "5th AD: 22 Aug 1999, 11:18 - 23 Sep 1999, 08:12", the longest that fits;
    // empty when none does.
    std::string label;
    // "5th AD of the MD: 1999-08-22T15:48:12Z to 1999-09-23T12:12:40Z" (the SVG's hover text).
    std::string title;
    bool shown = false;   // one of the rows of the report the chart shows
    bool onPath = false;  // a period above them that the report divides (and the MD)
};

struct TimelineRow {
    int tier = 0;
    TextRect rect;  // the row's pixels, across the plot
    // Its periods are narrower than kMinBandPixels: no bands, one summary across the row.
    bool summarised = false;
    std::string summary;              // "DAD: about 2 m each; zoom in", when summarised
    std::vector<TimelineBand> bands;  // in time order
    // In a summarised row, the pixels [shownLeft, shownRight) of the periods the report shows,
    // so that it can be found at any zoom; empty when they are not in this row or not in view.
    int shownLeft = 0;
    int shownRight = 0;
};

// The steps of the time axis, coarsest first.
enum class TimelineScale { Years, Months, Days, Hours, Minutes };

struct TimelineTick {
    int x = 0;
    double seconds = 0.0;  // UT
    std::string label;     // "1999", "Aug 1999", "22 Aug 1999", "14:00", "14:05", in local time
};

struct TimelineAxis {
    TimelineScale scale = TimelineScale::Years;
    int step = 1;  // ticks every `step` units of the scale
    TextRect rect;
    // "22 Aug 1999, 11:18 to 22 Aug 1999, 12:18, local time -04:00": the range shown.
    std::string caption;
    std::vector<TimelineTick> ticks;
};

struct TimelineMarker {
    bool shown = false;  // the instant lies within the view
    int x = 0;
    double seconds = 0.0;
    std::string label;  // "Now 10 Dec 2026, 14:20", "Event 22 Aug 1999, 11:48"
};

struct TimelineLayout {
    TimelineView view;
    TimelinePeriod md;
    std::array<TimelineRow, kTimelineTiers> rows;
    TimelineAxis axis;
    TimelineMarker now;
    TimelineMarker event;
    bool seconds = false;  // times to the second, as View > Show seconds
};

// The layout of the chart (its natal Sun and event Sun computed, as for a report) over `view`,
// with the present moment at `now`. Labels give times to the second with `seconds`. The bands
// marked are those of the report of the chart's level and path.
TimelineLayout LayoutTimeline(SunContext& sun, const ChartData& chart, const TimelineView& view,
                              double now, bool seconds);

// Draws a layout onto any canvas: rectangles, lines and texts.
void DrawTimeline(ReportCanvas& canvas, const TimelineLayout& layout);

// The band under a pixel; nullptr for none (a summarised row, the axis, the gutter, blank).
const TimelineBand* BandAt(const TimelineLayout& layout, int x, int y);

// The chart that a click on the band gives: what a click on the band's row in the report that
// shows its period gives (the report one level down, or the same report at the deepest tier).
// The MD's band opens the report of its ADs, as the event path's MD does.
ChartData ChartOfClick(const ChartData& chart, const TimelinePeriod& period);

// What the report's status bar says of the period when it is pointed at in the report that
// shows it, with the uncertainty as there; "MD: ..." for the MD.
std::string BandStatusText(SunContext& sun, const ChartData& chart, const TimelinePeriod& period,
                           bool seconds);

// How far the view may go: from a little before the MD to a little after it, never past the Sun
// table's ends, and from the whole of that down to kMinTimelineSpan across the width.
struct TimelineLimits {
    double earliest = 0.0;
    double latest = 0.0;
};
TimelineLimits LimitsOf(SunContext& sun, const ChartData& chart);

// The view moved or resized into the limits: the span held to [kMinTimelineSpan, the whole],
// then shifted inside [earliest, latest].
TimelineView ClampView(const TimelineView& view, const TimelineLimits& limits);
// The whole MD with its margins, at the given size.
TimelineView WholeMdView(const TimelineLimits& limits, int width, int height = kTimelineHeight);
// Zooms about pixel column x: the instant under it stays there, the span divided by `factor`
// (above 1 zooms in, below 1 out).
TimelineView ZoomAbout(const TimelineView& view, int x, double factor,
                       const TimelineLimits& limits);
// Moves the range by `dx` pixels' worth of time: positive shows later times (a drag to the left).
TimelineView PanBy(const TimelineView& view, int dx, const TimelineLimits& limits);
// The same span centred on an instant (the present moment, the event).
TimelineView CentreOn(const TimelineView& view, double seconds, const TimelineLimits& limits);

// The keys a timeline answers, without modifiers: plus, minus, Left, Right, Home, N and E.
enum class TimelineKey { ZoomIn, ZoomOut, Earlier, Later, Whole, Now, Event };
// The view after a key: zoomed in or out by 2 about the plot's middle, moved by an eighth of the
// plot, the whole MD, or centred on the present moment `now` or on the chart's event (a chart
// whose event holds no instant leaves the view where it is).
TimelineView ViewAfterKey(const TimelineView& view, TimelineKey key, const TimelineLimits& limits,
                          const ChartData& chart, double now);
// The view after `notches` of the wheel at pixel column x: each zooms in by 1.25, a negative
// count out.
TimelineView ViewAfterWheel(const TimelineView& view, int x, double notches,
                            const TimelineLimits& limits);

// The periods running at an instant, the MD first, then one of each tier below it.
struct RunningPeriods {
    enum class Where { Inside, Before, After, Unknown };
    Where where = Where::Unknown;  // Unknown: the MD's ends or the instant lie beyond the table
    double seconds = 0.0;          // the instant asked
    double distance = 0.0;         // seconds from the MD's nearer end, when Before or After
    TimelinePeriod md;             // always, when the MD's ends were found
    std::vector<TimelinePeriod> periods;  // MD, AD, PD, SD, PAD, DAD when Inside
};
RunningPeriods PeriodsAt(SunContext& sun, const ChartData& chart, double seconds);

// "Now: 5th AD / 6th PD / 10th SD / 2nd PAD / 7th DAD"; outside the MD "Now: 2 y 3 mo before
// this MD" or "... after this MD"; "Now: beyond the Sun table" when it cannot be told.
std::string NowStatusText(const RunningPeriods& running);
// The same without "Now: ", for an instant that need not be the present.
std::string RunningPeriodsText(const RunningPeriods& running);
// "2 y 3 mo", "5 d 3 h", "3 h 20 m", "20 m": a distance in the two largest units.
std::string DistanceText(double seconds);

// ISO 8601 as the command line takes an instant: "2026-12-10T14:20:00Z", with an offset
// "2026-12-10T19:50+05:30", seconds and their fraction optional, or a date alone at 00:00 UT.
// False for anything else.
bool ParseIsoInstant(std::string_view text, double& seconds);
// "2026-12-10T14:20:00Z": the instant truncated to the second; empty when it is no instant.
std::string IsoUtcText(double seconds);
// The instant of a chart moment (the event) in its zone; false when its fields hold no instant.
bool MomentSeconds(const ChartMoment& moment, const ZoneSpec& zone, double& seconds);

}  // namespace tarvella
