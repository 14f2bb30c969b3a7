#include "engine/period_tree.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/transit.h"

namespace tarvella {
namespace {

// Slots beyond a window's first that its search reads.
constexpr std::int64_t kWindowReach = 51;
// Slots either side of a range that the windows of its boundaries may read: half a window and
// the mean motion's misestimate, with room to spare.
constexpr std::int64_t kRangeMargin = 62;

struct Walk {
    SunContext& sun;
    const ChartData& chart;
    SunSlotCache cache;
    int depth;
    const PeriodVisitor& visit;
    PeriodRow row;
    // The range walk's [from, to); the whole walk's is everything.
    double from = -std::numeric_limits<double>::infinity();
    double to = std::numeric_limits<double>::infinity();
    double middle = 0.0;
    bool ranged = false;
};

bool Overlaps(const Walk& w, const Boundary& start, const Boundary& end) {
    if (!w.ranged) return true;
    return BoundarySeconds(end, w.middle) > w.from && BoundarySeconds(start, w.middle) < w.to;
}

void Locate(Walk& w, Boundary& b) {
    SunTransit found;
    const bool located = FindSunTransit(
        w.sun, w.cache, b.longitude, w.chart.birth.sunLongitude,
        {w.chart.dasaStartYear, w.chart.birth.month, w.chart.birth.day}, w.chart.eventZone, found);
    PlaceBoundary(b, located, found);
}

// The division of one period at `tier`, from its two ends as its parent's division found them:
// the first and last boundaries are those ends, the eleven between are added arc by arc, as the
// report's division of that level adds them.
bool Divide(Walk& w, int tier, const Boundary& first, const Boundary& last) {
    std::array<Boundary, 13> b;
    b[0] = first;
    b[12] = last;
    const double arc = LevelArc(tier, w.chart.dasaYears);
    double longitude = first.longitude;
    for (std::size_t k = 1; k < 12; ++k) {
        longitude += arc;
        b[k].longitude = longitude;
        Locate(w, b[k]);
    }
    for (std::size_t k = 0; k < 12; ++k) {
        if (!Overlaps(w, b[k], b[k + 1])) continue;
        w.row.tier = tier;
        w.row.path[static_cast<std::size_t>(tier - 1)] = static_cast<int>(k);
        std::fill(w.row.path.begin() + tier, w.row.path.end(), 0);
        w.row.start = &b[k];
        w.row.end = &b[k + 1];
        if (!w.visit(w.row)) return false;
        if (tier < w.depth && !Divide(w, tier + 1, b[k], b[k + 1])) return false;
    }
    return true;
}

}  // namespace

std::int64_t PeriodCount(int depth) {
    std::int64_t count = 0, tier = 1;
    for (int d = 0; d < std::clamp(depth, 1, kTreeTiers); ++d) count += tier *= 12;
    return count;
}

double BoundarySeconds(const Boundary& b, double middleLongitude) {
    if (b.found) return SecondsOf(b.ut);
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    return b.longitude < middleLongitude ? -kInfinity : kInfinity;
}

namespace {

bool WalkTree(SunContext& sun, const ChartData& original, int depth, const double* range,
              const PeriodVisitor& visit) {
    ChartData chart = WithinTables(original);
    chart.level = 1;
    // The MD's two ends exactly as the report of its ADs finds them.
    const LevelDivision md = DivideLevel(sun, chart);
    const Boundary& first = md.boundaries.front();
    const Boundary& last = md.boundaries.back();

    // One slot cache over every window that a boundary of the MD reads.
    const CivilDate anchor{chart.dasaStartYear, chart.birth.month, chart.birth.day};
    std::int64_t from = 0, to = 0;
    SunSlotCache cache;
    const double natal = chart.birth.sunLongitude;
    if (TransitWindowSlot(first.longitude, natal, anchor, from)) {
        // An MD that runs past the table is cached up to the table's end.
        to = TransitWindowSlot(last.longitude, natal, anchor, to) ? to + kWindowReach
                                                                  : kSunFileSize / kSlotBytes;
        if (range) {
            // Only the slots about the range: boundaries outside it are few and read the table.
            const auto slotOf = [](double seconds) { return SlotNumber(InstantAt(seconds).date); };
            if (std::isfinite(range[0])) from = std::max(from, slotOf(range[0]) - kRangeMargin);
            if (std::isfinite(range[1])) to = std::min(to, slotOf(range[1]) + kRangeMargin);
        }
        if (to > from) cache = CacheSunSlots(sun, from, to - from);
    }
    Walk w{sun, chart, std::move(cache), std::clamp(depth, 1, kTreeTiers), visit, {}};
    if (range) {
        w.ranged = true;
        w.from = range[0];
        w.to = range[1];
        w.middle = (first.longitude + last.longitude) / 2.0;
        if (!Overlaps(w, first, last)) return true;
    }
    return Divide(w, 1, first, last);
}

}  // namespace

bool VisitPeriods(SunContext& sun, const ChartData& chart, int depth, const PeriodVisitor& visit) {
    return WalkTree(sun, chart, depth, nullptr, visit);
}

bool VisitPeriodsInRange(SunContext& sun, const ChartData& chart, int depth, double from, double to,
                         const PeriodVisitor& visit) {
    const double range[2] = {from, to};
    return WalkTree(sun, chart, depth, range, visit);
}

ChartData ReportChartOf(const ChartData& chart, const PeriodRow& row) {
    ChartData c = chart;
    c.level = row.tier;
    PeriodPath path = PathOf(c);
    for (int t = 0; t < row.tier - 1; ++t)
        path.index[static_cast<std::size_t>(t)] = row.path[static_cast<std::size_t>(t)];
    path.level = row.tier;
    SetPath(c, path);
    return c;
}

}  // namespace tarvella
