#include "core/transit.h"

#include <gtest/gtest.h>
#ifdef TARVELLA_TEST_SWE
#include <swephexp.h>
#endif

#include <cmath>

#include "test_support.h"

namespace tarvella {
namespace {

TEST(IsOnArc, DirectedArcWithBothEnds) {
    EXPECT_EQ(IsOnArc(350, 5, 10), 1);
    EXPECT_EQ(IsOnArc(10, 15, 20), 1);
    EXPECT_EQ(IsOnArc(10, 5, 20), 0);
    EXPECT_EQ(IsOnArc(10, 25, 20), 0);
    EXPECT_EQ(IsOnArc(10, 350, 20), 0);
    EXPECT_EQ(IsOnArc(20, 5, 10), 1);
    EXPECT_EQ(IsOnArc(20, 15, 10), 0);
    EXPECT_EQ(IsOnArc(10, 10, 10), 1);
    EXPECT_EQ(IsOnArc(10, 11, 10), 0);
    EXPECT_EQ(IsOnArc(-10, 355, 5), 1);
    EXPECT_EQ(IsOnArc(370, 15, 380), 1);
}

struct Found {
    bool ok;
    int y, m, d;
    double hours;
};

Found Transit(double target, double start, int y, int m, int d, double utOffset,
              double deviation = 0.0) {
    Ayanamsa ayanamsa{deviation, 0.0};
    SunContext sun{test::GeneratedTable(), ayanamsa};
    Found f{false, y, m, d, -1.0};
    f.ok =
        FindSunTransit(sun, target, start, f.y, f.m, f.d, f.hours, ZoneSpec{0, 0, 0.0, utOffset});
    return f;
}

double SunAt(int y, int m, int d, double hour, double deviation = 0.0) {
    Ayanamsa ayanamsa{deviation, 0.0};
    SunContext sun{test::GeneratedTable(), ayanamsa};
    ChartMoment moment;
    moment.year = y, moment.month = m, moment.day = d;
    moment.hour = static_cast<int>(hour);
    moment.minute = (hour - moment.hour) * 60.0;
    EXPECT_TRUE(ComputeSunPosition(sun, moment, ZoneSpec{}));
    return moment.sunLongitude;
}

#ifdef TARVELLA_TEST_SWE
// Equinoxes and solstices under the tropical zodiac against Swiss Ephemeris' own crossing search.
TEST(FindSunTransit, AgreesWithSwissEphemerisCrossings) {
    swe_set_ephe_path(const_cast<char*>(TARVELLA_TEST_EPHE_DIR));
    for (int year : {1801, 1849, 1900, 1955, 2000, 2024, 2061, 2098}) {
        for (double target : {0.0, 90.0}) {
            const int month = target == 0.0 ? 3 : 6;
            const double start = SunAt(year, month, 1, 0.0, 60000.0);
            const Found f = Transit(target, start, year, month, 1, 0.0, 60000.0);
            ASSERT_TRUE(f.ok) << year << " " << target;
            char serr[AS_MAXCH];
            const double expected = swe_solcross_ut(
                target, swe_julday(year, month, 1, 0.0, SE_GREG_CAL), SEFLG_SWIEPH, serr);
            const double got = swe_julday(f.y, f.m, f.d, f.hours, SE_GREG_CAL);
            EXPECT_NEAR((got - expected) * 86400.0, 0.0, 10.0) << year << " " << target;
        }
    }
    swe_close();
}
#endif

TEST(FindSunTransit, ConvertsToLocalTimeAcrossMidnight) {
    // The Sun's longitude at 02:00 UT is reached at 02:00 UT, whatever the zone shows.
    const double target = SunAt(1990, 5, 10, 2.0);
    const Found west = Transit(target, target, 1990, 5, 10, 4.0);
    ASSERT_TRUE(west.ok);
    EXPECT_EQ(west.d, 9);
    EXPECT_NEAR(west.hours, 22.0, 1e-3);
    const Found east = Transit(target, target, 1990, 5, 10, -5.5);
    ASSERT_TRUE(east.ok);
    EXPECT_EQ(east.d, 10);
    EXPECT_NEAR(east.hours, 7.5, 1e-3);
}

TEST(FindSunTransit, LooksWholeTurnsAheadAndBehindTheStart) {
    const double natal = SunAt(1970, 4, 4, 12.0);
    // Target = start: the return near the given date.
    Found f = Transit(natal, natal, 1999, 4, 4, 0.0);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.y, 1999);
    EXPECT_EQ(f.m, 4);
    EXPECT_NEAR(f.d, 4, 1);
    // Three turns ahead: three years later.
    f = Transit(natal + 3 * 360.0, natal, 1999, 4, 4, 0.0);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.y, 2002);
    EXPECT_EQ(f.m, 4);
    // A target below the start lies ahead, about 20 days on.
    const double start = SunAt(1995, 4, 1, 0.0);
    f = Transit(start - 340.0, start, 1995, 4, 1, 0.0);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.m, 4);
    EXPECT_NEAR(f.d, 21, 1);
}

