#include "engine/period_tree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/report_model.h"
#include "test_support.h"

namespace tarvella {
namespace {

class PeriodTreeTest : public ::testing::Test {
  protected:
    ChartData RandomChart(std::mt19937& random) {
        auto pick = [&random](int lo, int hi) {
            return std::uniform_int_distribution<int>(lo, hi)(random);
        };
        ChartData c = DefaultChart();
        c.birth.year = pick(1850, 2040);
        c.birth.month = pick(1, 12);
        c.birth.day = pick(1, 28);
        c.birth.hour = pick(0, 23);
        c.birth.minute = pick(0, 59);
        c.birthZone.west = pick(0, 1);
        c.birthZone.hours = pick(0, 11);
        c.birthZone.minutes = 30.0 * pick(0, 1);
        c.birthZone.utOffset = ZoneOffset(c.birthZone.west, c.birthZone.hours, c.birthZone.minutes);
        c.eventZone.west = pick(0, 1);
        c.eventZone.hours = pick(0, 11);
        c.eventZone.minutes = 15.0 * pick(0, 3);
        c.eventZone.utOffset = ZoneOffset(c.eventZone.west, c.eventZone.hours, c.eventZone.minutes);
        c.dasaYears = pick(1, 12);
        c.dasaStartYear = std::min(c.birth.year + pick(0, 60), 2099 - c.dasaYears);
        ayanamsa_.deviation = pick(-90, 60);
        ComputeSunPosition(sun_, c.birth, c.birthZone);
        return c;
    }
    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
};

void ExpectSame(const Boundary& a, const Boundary& b, const char* what) {
    EXPECT_EQ(a.longitude, b.longitude) << what;
    EXPECT_EQ(a.found, b.found) << what;
    EXPECT_EQ(a.year, b.year) << what;
    EXPECT_EQ(a.month, b.month) << what;
    EXPECT_EQ(a.day, b.day) << what;
    EXPECT_EQ(a.hour, b.hour) << what;
    EXPECT_EQ(a.ut.date, b.ut.date) << what;
    EXPECT_EQ(a.ut.hour, b.ut.hour) << what;
    EXPECT_EQ(a.position.sign, b.position.sign) << what;
    EXPECT_EQ(a.position.degree, b.position.degree) << what;
    EXPECT_EQ(a.position.arcMinute, b.position.arcMinute) << what;
    EXPECT_EQ(a.position.arcSecond, b.position.arcSecond) << what;
}

// Checks a walk as it streams: the count, the order, the tiling of every tier across parents,
// each parent closed by its children, and every row equal to the report's row of its level.
// Every `sample`-th division is compared with its report.
void CheckWalk(SunContext& sun, const ChartData& chart, int depth, int sample) {
    std::array<Boundary, kTreeTiers + 1> lastEnd{};
    std::array<bool, kTreeTiers + 1> seen{};
    std::array<Boundary, kTreeTiers + 1> parentStart{}, parentEnd{};
    std::int64_t rows = 0, divisions = 0;
    std::array<bool, kTreeTiers + 1> compare{};
    std::array<ReportModel, kTreeTiers + 1> report;
    int previousTier = 0;
    const bool done = VisitPeriods(sun, chart, depth, [&](const PeriodRow& row) {
        ++rows;
        const auto t = static_cast<std::size_t>(row.tier);
        const int index = row.path[t - 1];
        // Time order: a period comes after its parent and before its own sub-periods.
        EXPECT_LE(row.tier, previousTier + 1);
        previousTier = row.tier;
        if (seen[t]) ExpectSame(lastEnd[t], *row.start, "a tier's end is the next start");
        if (index == 0 && t > 1) ExpectSame(parentStart[t - 1], *row.start, "first child");
        if (index == 11 && t > 1) ExpectSame(parentEnd[t - 1], *row.end, "last child");
        if (row.start->found && row.end->found) {
            EXPECT_LT(row.start->longitude, row.end->longitude);
        }
        seen[t] = true;
        lastEnd[t] = *row.end;
        parentStart[t] = *row.start;
        parentEnd[t] = *row.end;
        if (index == 0) {
            compare[t] = divisions++ % sample == 0;
            if (compare[t]) report[t] = BuildReport(sun, ReportChartOf(chart, row));
        }
        if (compare[t]) {
            const LevelDivision& d = report[t].division;
            EXPECT_EQ(d.level, row.tier);
            ExpectSame(d.boundaries[static_cast<std::size_t>(index)], *row.start,
                       "start as the report has it");
            ExpectSame(d.boundaries[static_cast<std::size_t>(index) + 1], *row.end,
                       "end as the report has it");
        }
        return !::testing::Test::HasFailure();
    });
    EXPECT_TRUE(done);
    EXPECT_EQ(rows, PeriodCount(depth));
}

TEST_F(PeriodTreeTest, RandomChartsTileAtEveryDepthWithTheReportsInstants) {
    std::mt19937 random(15);
    for (int i = 0; i < 24 && !HasFailure(); ++i) {
        const ChartData chart = RandomChart(random);
        const int depth = i % 4 + 1;
        SCOPED_TRACE(::testing::Message() << "chart " << i << " depth " << depth);
        CheckWalk(sun_, chart, depth, 1);
    }
}

TEST_F(PeriodTreeTest, DeepestTreeOfALongMdTilesWithTheReportsInstants) {
    std::mt19937 random(5);
    ChartData chart = RandomChart(random);
    chart.dasaYears = 12;
    chart.dasaStartYear = 1990;
    CheckWalk(sun_, chart, 5, 1);
}

TEST_F(PeriodTreeTest, MdPastTheTableEndsAsTheReportsDo) {
    std::mt19937 random(7);
    ChartData chart = RandomChart(random);
    chart.dasaYears = 12;
    chart.dasaStartYear = 2093;
    int outside = 0;
    VisitPeriods(sun_, chart, 2, [&](const PeriodRow& row) {
        if (!row.end->found) ++outside;
        return true;
    });
    EXPECT_GT(outside, 0);
    CheckWalk(sun_, chart, 3, 1);
}

struct SeenRow {
    int tier;
    std::array<int, kTreeTiers> path;
    Boundary start, end;
};

// Ranges across the MD (its ends from the whole walk): the whole, a day, an hour, a minute, one
// instant wide, either side of each end, and wholly outside.
TEST_F(PeriodTreeTest, RangeWalkVisitsExactlyTheRowsOfTheWholeWalkThatOverlap) {
    std::mt19937 random(11);
    struct Case {
        int years, startYear, depth;
    };
    for (const Case& c : {Case{1, 0, 5}, Case{12, 0, 4}, Case{12, 2093, 4}, Case{3, 1800, 4}}) {
        ChartData chart = RandomChart(random);
        chart.dasaYears = c.years;
        if (c.startYear != 0) chart.dasaStartYear = c.startYear;
        if (c.startYear == 1800) {
            chart.birth.month = 1;
            chart.birth.day = 2;
            ComputeSunPosition(sun_, chart.birth, chart.birthZone);
        }
        SCOPED_TRACE(::testing::Message() << c.years << " y from " << chart.dasaStartYear);
        chart.level = 1;
        const LevelDivision md = DivideLevel(sun_, WithinTables(chart));
        const double middle = (md.boundaries[0].longitude + md.boundaries[12].longitude) / 2.0;
        double first = BoundarySeconds(md.boundaries[0], middle);
        double last = BoundarySeconds(md.boundaries[12], middle);
        if (!std::isfinite(first)) first = SecondsOf({{1800, 1, 1}, 0.0});
        if (!std::isfinite(last)) last = SecondsOf({{2100, 1, 1}, 0.0});
        const double inside = first + (last - first) * 0.37;
        const double inf = std::numeric_limits<double>::infinity();
        const std::vector<std::pair<double, double>> ranges{{first, last},
                                                            {inside, inside + 86400},
                                                            {inside, inside + 3600},
                                                            {inside, inside + 60},
                                                            {inside, std::nextafter(inside, inf)},
                                                            {first - 600, first + 600},
                                                            {last - 600, last + 600},
                                                            {-inf, inf},
                                                            {last + 1, last + 3600},
                                                            {first - 7200, first - 1}};
        std::vector<std::vector<SeenRow>> expected(ranges.size());
        VisitPeriods(sun_, chart, c.depth, [&](const PeriodRow& row) {
            const double s = BoundarySeconds(*row.start, middle);
            const double e = BoundarySeconds(*row.end, middle);
            for (std::size_t r = 0; r < ranges.size(); ++r) {
                if (e > ranges[r].first && s < ranges[r].second)
                    expected[r].push_back({row.tier, row.path, *row.start, *row.end});
            }
            return true;
        });
        if (md.boundaries[0].found && md.boundaries[12].found) {
            EXPECT_EQ(expected[7].size(), static_cast<std::size_t>(PeriodCount(c.depth)));
            EXPECT_TRUE(expected[8].empty());
            EXPECT_TRUE(expected[9].empty());
        } else {
            // Periods with no instant at all overlap no range.
            EXPECT_LT(expected[7].size(), static_cast<std::size_t>(PeriodCount(c.depth)));
        }
        EXPECT_EQ(expected[4].size(), static_cast<std::size_t>(c.depth));
        for (std::size_t r = 0; r < ranges.size(); ++r) {
            SCOPED_TRACE(::testing::Message() << "range " << r);
            std::size_t n = 0;
            const bool failedBefore = HasFailure();
            VisitPeriodsInRange(
                sun_, chart, c.depth, ranges[r].first, ranges[r].second, [&](const PeriodRow& row) {
                    if (n < expected[r].size()) {
                        const SeenRow& want = expected[r][n];
                        EXPECT_EQ(row.tier, want.tier);
                        EXPECT_EQ(row.path, want.path);
                        ExpectSame(*row.start, want.start, "start");
                        ExpectSame(*row.end, want.end, "end");
                    }
                    ++n;
                    return HasFailure() == failedBefore;  // the first mismatch tells
                });
            EXPECT_EQ(n, expected[r].size());
        }
    }
}

TEST_F(PeriodTreeTest, CountsAndStop) {
    EXPECT_EQ(PeriodCount(1), 12);
    EXPECT_EQ(PeriodCount(5), 271452);
    std::mt19937 random(3);
    const ChartData chart = RandomChart(random);
    int visited = 0;
    EXPECT_FALSE(VisitPeriods(sun_, chart, 5, [&](const PeriodRow&) { return ++visited < 100; }));
    EXPECT_EQ(visited, 100);
}

}  // namespace
}  // namespace tarvella
