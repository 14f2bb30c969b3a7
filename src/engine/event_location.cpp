#include "engine/event_location.h"

#include <algorithm>

#include "core/transit.h"
#include "engine/division.h"

namespace tarvella {

int IsEarlier(int y1, int m1, int d1, double h1, int y2, int m2, int d2, double h2) {
    if (y1 != y2) return y1 < y2;
    if (m1 != m2) return m1 < m2;
    if (d1 != d2) return d1 < d2;
    return h1 < h2 ? 1 : 0;
}

int FindAntardasa(SunContext& sun, const ChartData& original) {
    const ChartData chart = WithinTables(original);
    const ChartMoment& e = chart.event;
    const double eventHour = e.hour + e.minute / 60.0;
    const double arc = LevelArc(1, chart.dasaYears);
    double t = chart.birth.sunLongitude;
    // The end of one AD is the start of the next: the same target, so the same instant.
    int y1, m1, d1, y2, m2, d2;
    double h1, h2;
    bool startFound = BoundaryInstant(sun, chart, t, y1, m1, d1, h1);
    for (int i = 0; i < 12; ++i) {
        t = t + arc;
        const bool endFound = BoundaryInstant(sun, chart, t, y2, m2, d2, h2);
        // An AD whose start or end lies outside the Sun table cannot be said to hold the event.
        if (startFound && endFound &&
            IsEarlier(y1, m1, d1, h1, e.year, e.month, e.day, eventHour) &&
            IsEarlier(e.year, e.month, e.day, eventHour, y2, m2, d2, h2)) {
            return i;
        }
        startFound = endFound;
        y1 = y2;
        m1 = m2;
        d1 = d2;
        h1 = h2;
    }
    return kNoAntardasa;
}

EventPath FindEventPath(SunContext& sun, const ChartData& original) {
    const ChartData chart = WithinTables(original);
    EventPath path;
    path.adIndex = FindAntardasa(sun, chart);
    if (path.adIndex == kNoAntardasa) return path;

    const double sunAtEvent = chart.event.sunLongitude;
    const int n = chart.dasaYears;
    double start =
        chart.birth.sunLongitude + static_cast<double>(path.adIndex * n) * LevelFactors[0];
    // The AD's end as the AD search saw it; each tier's last sub-period closes exactly on its
    // parent's end, so a Sun on that end is never lost between two tiers.
    double parentEnd = chart.birth.sunLongitude;
    for (int i = 0; i <= path.adIndex; ++i) parentEnd += LevelArc(1, n);
    double arc = static_cast<double>(n) * LevelFactors[1];

    for (int tier = 0; tier < kLowerTiers; ++tier) {
        int found = -1;
        for (int j = 0; j < kPeriodsPerTier; ++j) {
            const double end = j == kPeriodsPerTier - 1 ? parentEnd : arc + start;
            if (IsOnArc(start, sunAtEvent, end)) {
                found = j;
                parentEnd = end;
                break;
            }
            start = end;
        }
        if (found < 0) return path;
        path.tierIndex[static_cast<std::size_t>(tier)] = found;
        path.tiersFound = tier + 1;
        arc = arc * 0.08333333333333333;
    }
    return path;
}

void StoreEventPath(ChartData& chart, const EventPath& path) {
    SetPath(chart, path.Within(PathOf(chart)));
}

EventPath LocateEvent(SunContext& sun, ChartData& chart) {
    const EventPath path = FindEventPath(sun, chart);
    StoreEventPath(chart, path);
    return path;
}

}  // namespace tarvella
