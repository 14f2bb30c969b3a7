#include "engine/division.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/transit.h"

namespace tarvella {
namespace {

// The event level has no twelve rows of its own: it is divided as the deepest level.
ChartData Divisible(const ChartData& chart) {
    ChartData c = WithinTables(chart);
    c.level = std::min(c.level, kDeepestLevel);
    return c;
}

// Start of the period divided at `level`: row `index` of its parent's division, found by the same
// repeated addition, so that a period's first sub-period starts exactly where the period does.
// A product of the index and the arc differs from that sum in the last bits.
double StartAt(const ChartData& chart, int level) {
    if (level <= 1) return chart.birth.sunLongitude;
    const int parent = level - 1;
    const int index = PathIndex(chart, TierDividedAt(level));
    const double arc = LevelArc(parent, chart.dasaYears);
    double s = StartAt(chart, parent);
    for (int k = 0; k < index; ++k) s += arc;
    return s;
}

// End of the period divided at `level`. The MD closes after twelve AD arcs; below it a period is
// row `index` of its parent's division, so its end is that row's end, found by the same repeated
// addition, and the parent's own end for the last row. Twelve sub-arcs added one by one fall
// short of the parent's end by a few units in the last place; closing on the parent's value keeps
// a Sun exactly on a boundary inside the last sub-period.
double EndAt(const ChartData& chart, int level) {
    const int parent = level - 1;
    if (parent == 0) {
        const double arc = LevelArc(1, chart.dasaYears);
        double b = chart.birth.sunLongitude;
        for (int k = 0; k < 12; ++k) b += arc;
        return b;
    }
    const int index = PathIndex(chart, TierDividedAt(level));
    if (index == kPeriodsPerTier - 1) return EndAt(chart, parent);
    const double arc = LevelArc(parent, chart.dasaYears);
    double b = StartAt(chart, parent);
    for (int k = 0; k <= index; ++k) b += arc;
    return b;
}

}  // namespace

double LevelArc(int level, int dasaYears) {
    return static_cast<double>(dasaYears) * LevelFactors[static_cast<std::size_t>(level - 1)];
}

double LevelStartLongitude(const ChartData& chart) {
    return StartAt(chart, chart.level);
}

double LevelEndLongitude(const ChartData& chart) {
    return EndAt(chart, chart.level);
}

bool BoundaryInstant(SunContext& sun, const ChartData& chart, double longitude, int& year,
                     int& month, int& day, double& hour) {
    year = chart.dasaStartYear;
    month = chart.birth.month;
    day = chart.birth.day;
    hour = 0.0;
    SunTransit found;
    if (!BoundaryInstant(sun, chart, longitude, found)) return false;
    year = found.local.date.year;
    month = found.local.date.month;
    day = found.local.date.day;
    hour = found.local.hour;
    return true;
}

bool BoundaryInstant(SunContext& sun, const ChartData& chart, double longitude, SunTransit& found) {
    return FindSunTransit(sun, longitude, chart.birth.sunLongitude,
                          {chart.dasaStartYear, chart.birth.month, chart.birth.day},
                          chart.eventZone, found);
}

void PlaceBoundary(Boundary& boundary, bool found, const SunTransit& transit) {
    boundary.found = found;
    if (found) {
        boundary.year = transit.local.date.year;
        boundary.month = transit.local.date.month;
        boundary.day = transit.local.date.day;
        boundary.hour = transit.local.hour;
        boundary.ut = transit.ut;
    }
    boundary.position = SplitLongitude(boundary.longitude);
}

ZodiacPosition SplitLongitude(double longitude) {
    ZodiacPosition p;
    if (!std::isfinite(longitude)) return p;
    // Whole arc-seconds first, so 59.5" and more carry into the minute instead of showing 60.
    constexpr std::int64_t kTurn = 360 * 3600;
    std::int64_t seconds = std::llround(ReduceDegrees(longitude) * 3600.0) % kTurn;
    p.sign = static_cast<int>(seconds / (30 * 3600));
    seconds %= 30 * 3600;
    p.degree = static_cast<int>(seconds / 3600);
    seconds %= 3600;
    p.arcMinute = static_cast<int>(seconds / 60);
    p.arcSecond = static_cast<double>(seconds % 60);
    return p;
}

LevelDivision DivideLevel(SunContext& sun, const ChartData& original) {
    const ChartData chart = Divisible(original);
    LevelDivision d;
    d.level = chart.level;
    d.path = PathOf(chart);
    d.arc = LevelArc(chart.level, chart.dasaYears);
    d.start = LevelStartLongitude(chart);
    double b = d.start;
    for (int k = 0; k < 13; ++k) {
        Boundary& boundary = d.boundaries[static_cast<std::size_t>(k)];
        boundary.longitude = k == 12 ? LevelEndLongitude(chart) : b;
        SunTransit found;
        PlaceBoundary(boundary, BoundaryInstant(sun, chart, boundary.longitude, found), found);
        b += d.arc;
    }
    return d;
}

}  // namespace tarvella
