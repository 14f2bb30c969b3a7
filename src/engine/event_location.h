// Event mode: the sub-periods of the six tiers that contain the chart's event.
#pragma once

#include <algorithm>
#include <array>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "document/period_path.h"

namespace tarvella {

inline constexpr int kNoAntardasa = 12;

// Tiers below the AD that the search places by the Sun's longitude at the event.
inline constexpr int kLowerTiers = 4;  // PD, SD, PAD, DAD

struct EventPath {
    int adIndex = kNoAntardasa;  // 0..11, or 12 when no AD of the MD contains the event
    int tiersFound = 0;          // lower tiers found, 0..4; below 4 after an AD means the error
    std::array<int, kLowerTiers> tierIndex{};  // index found in each lower tier, 0..11
    bool Complete() const { return adIndex != kNoAntardasa && tiersFound == kLowerTiers; }
    // Tiers of the path that were found: none, the AD, or the AD and the PD, ... down to the PAD.
    int PathTiersFound() const {
        if (adIndex < 0 || adIndex >= kPeriodsPerTier) return 0;
        return 1 + std::clamp(tiersFound, 0, kPathTiers - 1);
    }
    // The indices of the tiers found, put in `path` from the AD down to `tiers` of them.
    PeriodPath Within(PeriodPath path, int tiers = kPathTiers) const {
        const int found = std::min(tiers, PathTiersFound());
        for (int tier = 0; tier < found; ++tier) {
            path.index[static_cast<std::size_t>(tier)] =
                tier == kAdTier ? adIndex : tierIndex[static_cast<std::size_t>(tier - 1)];
        }
        return path;
    }
};

// 1 when (y1, m1, d1, h1) comes strictly before (y2, m2, d2, h2).
int IsEarlier(int y1, int m1, int d1, double h1, int y2, int m2, int d2, double h2);

// The AD whose start and end instants enclose the event, 0..11, or 12 (also when an instant lies
// outside the Sun table). The thirteen boundaries of the ADs are sought once each.
int FindAntardasa(SunContext& sun, const ChartData& chart);

// The whole search, leaving the chart as it is.
EventPath FindEventPath(SunContext& sun, const ChartData& chart);

// What the search found, stored in the chart: adIndex, pdIndex, sdIndex and padIndex are written
// only for the tiers found, so a failed search never leaves an index outside 0..11.
void StoreEventPath(ChartData& chart, const EventPath& path);

// FindEventPath, then StoreEventPath.
EventPath LocateEvent(SunContext& sun, ChartData& chart);

}  // namespace tarvella
