#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/calendar.h"
#include "core/transit.h"
#include "engine/division.h"
#include "engine/event_location.h"
#include "test_support.h"

namespace tarvella {
namespace {

class Engine : public ::testing::Test {
  protected:
    // The default chart with both Sun positions computed under Lahiri.
    ChartData Chart() {
        ChartData c = DefaultChart();
        EXPECT_TRUE(ComputeSunPosition(sun_, c.birth, c.birthZone));
        EXPECT_TRUE(ComputeSunPosition(sun_, c.event, c.eventZone));
        return c;
    }
    static double Days(const Boundary& from, const Boundary& to) {
        return JulianDayNumber(to.year, to.month, to.day) + to.hour / 24.0 -
               JulianDayNumber(from.year, from.month, from.day) - from.hour / 24.0;
    }

    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
};

TEST_F(Engine, ArcsAndStartOfTheDefaultChart) {
    EXPECT_EQ(LevelArc(1, 1), 30.0);
    EXPECT_EQ(LevelArc(3, 12), 12 * 0.20833333333333331);
    const ChartData c = Chart();
    EXPECT_DOUBLE_EQ(LevelStartLongitude(c), c.birth.sunLongitude + 134.375);
    const LevelDivision d = DivideLevel(sun_, c);
    EXPECT_EQ(d.arc, 0.017361111111111112);
    for (int k = 0; k < 12; ++k) {
        ASSERT_TRUE(d.boundaries[k].found);
        // About 25 minutes of time per row.
        EXPECT_NEAR(Days(d.boundaries[k], d.boundaries[k + 1]) * 1440.0, 25.0, 1.0);
    }
    // The period opens in the 5th AD of the MD begun at the 1999 solar return: late August.
    EXPECT_EQ(d.boundaries[0].year, 1999);
    EXPECT_EQ(d.boundaries[0].month, 8);
}

TEST_F(Engine, TwelveYearMdReturnsToTheNatalSunEveryYear) {
    ChartData c = Chart();
    c.dasaYears = 12;
    c.level = 1;
    const LevelDivision d = DivideLevel(sun_, c);
    const ZodiacPosition natal = SplitLongitude(c.birth.sunLongitude);
    for (int k = 0; k <= 12; ++k) {
        ASSERT_TRUE(d.boundaries[k].found);
        EXPECT_EQ(d.boundaries[k].position.sign, natal.sign);
        EXPECT_EQ(d.boundaries[k].position.degree, natal.degree);
        EXPECT_EQ(d.boundaries[k].position.arcMinute, natal.arcMinute);
        EXPECT_EQ(d.boundaries[k].year, 1999 + k);
        if (k > 0) {
            EXPECT_NEAR(Days(d.boundaries[k - 1], d.boundaries[k]), 365.2422, 0.1);
        }
    }
    // Two years: the middle boundary is one turn on, a year after the start.
    c.dasaYears = 2;
    const LevelDivision two = DivideLevel(sun_, c);
    EXPECT_NEAR(Days(two.boundaries[0], two.boundaries[6]), 365.24, 0.1);
}

TEST_F(Engine, LastRowClosesExactlyOnTheParentsEnd) {
    ChartData c = Chart();
    for (int level = 2; level <= 5; ++level) {
        for (int index : {0, 6, 11}) {
            c.level = level;
            c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = index;
            const LevelDivision child = DivideLevel(sun_, c);
            ChartData parent = c;
            parent.level = level - 1;
            const LevelDivision above = DivideLevel(sun_, parent);
            EXPECT_EQ(child.boundaries[12].longitude, above.boundaries[index + 1].longitude)
                << "level " << level << " index " << index;
            // And the first starts exactly on the parent's start, instant and all.
            EXPECT_EQ(child.boundaries[0].longitude, above.boundaries[index].longitude)
                << "level " << level << " index " << index;
            EXPECT_EQ(child.boundaries[0].ut.hour, above.boundaries[index].ut.hour);
        }
    }
}

TEST(SplitLongitude, RoundsToWholeSecondsAndCarries) {
    ZodiacPosition p = SplitLongitude(30.0);
    EXPECT_EQ(p.sign, 1);
    EXPECT_EQ(p.degree, 0);
    p = SplitLongitude(360.0);
    EXPECT_EQ(p.sign, 0);
    EXPECT_EQ(p.degree, 0);
    p = SplitLongitude(725.0 + 19.0 / 60.0 + 59.6 / 3600.0);  // 5 deg 19' 59.6"
    EXPECT_EQ(p.degree, 5);
    EXPECT_EQ(p.arcMinute, 20);
    EXPECT_EQ(p.arcSecond, 0.0);
    p = SplitLongitude(59.0 + 59.0 / 60.0 + 59.7 / 3600.0);  // 29 Ta 59' 59.7" carries into Ge
    EXPECT_EQ(p.sign, 2);
    EXPECT_EQ(p.degree, 0);
    EXPECT_EQ(p.arcMinute, 0);
    p = SplitLongitude(359.9999);  // the last second of Pisces rounds to 0 Aries
    EXPECT_EQ(p.sign, 0);
    EXPECT_EQ(p.degree, 0);
    p = SplitLongitude(100.0 + 12.0 / 60.0 + 34.4 / 3600.0);
    EXPECT_EQ(p.sign, 3);
    EXPECT_EQ(p.degree, 10);
    EXPECT_EQ(p.arcMinute, 12);
    EXPECT_EQ(p.arcSecond, 34.0);
}

TEST_F(Engine, MdBeyondTheTableYieldsUnfoundBoundaries) {
    ChartData c = Chart();
    c.level = 1;
    for (int year : {-5000, 1500, 2099, 2200, 100000}) {
        c.dasaStartYear = year;
        const LevelDivision d = DivideLevel(sun_, c);
        EXPECT_FALSE(d.boundaries[12].found) << year;
    }
    c.dasaStartYear = 2097;
    c.dasaYears = 3;  // starts inside the table, ends past it
    const LevelDivision d = DivideLevel(sun_, c);
    EXPECT_TRUE(d.boundaries[0].found);
    EXPECT_FALSE(d.boundaries[12].found);
}

TEST(IsEarlier, ComparesDateThenHours) {
    EXPECT_EQ(IsEarlier(1999, 8, 22, 12.0, 1999, 8, 22, 12.0), 0);
    EXPECT_EQ(IsEarlier(1999, 8, 22, 12.0, 1999, 8, 22, 12.5), 1);
    EXPECT_EQ(IsEarlier(1999, 8, 23, 1.0, 1999, 8, 22, 23.0), 0);
    EXPECT_EQ(IsEarlier(1998, 12, 31, 23.0, 1999, 1, 1, 0.0), 1);
    EXPECT_EQ(IsEarlier(1999, 2, 1, 0.0, 1999, 1, 31, 0.0), 0);
}

TEST_F(Engine, DefaultEventIsPlacedDownToTheSixthTier) {
    ChartData c = Chart();
    c.level = kEventLevel;
    const EventPath path = LocateEvent(sun_, c);
    ASSERT_TRUE(path.Complete());
    EXPECT_EQ(c.adIndex, path.adIndex);
    EXPECT_EQ(c.pdIndex, path.tierIndex[0]);
    EXPECT_EQ(c.sdIndex, path.tierIndex[1]);
    EXPECT_EQ(c.padIndex, path.tierIndex[2]);
    // The AD found encloses the event by its instants.
    ChartData ads = c;
    ads.level = 1;
    const LevelDivision d = DivideLevel(sun_, ads);
    const Boundary& s = d.boundaries[path.adIndex];
    const Boundary& e = d.boundaries[path.adIndex + 1];
    const double h = c.event.hour + c.event.minute / 60.0;
    EXPECT_TRUE(IsEarlier(s.year, s.month, s.day, s.hour, 1999, 8, 22, h));
    EXPECT_TRUE(IsEarlier(1999, 8, 22, h, e.year, e.month, e.day, e.hour));
    // The PD found holds the Sun at the event.
    ChartData pds = c;
    pds.level = 2;
    const LevelDivision p = DivideLevel(sun_, pds);
    EXPECT_EQ(IsOnArc(p.boundaries[path.tierIndex[0]].longitude, c.event.sunLongitude,
                      p.boundaries[path.tierIndex[0] + 1].longitude),
              1);
}

TEST_F(Engine, SunExactlyOnAPdBoundaryLandsInTheEarlierPdAndItsLastSubPeriods) {
    ChartData c = Chart();
    ASSERT_TRUE(LocateEvent(sun_, c).Complete());
    // The end of PD 5 as the search adds it up.
    double end = c.birth.sunLongitude + static_cast<double>(c.adIndex * c.dasaYears) * 30.0;
    for (int j = 0; j <= 5; ++j) end = c.dasaYears * 2.5 + end;
    c.event.sunLongitude = ReduceDegrees(end);
    const EventPath path = LocateEvent(sun_, c);
    ASSERT_TRUE(path.Complete()) << "tiers found: " << path.tiersFound;
    EXPECT_EQ(path.tierIndex[0], 5);
    EXPECT_EQ(path.tierIndex[1], 11);
    EXPECT_EQ(path.tierIndex[2], 11);
    EXPECT_EQ(path.tierIndex[3], 11);
}

TEST_F(Engine, EventOutsideTheMdKeepsTheEarlierIndices) {
    ChartData c = Chart();
    c.adIndex = 7;
    c.event.month = 3;  // before the Sun's return to its natal longitude in April 1999
    c.event.day = 1;
    ASSERT_TRUE(ComputeSunPosition(sun_, c.event, c.eventZone));
    EventPath path = LocateEvent(sun_, c);
    EXPECT_EQ(path.adIndex, kNoAntardasa);
    EXPECT_EQ(c.adIndex, 7);
    // An MD whose instants lie outside the table finds no AD either.
    c = Chart();
    c.dasaStartYear = 2150;
    path = LocateEvent(sun_, c);
    EXPECT_EQ(path.adIndex, kNoAntardasa);
    EXPECT_EQ(c.adIndex, 4);
}

TEST_F(Engine, TwelveYearMdAlwaysFindsThePd) {
    ChartData c = Chart();
    c.dasaYears = 12;
    c.dasaStartYear = 1995;
    const EventPath path = LocateEvent(sun_, c);
    ASSERT_NE(path.adIndex, kNoAntardasa);
    EXPECT_EQ(path.adIndex, 4);
    EXPECT_GE(path.tiersFound, 1);
}

TEST_F(Engine, ChartsFromAnywhereNeverBreakTheEngine) {
    const double nan = std::nan("");
    const int ints[] = {std::numeric_limits<int>::min(), -5000, -1, 0, 7, 12, 13, 100000,
                        std::numeric_limits<int>::max()};
    const double reals[] = {nan, -INFINITY, -1e300, -0.0, 59.99, 1e300, INFINITY};
    for (int i : ints) {
        for (double r : reals) {
            ChartData c = Chart();
            c.level = c.dasaYears = c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = i;
            c.dasaStartYear = c.birth.month = c.birth.day = c.event.year = c.event.hour = i;
            c.birth.sunLongitude = c.event.minute = c.eventZone.utOffset = r;
            const LevelDivision d = DivideLevel(sun_, c);
            for (const Boundary& b : d.boundaries) {
                EXPECT_TRUE(b.position.sign >= 0 && b.position.sign < 12);
                if (b.found) {
                    EXPECT_TRUE(b.month >= 1 && b.month <= 12);
                }
            }
            c.event.sunLongitude = r;
            const int before = c.adIndex;
            const EventPath path = LocateEvent(sun_, c);
            if (path.adIndex == kNoAntardasa) {
                EXPECT_EQ(c.adIndex, before);
            }
        }
    }
}

}  // namespace
}  // namespace tarvella
