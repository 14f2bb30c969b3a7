#include "view/timeline.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "document/period_path.h"
#include "engine/report_model.h"
#include "view/navigation.h"
#include "view/period_export.h"
#include "view/period_status.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kDay = 86400.0;
constexpr double kYear = 365.2425 * kDay;
constexpr double kMonth = kYear / 12.0;

// Text sizes; a width is estimated at kCharWidth a character, enough for Arial's digits.
constexpr ReportFont kFont{"Arial", 400, 12, 0};
constexpr ReportFont kBoldFont{"Arial", 700, 12, 0};
constexpr int kCharWidth = 7;
constexpr int kTextPadding = 6;
// Tick labels keep this far apart.
constexpr int kTickSpacing = 96;

constexpr Rgb kBackground{255, 255, 240};
constexpr Rgb kText{0, 0, 0};
constexpr Rgb kAxisText{60, 60, 60};
constexpr Rgb kBandOutline{140, 140, 140};
constexpr Rgb kPathOutline{0, 120, 0};  // the report's highlight green
constexpr Rgb kShownFill{255, 214, 90};
constexpr Rgb kSummaryFill{228, 228, 228};
constexpr Rgb kSummaryOutline{200, 200, 200};
constexpr Rgb kNowColour{200, 0, 0};
constexpr Rgb kEventColour{0, 0, 200};
constexpr std::array<Rgb, kTimelineTiers> kTierFill{{{250, 228, 178},
                                                     {198, 222, 250},
                                                     {206, 238, 206},
                                                     {248, 214, 214},
                                                     {226, 216, 248},
                                                     {238, 238, 196}}};

int TextWidth(std::string_view text) {
    return static_cast<int>(text.size()) * kCharWidth + kTextPadding;
}

double TableStart() {
    return SecondsOf({{kFirstTableYear, 1, 1}, 0.0});
}
double TableEnd() {
    return SecondsOf({{kLastTableYear + 1, 1, 1}, 0.0});
}

int PlotLeft() {
    return kTimelineGutter;
}
int PlotRight(const TimelineView& view) {
    return std::max(kTimelineGutter + 1, view.width);
}

// The date and time as the report shows them, without the row's padding.
std::string When(const Boundary& b, bool seconds, bool hundredths) {
    const std::string when = FormatBoundary(b, seconds, hundredths).when;
    const auto first = when.find_first_not_of(' ');
    const auto last = when.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : when.substr(first, last - first + 1);
}

// A UT instant in the event's zone: "22 Aug 1999, 11:48" (to the second with `seconds`), the
// nearest minute or the second truncated, as the report gives its times.
std::string LocalWhen(double ut, const ZoneSpec& zone, bool seconds) {
    const double local = ut - zone.utOffset * 3600.0;
    if (!std::isfinite(local)) return {};
    const double whole = seconds ? std::floor(local) : std::floor(local / 60.0 + 0.5) * 60.0;
    const double days = std::floor(whole / kDay);
    const auto rest = static_cast<long long>(whole - days * kDay);
    const CivilDate d = DateOfDayNumber(static_cast<std::int64_t>(days));
    char text[64];
    if (seconds) {
        std::snprintf(text, sizeof text, "%d %s %04d, %02lld:%02lld:%02lld", d.day,
                      MonthAbbreviations[static_cast<std::size_t>(d.month - 1)], d.year,
                      rest / 3600, rest / 60 % 60, rest % 60);
    } else {
        std::snprintf(text, sizeof text, "%d %s %04d, %02lld:%02lld", d.day,
                      MonthAbbreviations[static_cast<std::size_t>(d.month - 1)], d.year,
                      rest / 3600, rest / 60 % 60);
    }
    return text;
}

TimelinePeriod PeriodOf(const PeriodRow& row, double middle) {
    TimelinePeriod p;
    p.tier = row.tier;
    p.path = row.path;
    p.start = *row.start;
    p.end = *row.end;
    p.startSeconds = BoundarySeconds(p.start, middle);
    p.endSeconds = BoundarySeconds(p.end, middle);
    return p;
}

// The MD as the report of its ADs finds its two ends.
struct Md {
    ChartData chart;  // within the tables, at level 1
    TimelinePeriod period;
    double middle = 0.0;
};

