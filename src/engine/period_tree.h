// Every period of every tier below the MD down to a depth, in time order, with the instants the
// report gives for the same level and indices: for export to calendars, spreadsheets and other
// programs. Streamed to a visitor; nothing holds the tree.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "engine/division.h"

namespace tarvella {

// Tiers below the MD: 1 AD, 2 PD, 3 SD, 4 PAD, 5 deha-antardasa. A depth D gives tiers 1..D.
inline constexpr int kTreeTiers = 5;
inline constexpr std::array<const char*, kTreeTiers> TierNames{"AD", "PD", "SD", "PAD", "DAD"};

struct PeriodRow {
    int tier = 1;                        // 1..kTreeTiers
    std::array<int, kTreeTiers> path{};  // 0-based index in each tier 1..tier; the rest 0
    // The row of the report of level `tier` for that path: end is the next period's start.
    const Boundary* start = nullptr;
    const Boundary* end = nullptr;
};

// Return false to stop the walk.
using PeriodVisitor = std::function<bool(const PeriodRow&)>;

// Periods of tiers 1..depth: 12 + 144 + ... + 12^depth.
std::int64_t PeriodCount(int depth);

// Walks the tree of the chart's MD down to `depth` (taken into 1..5) in time order, each period
// before its sub-periods. The chart's natal Sun must be computed, as for a report. Returns false
// when the visitor stopped the walk.
bool VisitPeriods(SunContext& sun, const ChartData& chart, int depth, const PeriodVisitor& visit);

// A boundary's instant in Universal Time as SecondsOf gives it. One outside the Sun table is
// -infinity or +infinity, on the side where it lies: before the MD's middle longitude (the mean of
// its two ends' longitudes) or after it.
double BoundarySeconds(const Boundary& b, double middleLongitude);

// VisitPeriods over the periods that overlap [from, to) (UT seconds, as BoundarySeconds): every
// period, with its sub-periods, that lies wholly outside is skipped unsearched, so a short range
// costs one path down the tree and its neighbours, not the tree. The rows visited are exactly the
// rows of the whole walk that overlap the range, in the same order and with the same boundaries.
bool VisitPeriodsInRange(SunContext& sun, const ChartData& chart, int depth, double from, double to,
                         const PeriodVisitor& visit);

// The chart whose report of level `tier` shows the period of `row` as row path[tier - 1].
ChartData ReportChartOf(const ChartData& chart, const PeriodRow& row);

}  // namespace tarvella