TEST(FindSunTransit, ExactHalfDayValuesGiveTheirHour) {
    double v[2];
    ASSERT_TRUE(test::GeneratedTable().ReadValues(SlotOffset(1980, 7, 15), 2, v));
    Found f = Transit(v[1], v[1] - 2.0, 1980, 7, 13, 0.0, 60000.0);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.d, 15);
    EXPECT_EQ(f.hours, 12.0);
    f = Transit(v[0], v[0] - 2.0, 1980, 7, 13, 0.0, 60000.0);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.d, 15);
    EXPECT_EQ(f.hours, 0.0);
}

TEST(FindSunTransit, WindowOutsideTheTableFailsAndLeavesTheDate) {
    const double natal = SunAt(1801, 1, 10, 0.0);
    // Backing off 20 days from 5 January 1800 starts the window in December 1799.
    Found f = Transit(natal, natal, 1800, 1, 5, 0.0);
    EXPECT_FALSE(f.ok);
    EXPECT_EQ(f.y, 1800);
    EXPECT_EQ(f.d, 5);
    EXPECT_EQ(f.hours, -1.0);
    // A window that runs past 31 December 2099.
    f = Transit(natal, natal, 2099, 12, 25, 0.0);
    EXPECT_FALSE(f.ok);
    f = Transit(natal + 5 * 360.0, natal, 2097, 1, 10, 0.0);
    EXPECT_FALSE(f.ok);
    // Years far away, NaN and infinite targets.
    EXPECT_FALSE(Transit(natal, natal, -5000, 1, 10, 0.0).ok);
    EXPECT_FALSE(Transit(natal, natal, 100000, 1, 10, 0.0).ok);
    EXPECT_FALSE(Transit(natal + 1e12, natal, 1990, 1, 10, 0.0).ok);
    EXPECT_FALSE(Transit(std::nan(""), natal, 1990, 1, 10, 0.0).ok);
    EXPECT_FALSE(Transit(INFINITY, natal, 1990, 1, 10, 0.0).ok);
    // Inside the table the same search succeeds.
    EXPECT_TRUE(Transit(natal, natal, 1990, 1, 10, 0.0).ok);
}

TEST(FindSunTransit, NoTransitInTheWindowIsAFailure) {
    test::ScratchDir dir;
    test::WriteSyntheticTable(dir.File("still.sun"), [](int, int) { return 100.0; });
    SunEphemeris still;
    ASSERT_EQ(still.Open(dir.File("still.sun")), SunFileStatus::Ok);
    Ayanamsa tropical{60000.0, 0.0};
    SunContext sun{still, tropical};
    int y = 1990, m = 6, d = 1;
    double hours = -1.0;
    EXPECT_FALSE(FindSunTransit(sun, 200.0, 100.0, y, m, d, hours, ZoneSpec{}));
    EXPECT_EQ(y, 1990);
    EXPECT_EQ(m, 6);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(hours, -1.0);
}

}  // namespace
}  // namespace tarvella
