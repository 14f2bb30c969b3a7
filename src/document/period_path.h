// The path of selected periods down which a level divides, with the level: one numbering of the
// tiers for the division, the event search, navigation and the chart files.
#pragma once

#include <array>

#include "document/chart_data.h"

namespace tarvella {

// Tiers of the path from the top: the AD chosen in the MD, the PD in that AD, the SD, the PAD.
inline constexpr int kAdTier = 0;
inline constexpr int kPdTier = 1;
inline constexpr int kSdTier = 2;
inline constexpr int kPadTier = 3;
inline constexpr int kPathTiers = 4;
inline constexpr int kPeriodsPerTier = 12;
inline constexpr int kDeepestLevel = 5;  // levels 1..5 divide a period; 6 is event mode

struct PeriodPath {
    int level = 1;  // 1: the ADs of the MD; L up to 5: the sub-periods of tier L - 2's period
    std::array<int, kPathTiers> index{};  // 0..11 in each tier
    bool operator==(const PeriodPath&) const = default;
};

// The tier whose period level `level` (2..5) divides: level 2 divides the AD.
inline constexpr int TierDividedAt(int level) {
    return level - 2;
}

PeriodPath PathOf(const ChartData& chart);
void SetPath(ChartData& chart, const PeriodPath& path);

// The chart's index of one tier (0..3).
int& PathIndex(ChartData& chart, int tier);
int PathIndex(const ChartData& chart, int tier);

// The chart with its level (1..6), MD length (1..12) and path indices (0..11) brought into the
// ranges that the tables hold: the one clamp that the chart readers, the division, the event
// search and the report share, so that nothing reads a table outside its bounds or overflows an
// index product, whatever the chart came from.
ChartData WithinTables(const ChartData& chart);

}  // namespace tarvella