Md FindMd(SunContext& sun, const ChartData& original) {
    Md md;
    md.chart = WithinTables(original);
    md.chart.level = 1;
    const LevelDivision ads = DivideLevel(sun, md.chart);
    md.period.start = ads.boundaries.front();
    md.period.end = ads.boundaries.back();
    md.middle = (md.period.start.longitude + md.period.end.longitude) / 2.0;
    md.period.startSeconds = BoundarySeconds(md.period.start, md.middle);
    md.period.endSeconds = BoundarySeconds(md.period.end, md.middle);
    return md;
}

// The MD's span in seconds; its length in years where an end lies beyond the table.
double MdSpan(const Md& md) {
    const double span = md.period.endSeconds - md.period.startSeconds;
    return std::isfinite(span) ? span : md.chart.dasaYears * kYear;
}

std::string PeriodName(const TimelinePeriod& p) {
    if (p.tier == 0) return "MD";
    return std::string(OrdinalNames[static_cast<std::size_t>(p.path[p.tier - 1])]) + " " +
           TierNames[static_cast<std::size_t>(p.tier - 1)];
}

std::string Title(const TimelinePeriod& p, const ZoneSpec& zone, bool precise) {
    const std::string name = p.tier == 0 ? "MD" : SummaryText(RowOf(p));
    return name + ": " + UtcText(p.start, zone, precise) + " to " + UtcText(p.end, zone, precise);
}

// The longest label that fits the band's visible width.
std::string Label(const TimelineBand& band, bool seconds, bool hundredths) {
    const int width = band.right - band.left;
    const TimelinePeriod& p = band.period;
    const std::string name = PeriodName(p);
    if (TextWidth(name) + 2 * kCharWidth * 12 > width) {
        if (TextWidth(name) <= width) return name;
        const std::string number = p.tier == 0 ? "MD" : std::to_string(p.path[p.tier - 1] + 1);
        return TextWidth(number) <= width ? number : std::string();
    }
    std::string full =
        name + ": " + When(p.start, seconds, hundredths) + " - " + When(p.end, seconds, hundredths);
    return TextWidth(full) <= width ? full : name;
}

// Whether the path of a period of `tier` matches the chart's path in the tiers above `upTo`.
bool SamePrefix(const TimelinePeriod& p, const PeriodPath& path, int upTo) {
    for (int t = 0; t < upTo && t < kPathTiers; ++t) {
        if (p.path[static_cast<std::size_t>(t)] != path.index[static_cast<std::size_t>(t)]) {
            return false;
        }
    }
    return true;
}

void Mark(TimelineBand& band, const PeriodPath& path) {
    const int tier = band.period.tier;
    if (path.level >= 1 && path.level <= kDeepestLevel) {
        band.shown = tier == path.level && SamePrefix(band.period, path, tier - 1);
        band.onPath = tier < path.level && SamePrefix(band.period, path, tier);
    } else {
        // The event report shows the path down to the PAD that the search stored.
        band.onPath = tier <= kPathTiers && SamePrefix(band.period, path, tier);
    }
}

TimelineBand MakeBand(const TimelinePeriod& p, const TimelineView& view) {
    TimelineBand band;
    band.period = p;
    const int left = PlotLeft(), right = PlotRight(view);
    band.left = std::clamp(TimelineX(view, p.startSeconds), left, right);
    band.right = std::clamp(TimelineX(view, p.endSeconds), left, right);
    return band;
}

// A tick step: a count of one unit.
struct Step {
    TimelineScale scale;
    int count;
    double seconds;  // about
};

