#include <gtest/gtest.h>

#include <climits>

#include "document/chart_files.h"
#include "document/period_path.h"
#include "engine/division.h"
#include "engine/event_location.h"
#include "test_support.h"

namespace tarvella {
namespace {

TEST(PeriodPath, TiersAreTheChartsIndicesInTheirOrder) {
    ChartData c = DefaultChart();
    const PeriodPath path = PathOf(c);
    EXPECT_EQ(path.level, 4);
    EXPECT_EQ(path.index, (std::array{4, 5, 9, 1}));
    ChartData d = DefaultChart();
    SetPath(d, {2, {11, 0, 3, 7}});
    EXPECT_EQ((std::array{d.level, d.adIndex, d.pdIndex, d.sdIndex, d.padIndex}),
              (std::array{2, 11, 0, 3, 7}));
    for (int level = 2; level <= kDeepestLevel; ++level) {
        // Level 2 divides the AD, level 5 the PAD.
        EXPECT_EQ(&PathIndex(c, TierDividedAt(level)),
                  (std::array{&c.adIndex, &c.pdIndex, &c.sdIndex, &c.padIndex})[level - 2]);
    }
}

// The chart files, the division and the event search bring a damaged chart into range by the one
// clamp, so a chart read back from its file divides and places the event as the raw one does.
TEST(PeriodPath, EveryReaderBringsAChartIntoTheSameRanges) {
    Ayanamsa ayanamsa;
    SunContext sun{test::GeneratedTable(), ayanamsa};
    for (int v : {INT_MIN, -1, 0, 5, 11, 12, 13, INT_MAX}) {
        ChartData raw = DefaultChart();
        ComputeSunPosition(sun, raw.birth, raw.birthZone);
        ComputeSunPosition(sun, raw.event, raw.eventZone);
        raw.level = raw.dasaYears = raw.adIndex = raw.pdIndex = raw.sdIndex = raw.padIndex = v;
        const ChartData clamped = WithinTables(raw);
        std::optional<ChartData> read = ParseLastDataText(LastDataText(raw));
        ASSERT_TRUE(read);
        EXPECT_EQ(PathOf(*read), PathOf(clamped)) << v;
        EXPECT_EQ(read->dasaYears, clamped.dasaYears);
        for (int tier = 0; tier < kPathTiers; ++tier) {
            EXPECT_TRUE(PathIndex(clamped, tier) >= 0 && PathIndex(clamped, tier) < 12);
        }
        read->birth = raw.birth;
        read->event = raw.event;
        const LevelDivision fromRaw = DivideLevel(sun, raw);
        const LevelDivision fromFile = DivideLevel(sun, *read);
        EXPECT_EQ(fromRaw.path, fromFile.path);
        for (std::size_t k = 0; k < 13; ++k) {
            EXPECT_EQ(fromRaw.boundaries[k].longitude, fromFile.boundaries[k].longitude) << v;
        }
        const EventPath a = FindEventPath(sun, raw), b = FindEventPath(sun, *read);
        EXPECT_EQ(a.adIndex, b.adIndex);
        EXPECT_EQ(a.tiersFound, b.tiersFound);
        EXPECT_EQ(a.tierIndex, b.tierIndex);
    }
}

TEST(PeriodPath, EventPathPutsOnlyTheTiersFound) {
    EventPath path;
    path.adIndex = 6;
    path.tiersFound = 2;
    path.tierIndex = {9, 3, 0, 0};
    const PeriodPath base{6, {1, 1, 1, 1}};
    EXPECT_EQ(path.PathTiersFound(), 3);
    EXPECT_EQ(path.Within(base).index, (std::array{6, 9, 3, 1}));
    EXPECT_EQ(path.Within(base, 1).index, (std::array{6, 1, 1, 1}));
    path.tiersFound = kLowerTiers;  // the sixth tier is found but is no index of the path
    EXPECT_EQ(path.PathTiersFound(), kPathTiers);
    path.adIndex = kNoAntardasa;
    EXPECT_EQ(path.PathTiersFound(), 0);
    EXPECT_EQ(path.Within(base), base);
}

}  // namespace
}  // namespace tarvella
