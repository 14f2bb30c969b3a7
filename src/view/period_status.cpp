#include "view/period_status.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/division.h"
#include "engine/event_location.h"
#include "engine/period_tree.h"
#include "view/navigation.h"
#include "view/period_export.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

// The date and time as the report's row shows them, without the row's padding.
std::string When(const Boundary& b) {
    std::string when = FormatBoundary(b).when;
    const auto first = when.find_first_not_of(' ');
    const auto last = when.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : when.substr(first, last - first + 1);
}

// "6th PD of 5th AD": the period `index` of `tier` (0 = AD), within the path above it.
std::string PeriodName(const PeriodPath& path, int tier, int index) {
    std::string name = std::string(OrdinalNames[static_cast<std::size_t>(index)]) + " " +
                       TierNames[static_cast<std::size_t>(tier)];
    for (int above = tier - 1; above >= 0; --above) {
        const int i = path.index[static_cast<std::size_t>(above)];
        name += std::string(" of ") + OrdinalNames[static_cast<std::size_t>(i)] + " " +
                TierNames[static_cast<std::size_t>(above)];
    }
    return name;
}

// With `sun`, the larger uncertainty of the two ends follows: "..., 31 d 20 h 54 m, ± 4 s".
std::string Span(const std::string& name, const Boundary& start, const Boundary& end,
                 const SunContext* sun = nullptr) {
    std::string text = name + ": " + When(start) + " to " + When(end);
    if (start.found && end.found) {
        text += ", " + DurationText(start.ut, end.ut);
        if (sun) {
            const double u =
                std::max(InstantUncertainty(*sun, start), InstantUncertainty(*sun, end));
            if (std::isfinite(u)) text += ", " + UncertaintyShortText(u);
        }
    }
    return text;
}

}  // namespace

std::string DurationText(const CivilInstant& from, const CivilInstant& to) {
    const double hours = static_cast<double>(DayNumber(to.date) - DayNumber(from.date)) * 24.0 +
                         (to.hour - from.hour);
    const long long minutes = std::llround(hours * 60.0);
    const long long d = minutes / 1440, h = minutes / 60 % 24, m = minutes % 60;
    char text[64];
    if (d > 0) {
        std::snprintf(text, sizeof text, "%lld d %lld h %lld m", d, h, m);
    } else if (h > 0) {
        std::snprintf(text, sizeof text, "%lld h %lld m", h, m);
    } else {
        std::snprintf(text, sizeof text, "%lld m", m);
    }
    return text;
}

std::string EventOutsideMdText(SunContext& sun, const ChartData& chart) {
    const ReportModel ads = BuildReport(sun, chart, 1);
    const Boundary& start = ads.division.boundaries[0];
    const Boundary& end = ads.division.boundaries[kPeriodsPerTier];
    if (!start.found || !end.found) return {};
    const ChartMoment& e = ads.chart.event;
    const double hour = e.hour + e.minute / 60.0;
    // Inside is strictly between the ends, as the event search takes it.
    const char* where = nullptr;
    if (!IsEarlier(start.year, start.month, start.day, start.hour, e.year, e.month, e.day, hour)) {
        where = "before";
    } else if (!IsEarlier(e.year, e.month, e.day, hour, end.year, end.month, end.day, end.hour)) {
        where = "after";
    } else {
        return {};
    }
    return std::string("The event lies ") + where + " this MD, which runs from " + When(start) +
           " to " + When(end) + ".";
}

namespace {

std::string RowSpan(const ReportModel& report, int row, const SunContext* sun) {
    if (report.IsEvent() || row < 0 || row >= kPeriodsPerTier) return {};
    const LevelDivision& d = report.division;
    const auto& b = d.boundaries;
    return Span(PeriodName(report.path, report.path.level - 1, row),
                b[static_cast<std::size_t>(row)], b[static_cast<std::size_t>(row) + 1], sun);
}

}  // namespace

std::string RowStatusText(const ReportModel& report, int row) {
    return RowSpan(report, row, nullptr);
}

std::string RowStatusText(const SunContext& sun, const ReportModel& report, int row) {
    return RowSpan(report, row, &sun);
}

std::string MdStatusText(const SunContext& sun, const ReportModel& report) {
    if (report.IsEvent()) return {};
    const auto& b = report.division.boundaries;
    return Span("MD", b[0], b[kPeriodsPerTier], &sun);
}

std::string EventColumnStatusText(SunContext& sun, const ReportModel& report, int column) {
    if (!report.IsEvent() || !EventColumnFound(report.event, column)) return {};
    // The MD spans the ADs; a deeper column is one row of the level that divides its parent.
    ChartData chart = report.chart;
    PeriodPath path = report.path;
    path.level = column == 0 ? 1 : column;
    SetPath(chart, path);
    const ReportModel parent = BuildReport(sun, chart);
    const auto& b = parent.division.boundaries;
    if (column == 0) return Span("MD", b[0], b[kPeriodsPerTier], &sun);
    const int index = report.path.index[static_cast<std::size_t>(column - 1)];
    return Span(PeriodName(report.path, column - 1, index), b[static_cast<std::size_t>(index)],
                b[static_cast<std::size_t>(index) + 1], &sun);
}

}  // namespace tarvella