constexpr std::array<Step, 21> kSteps{
    {{TimelineScale::Minutes, 1, 60.0},      {TimelineScale::Minutes, 2, 120.0},
     {TimelineScale::Minutes, 5, 300.0},     {TimelineScale::Minutes, 10, 600.0},
     {TimelineScale::Minutes, 15, 900.0},    {TimelineScale::Minutes, 30, 1800.0},
     {TimelineScale::Hours, 1, 3600.0},      {TimelineScale::Hours, 2, 7200.0},
     {TimelineScale::Hours, 3, 10800.0},     {TimelineScale::Hours, 6, 21600.0},
     {TimelineScale::Hours, 12, 43200.0},    {TimelineScale::Days, 1, kDay},
     {TimelineScale::Days, 2, 2 * kDay},     {TimelineScale::Days, 5, 5 * kDay},
     {TimelineScale::Days, 10, 10 * kDay},   {TimelineScale::Months, 1, kMonth},
     {TimelineScale::Months, 3, 3 * kMonth}, {TimelineScale::Months, 6, 6 * kMonth},
     {TimelineScale::Years, 1, kYear},       {TimelineScale::Years, 2, 2 * kYear},
     {TimelineScale::Years, 5, 5 * kYear}}};

std::string TickLabel(TimelineScale scale, CivilDate d, long long secondOfDay) {
    const char* month = MonthAbbreviations[static_cast<std::size_t>(d.month - 1)];
    char text[48];
    switch (scale) {
        case TimelineScale::Years:
            std::snprintf(text, sizeof text, "%04d", d.year);
            break;
        case TimelineScale::Months:
            std::snprintf(text, sizeof text, "%s %04d", month, d.year);
            break;
        case TimelineScale::Days:
            std::snprintf(text, sizeof text, "%d %s %04d", d.day, month, d.year);
            break;
        default:
            // A new day is named by its date, so that a range of hours says which day it shows.
            if (secondOfDay == 0) {
                std::snprintf(text, sizeof text, "%d %s", d.day, month);
            } else {
                std::snprintf(text, sizeof text, "%02lld:%02lld", secondOfDay / 3600,
                              secondOfDay / 60 % 60);
            }
    }
    return text;
}

TimelineAxis Axis(const TimelineView& view, const ZoneSpec& zone) {
    TimelineAxis axis;
    axis.rect = {PlotLeft(), 0, PlotRight(view), kTimelineAxisHeight};
    const double span = view.to - view.from;
    const double plot = PlotRight(view) - PlotLeft();
    Step step = kSteps.back();
    for (const Step& s : kSteps) {
        if (s.seconds / span * plot >= kTickSpacing) {
            step = s;
            break;
        }
    }
    axis.scale = step.scale;
    axis.step = step.count;
    axis.caption = LocalWhen(view.from, zone, false) + " to " + LocalWhen(view.to, zone, false) +
                   ", local time " + OffsetText(zone);
    const double west = zone.utOffset * 3600.0;  // local = UT - west
    const double from = view.from - west, to = view.to - west;
    if (!std::isfinite(from) || !std::isfinite(to) || !(to > from)) return axis;
    const auto add = [&](double local) {
        if (local < from || local >= to) return;
        const double days = std::floor(local / kDay);
        const CivilDate d = DateOfDayNumber(static_cast<std::int64_t>(days));
        const auto second = static_cast<long long>(std::llround(local - days * kDay));
        const double ut = local + west;
        axis.ticks.push_back({TimelineX(view, ut), ut, TickLabel(step.scale, d, second)});
    };
    const CivilInstant first = InstantAt(from);
    switch (step.scale) {
        case TimelineScale::Years:
        case TimelineScale::Months: {
            const int months = step.scale == TimelineScale::Years ? 12 * step.count : step.count;
            long long m = (first.date.year * 12LL + first.date.month - 1) / months * months;
            for (;; m += months) {
                const CivilDate d{static_cast<int>(m / 12), static_cast<int>(m % 12) + 1, 1};
                const double local = static_cast<double>(DayNumber(d)) * kDay;
                if (local >= to) break;
                add(local);
            }
            break;
        }
        case TimelineScale::Days: {
            // Days of the month 1, 1 + n, ...: every month starts with a tick.
            CivilDate d = first.date;
            for (;;) {
                const double local = static_cast<double>(DayNumber(d)) * kDay;
                if (local >= to) break;
                // A month's last days leave room before the next month's first.
                if ((d.day - 1) % step.count == 0 &&
                    d.day + step.count <= DaysInMonth(d.year, d.month) + 1) {
                    add(local);
                }
                d = DateOfDayNumber(DayNumber(d) + 1);
            }
            break;
        }
        default: {
            const double unit = step.seconds;
            for (double local = std::ceil(from / unit) * unit; local < to; local += unit) {
                add(local);
            }
        }
    }
    return axis;
}

