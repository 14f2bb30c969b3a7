#include "document/period_path.h"

#include <algorithm>

namespace tarvella {

int& PathIndex(ChartData& chart, int tier) {
    switch (tier) {
        case kAdTier:
            return chart.adIndex;
        case kPdTier:
            return chart.pdIndex;
        case kSdTier:
            return chart.sdIndex;
        default:
            return chart.padIndex;
    }
}

int PathIndex(const ChartData& chart, int tier) {
    return PathIndex(const_cast<ChartData&>(chart), tier);
}

PeriodPath PathOf(const ChartData& chart) {
    PeriodPath path;
    path.level = chart.level;
    for (int tier = 0; tier < kPathTiers; ++tier) {
        path.index[static_cast<std::size_t>(tier)] = PathIndex(chart, tier);
    }
    return path;
}

void SetPath(ChartData& chart, const PeriodPath& path) {
    chart.level = path.level;
    for (int tier = 0; tier < kPathTiers; ++tier) {
        PathIndex(chart, tier) = path.index[static_cast<std::size_t>(tier)];
    }
}

ChartData WithinTables(const ChartData& chart) {
    ChartData c = chart;
    c.level = std::clamp(c.level, 1, kEventLevel);
    c.dasaYears = std::clamp(c.dasaYears, 1, 12);
    for (int tier = 0; tier < kPathTiers; ++tier) {
        PathIndex(c, tier) = std::clamp(PathIndex(c, tier), 0, kPeriodsPerTier - 1);
    }
    return c;
}

}  // namespace tarvella