TimelineMarker Marker(const TimelineView& view, double seconds, const char* what,
                      const ZoneSpec& zone, bool withSeconds) {
    TimelineMarker m;
    m.seconds = seconds;
    m.label = std::string(what) + " " + LocalWhen(seconds, zone, withSeconds);
    const int x = TimelineX(view, seconds);
    m.shown = seconds >= view.from && seconds <= view.to && x >= PlotLeft();
    m.x = std::min(x, PlotRight(view) - 1);
    return m;
}

}  // namespace

const char* TimelineTierName(int tier) {
    if (tier <= 0) return "MD";
    return TierNames[static_cast<std::size_t>(std::min(tier, kTreeTiers) - 1)];
}

int TimelineX(const TimelineView& view, double seconds) {
    const int left = PlotLeft(), right = PlotRight(view);
    const double span = view.to - view.from;
    if (!(span > 0.0) || std::isnan(seconds)) return left - 1;
    const double x = left + (seconds - view.from) / span * (right - left);
    if (!(x >= left - 1)) return left - 1;
    if (x > right + 1) return right + 1;
    return static_cast<int>(std::floor(x + 0.5));
}

double TimelineSecondsAt(const TimelineView& view, int x) {
    const int left = PlotLeft(), right = PlotRight(view);
    return view.from + (x - left) * (view.to - view.from) / (right - left);
}

PeriodRow RowOf(const TimelinePeriod& period) {
    PeriodRow row;
    row.tier = std::clamp(period.tier, 1, kTreeTiers);
    row.path = period.path;
    row.start = &period.start;
    row.end = &period.end;
    return row;
}

namespace {

// The report's rows as one span of a summarised row: from the first row's start to the last
// row's end, at least 2 pixels wide.
void MarkShownSpan(SunContext& sun, const ChartData& chart, const Md& md, const PeriodPath& path,
                   TimelineLayout& layout) {
    if (path.level < 1 || path.level > kTreeTiers) return;
    TimelineRow& row = layout.rows[static_cast<std::size_t>(path.level)];
    if (!row.summarised) return;
    ChartData shown = WithinTables(chart);
    shown.level = path.level;
    const LevelDivision rows = DivideLevel(sun, shown);
    const double from = BoundarySeconds(rows.boundaries.front(), md.middle);
    const double to = BoundarySeconds(rows.boundaries.back(), md.middle);
    if (!(to > layout.view.from && from < layout.view.to)) return;
    row.shownLeft = std::max(TimelineX(layout.view, from), row.rect.left);
    row.shownRight =
        std::min(std::max(TimelineX(layout.view, to), row.shownLeft + 2), row.rect.right);
}

}  // namespace

TimelineLayout LayoutTimeline(SunContext& sun, const ChartData& chart, const TimelineView& view,
                              double now, bool seconds) {
    TimelineLayout layout;
    layout.view = view;
    layout.seconds = seconds;
    const Md md = FindMd(sun, chart);
    layout.md = md.period;
    const ZoneSpec& zone = md.chart.eventZone;
    const bool hundredths = seconds && sun.precise;
    const PeriodPath path = PathOf(WithinTables(chart));

    const int plotLeft = PlotLeft(), plotRight = PlotRight(view);
    const double span = view.to - view.from;
    // The deepest tier whose periods are typically wide enough to draw.
    int depth = 0;
    double typical = MdSpan(md);
    for (int t = 0; t < kTimelineTiers; ++t) {
        TimelineRow& row = layout.rows[static_cast<std::size_t>(t)];
        row.tier = t;
        const int top = kTimelineAxisHeight + t * (kTimelineRowHeight + kTimelineRowGap);
        row.rect = {plotLeft, top, plotRight, top + kTimelineRowHeight};
        if (t > 0) typical /= kPeriodsPerTier;
        row.summarised = !(typical / span * (plotRight - plotLeft) >= kMinBandPixels);
        if (row.summarised) {
            row.summary = std::string(TimelineTierName(t)) + ": about " + DistanceText(typical) +
                          " each; zoom in to see them";
        } else {
            depth = t;
        }
    }

    const auto add = [&](const TimelinePeriod& p) {
        TimelineRow& row = layout.rows[static_cast<std::size_t>(p.tier)];
        TimelineBand band = MakeBand(p, view);
        band.label = Label(band, seconds, hundredths);
        band.title = Title(p, zone, sun.precise);
        Mark(band, path);
        row.bands.push_back(std::move(band));
    };
    if (!layout.rows[0].summarised && md.period.endSeconds > view.from &&
        md.period.startSeconds < view.to) {
        add(md.period);
    }
    if (depth > 0) {
        VisitPeriodsInRange(sun, md.chart, depth, view.from, view.to, [&](const PeriodRow& row) {
            add(PeriodOf(row, md.middle));
            return true;
        });
    }

    MarkShownSpan(sun, chart, md, path, layout);
    layout.axis = Axis(view, zone);
    layout.now = Marker(view, now, "Now", zone, seconds);
    double event = 0.0;
    if (MomentSeconds(md.chart.event, md.chart.eventZone, event)) {
        layout.event = Marker(view, event, "Event", zone, seconds);
    }
    return layout;
}

void DrawTimeline(ReportCanvas& canvas, const TimelineLayout& layout) {
    const TimelineView& view = layout.view;
    const int plotLeft = PlotLeft(), plotRight = PlotRight(view);
    canvas.FillRect({0, 0, std::max(plotRight, view.width), view.height}, kBackground, kBackground,
                    {});

    // The range shown, then the ticks.
    const auto& axis = layout.axis;
    canvas.DrawText(axis.caption, {plotLeft + 2, 2, plotRight, 16}, kAlignLeft, kFont, kAxisText);
    for (const TimelineTick& tick : axis.ticks) {
        canvas.DrawLine(tick.x, 30, tick.x, kTimelineAxisHeight - 1, kAxisText);
        // A label cut at the edge would read as another time.
        const TextRect r{tick.x + 3, 17, tick.x + 3 + TextWidth(tick.label), 31};
        if (r.right <= plotRight) canvas.DrawText(tick.label, r, kAlignLeft, kFont, kAxisText);
    }

    for (const TimelineRow& row : layout.rows) {
        canvas.DrawText(TimelineTierName(row.tier),
                        {4, row.rect.top + 6, kTimelineGutter - 2, row.rect.bottom}, kAlignLeft,
                        kBoldFont, kText);
        if (row.summarised) {
            canvas.FillRect(row.rect, kSummaryFill, kSummaryOutline, row.summary);
            if (row.shownRight > row.shownLeft) {
                canvas.FillRect({row.shownLeft, row.rect.top, row.shownRight, row.rect.bottom},
                                kShownFill, kPathOutline, {});
            }
            canvas.DrawText(
                row.summary,
                {row.rect.left + 4, row.rect.top + 6, row.rect.right - 4, row.rect.bottom},
                kAlignCentre, kFont, kAxisText);
            continue;
        }
        const Rgb base = kTierFill[static_cast<std::size_t>(row.tier)];
        for (const TimelineBand& band : row.bands) {
            if (band.right <= band.left) continue;
            const int index = band.period.tier == 0 ? 0 : band.period.path[band.period.tier - 1];
            Rgb fill = base;
            if (index % 2 == 1) fill = {base.red - 24, base.green - 24, base.blue - 24};
            if (band.shown) fill = kShownFill;
            const Rgb outline = band.onPath || band.shown ? kPathOutline : kBandOutline;
            const TextRect r{band.left, row.rect.top, band.right, row.rect.bottom};
            canvas.FillRect(r, fill, outline, band.title);
            if (!band.label.empty()) {
                canvas.DrawText(band.label, {r.left + 3, r.top + 6, r.right - 3, r.bottom},
                                kAlignCentre, kFont, kText);
            }
        }
    }

    const int bottom =
        kTimelineAxisHeight + kTimelineTiers * (kTimelineRowHeight + kTimelineRowGap);
    // Each label beside its line, on the side where it fits and does not cover the other's.
    TextRect taken{};
    for (const auto& [marker, colour] :
         {std::pair{&layout.event, kEventColour}, std::pair{&layout.now, kNowColour}}) {
        if (!marker->shown) continue;
        canvas.DrawLine(marker->x, 33, marker->x, bottom, colour);
        const int width = TextWidth(marker->label);
        const TextRect right{marker->x + 3, 34, marker->x + 3 + width, 48};
        const TextRect left{marker->x - 3 - width, 34, marker->x - 3, 48};
        const auto clear = [&](const TextRect& r) {
            return r.left >= plotLeft && r.right <= plotRight &&
                   (r.right <= taken.left || r.left >= taken.right);
        };
        const bool onRight = clear(right) || !clear(left);
        const TextRect& r = onRight ? right : left;
        canvas.DrawText(marker->label, r, onRight ? kAlignLeft : kAlignRight, kFont, colour);
        taken = r;
    }
}

const TimelineBand* BandAt(const TimelineLayout& layout, int x, int y) {
    for (const TimelineRow& row : layout.rows) {
        if (row.summarised || y < row.rect.top || y >= row.rect.bottom) continue;
        const auto it =
            std::upper_bound(row.bands.begin(), row.bands.end(), x,
                             [](int px, const TimelineBand& band) { return px < band.left; });
        if (it == row.bands.begin()) return nullptr;
        const TimelineBand& band = *(it - 1);
        return x < band.right ? &band : nullptr;
    }
    return nullptr;
}

ChartData ChartOfClick(const ChartData& chart, const TimelinePeriod& period) {
    if (period.tier <= 0) {
        ChartData c = chart;
        c.level = 1;
        return c;
    }
    ChartData c = ReportChartOf(chart, RowOf(period));
    ApplyRowClick(c, period.path[static_cast<std::size_t>(period.tier - 1)]);
    return c;
}

std::string BandStatusText(SunContext& sun, const ChartData& chart, const TimelinePeriod& period,
                           bool seconds) {
    ChartData c = chart;
    if (period.tier <= 0) {
        c.level = 1;
    } else {
        c = ReportChartOf(chart, RowOf(period));
    }
    ReportModel report = BuildReport(sun, c);
    report.seconds = seconds;
    if (period.tier <= 0) return MdStatusText(sun, report);
    return RowStatusText(sun, report, period.path[static_cast<std::size_t>(period.tier - 1)]);
}

TimelineLimits LimitsOf(SunContext& sun, const ChartData& chart) {
    const Md md = FindMd(sun, chart);
    const double start =
        std::isfinite(md.period.startSeconds) ? md.period.startSeconds : TableStart();
    const double end = std::isfinite(md.period.endSeconds) ? md.period.endSeconds : TableEnd();
    // A little either side, so that the MD's ends are seen as ends.
    const double margin = std::max(0.02 * (end - start), kMinTimelineSpan);
    TimelineLimits limits{std::max(TableStart(), start - margin),
                          std::min(TableEnd(), end + margin)};
    if (!(limits.latest - limits.earliest >= kMinTimelineSpan)) {
        limits.latest = std::min(TableEnd(), limits.earliest + kMinTimelineSpan);
        limits.earliest = limits.latest - kMinTimelineSpan;
    }
    return limits;
}

TimelineView ClampView(const TimelineView& view, const TimelineLimits& limits) {
    TimelineView v = view;
    const double whole = limits.latest - limits.earliest;
    double span = v.to - v.from;
    if (!std::isfinite(v.from) || !std::isfinite(span) || !(span > 0.0)) {
        v.from = limits.earliest;
        span = whole;
    }
    if (span < kMinTimelineSpan) {
        v.from -= (kMinTimelineSpan - span) / 2.0;
        span = kMinTimelineSpan;
    }
    span = std::min(span, whole);
    v.from = std::clamp(v.from, limits.earliest, limits.latest - span);
    v.to = v.from + span;
    return v;
}

TimelineView WholeMdView(const TimelineLimits& limits, int width, int height) {
    return {limits.earliest, limits.latest, width, height};
}

TimelineView ZoomAbout(const TimelineView& view, int x, double factor,
                       const TimelineLimits& limits) {
    if (!(factor > 0.0) || !std::isfinite(factor)) return ClampView(view, limits);
    const double anchor = TimelineSecondsAt(view, x);
    const double share = static_cast<double>(x - PlotLeft()) / (PlotRight(view) - PlotLeft());
    const double span = std::clamp((view.to - view.from) / factor, kMinTimelineSpan,
                                   limits.latest - limits.earliest);
    TimelineView v = view;
    v.from = anchor - share * span;
    v.to = v.from + span;
    return ClampView(v, limits);
}

TimelineView PanBy(const TimelineView& view, int dx, const TimelineLimits& limits) {
    const double shift = dx * (view.to - view.from) / (PlotRight(view) - PlotLeft());
    TimelineView v = view;
    v.from += shift;
    v.to += shift;
    return ClampView(v, limits);
}

TimelineView CentreOn(const TimelineView& view, double seconds, const TimelineLimits& limits) {
    if (!std::isfinite(seconds)) return ClampView(view, limits);
    const double span = view.to - view.from;
    TimelineView v = view;
    v.from = seconds - span / 2.0;
    v.to = v.from + span;
    return ClampView(v, limits);
}

TimelineView ViewAfterKey(const TimelineView& view, TimelineKey key, const TimelineLimits& limits,
                          const ChartData& chart, double now) {
    const int middle = (PlotLeft() + PlotRight(view)) / 2;
    const int step = std::max(1, (PlotRight(view) - PlotLeft()) / 8);
    double event = 0.0;
    switch (key) {
        case TimelineKey::ZoomIn:
            return ZoomAbout(view, middle, 2.0, limits);
        case TimelineKey::ZoomOut:
            return ZoomAbout(view, middle, 0.5, limits);
        case TimelineKey::Earlier:
            return PanBy(view, -step, limits);
        case TimelineKey::Later:
            return PanBy(view, step, limits);
        case TimelineKey::Whole:
            return WholeMdView(limits, view.width, view.height);
        case TimelineKey::Now:
            return CentreOn(view, now, limits);
        case TimelineKey::Event:
            if (!MomentSeconds(chart.event, chart.eventZone, event)) return view;
            return CentreOn(view, event, limits);
    }
    return view;
}

TimelineView ViewAfterWheel(const TimelineView& view, int x, double notches,
                            const TimelineLimits& limits) {
    return ZoomAbout(view, x, std::pow(1.25, notches), limits);
}

RunningPeriods PeriodsAt(SunContext& sun, const ChartData& chart, double seconds) {
    RunningPeriods r;
    r.seconds = seconds;
    const Md md = FindMd(sun, chart);
    r.md = md.period;
    if (std::isnan(seconds)) return r;
    if (seconds < md.period.startSeconds) {
        if (std::isfinite(md.period.startSeconds)) {
            r.where = RunningPeriods::Where::Before;
            r.distance = md.period.startSeconds - seconds;
        }
        return r;
    }
    if (seconds >= md.period.endSeconds) {
        if (std::isfinite(md.period.endSeconds)) {
            r.where = RunningPeriods::Where::After;
            r.distance = seconds - md.period.endSeconds;
        }
        return r;
    }
    if (seconds < TableStart() || seconds >= TableEnd()) return r;
    r.periods.push_back(md.period);
    VisitPeriodsInRange(sun, md.chart, kTreeTiers, seconds, std::nextafter(seconds, kInfinity),
                        [&](const PeriodRow& row) {
                            r.periods.push_back(PeriodOf(row, md.middle));
                            return true;
                        });
    // One period a tier, each holding the instant: anything else is the table's edge.
    bool one = r.periods.size() == kTimelineTiers;
    for (std::size_t t = 0; one && t < r.periods.size(); ++t)
        one = r.periods[t].tier == static_cast<int>(t);
    if (one) {
        r.where = RunningPeriods::Where::Inside;
    } else {
        r.periods.clear();
    }
    return r;
}

std::string RunningPeriodsText(const RunningPeriods& running) {
    switch (running.where) {
        case RunningPeriods::Where::Inside:
            return SummaryText(RowOf(running.periods.back()));
        case RunningPeriods::Where::Before:
            return DistanceText(running.distance) + " before this MD";
        case RunningPeriods::Where::After:
            return DistanceText(running.distance) + " after this MD";
        default:
            return "beyond the Sun table";
    }
}

std::string NowStatusText(const RunningPeriods& running) {
    return "Now: " + RunningPeriodsText(running);
}

std::string DistanceText(double seconds) {
    if (!std::isfinite(seconds)) return {};
    const double s = std::fabs(std::floor(seconds / 60.0 + 0.5) * 60.0);
    char text[64];
    const auto whole = [](double x) { return static_cast<long long>(std::floor(x)); };
    if (s >= kYear) {
        std::snprintf(text, sizeof text, "%lld y %lld mo", whole(s / kYear),
                      whole(std::fmod(s, kYear) / kMonth));
    } else if (s >= kMonth) {
        std::snprintf(text, sizeof text, "%lld mo %lld d", whole(s / kMonth),
                      whole(std::fmod(s, kMonth) / kDay));
    } else if (s >= kDay) {
        std::snprintf(text, sizeof text, "%lld d %lld h", whole(s / kDay),
                      whole(std::fmod(s, kDay) / 3600.0));
    } else if (s >= 3600.0) {
        std::snprintf(text, sizeof text, "%lld h %lld m", whole(s / 3600.0),
                      whole(std::fmod(s, 3600.0) / 60.0));
    } else {
        std::snprintf(text, sizeof text, "%lld m", whole(s / 60.0));
    }
    return text;
}

namespace {

// Exactly `n` digits at `p`, advanced past them.
bool Digits(std::string_view& text, std::size_t n, int& value) {
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    std::from_chars(text.data(), text.data() + n, value);
    text.remove_prefix(n);
    return true;
}

bool Take(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

bool ParseIsoInstant(std::string_view text, double& seconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 4, year) || !Take(text, '-') || !Digits(text, 2, month) || !Take(text, '-') ||
        !Digits(text, 2, day)) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    const double midnight = static_cast<double>(DayNumber({year, month, day})) * kDay;
    if (text.empty()) {
        seconds = midnight;
        return true;
    }
    if (!Take(text, 'T') || !Digits(text, 2, hour) || !Take(text, ':') ||
        !Digits(text, 2, minute)) {
        return false;
    }
    double fraction = 0.0;
    if (Take(text, ':')) {
        if (!Digits(text, 2, second)) return false;
        if (Take(text, '.')) {
            std::size_t n = 0;
            while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
            if (n == 0 || n > 9) return false;
            double f = 0.0;
            for (std::size_t i = n; i-- > 0;) f = (f + (text[i] - '0')) / 10.0;
            fraction = f;
            text.remove_prefix(n);
        }
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    int offset = 0;
    if (!Take(text, 'Z')) {
        const bool east = !text.empty() && text.front() == '+';
        if (!Take(text, '+') && !Take(text, '-')) return false;
        int oh = 0, om = 0;
        if (!Digits(text, 2, oh) || !Take(text, ':') || !Digits(text, 2, om) || oh > 23 ||
            om > 59) {
            return false;
        }
        offset = (east ? 1 : -1) * (oh * 3600 + om * 60);
    }
    if (!text.empty()) return false;
    seconds = midnight + (hour * 3600 + minute * 60 + second - offset) + fraction;
    return true;
}

std::string IsoUtcText(double seconds) {
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e15) return {};
    const double whole = std::floor(seconds);
    const double days = std::floor(whole / kDay);
    const auto rest = static_cast<long long>(whole - days * kDay);
    const CivilDate d = DateOfDayNumber(static_cast<std::int64_t>(days));
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02lld:%02lld:%02lldZ", d.year, d.month, d.day,
                  rest / 3600, rest / 60 % 60, rest % 60);
    return text;
}

bool MomentSeconds(const ChartMoment& moment, const ZoneSpec& zone, double& seconds) {
    int year = moment.year, month = moment.month, day = moment.day;
    if (!NormalizeDate(year, month, day)) return false;
    const double hours = moment.hour + moment.minute / 60.0 + zone.utOffset;
    if (!std::isfinite(hours) || std::fabs(hours) > 48.0) return false;
    seconds = static_cast<double>(DayNumber({year, month, day})) * kDay + hours * 3600.0;
    return true;
}

}  // namespace tarvella
