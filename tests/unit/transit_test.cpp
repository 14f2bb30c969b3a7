#include "core/transit.h"

#include <gtest/gtest.h>
#ifdef TARVELLA_TEST_SWE
#include <swephexp.h>
#endif

#include <cmath>
#include <iterator>
#include <random>

#include "core/instant_error.h"

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

// The bound that each search states covers its error against the model it is measured by, on a
// fixed sample across the table: the default search against Swiss Ephemeris plus the correction
// of the UT date, the precise one against the correction of the instant, within 0.05 s.
TEST(FindSunTransit, StatedBoundCoversTheErrorOfBothModes) {
    swe_set_ephe_path(const_cast<char*>(TARVELLA_TEST_EPHE_DIR));
    std::mt19937_64 random(23);
    std::uniform_real_distribution<double> day(JulianDayNumber(1801, 1, 1),
                                               JulianDayNumber(2098, 1, 1)),
        arc(0.0, 360.0);
    for (int i = 0; i < 600; ++i) {
        const double start = std::floor(day(random)) + 0.5;
        const double turn = arc(random);
        int y, m, d;
        double h;
        swe_revjul(start, SE_GREG_CAL, &y, &m, &d, &h);
        for (const bool precise : {false, true}) {
            Ayanamsa ayanamsa;
            SunContext sun{test::GeneratedTable(), ayanamsa, precise};
            ChartMoment moment;
            moment.year = y, moment.month = m, moment.day = d, moment.hour = 12;
            ASSERT_TRUE(ComputeSunPosition(sun, moment, ZoneSpec{}));
            const double target = std::fmod(moment.sunLongitude + turn, 360.0);
            SunTransit found;
            ASSERT_TRUE(
                FindSunTransit(sun, target, moment.sunLongitude, {y, m, d}, ZoneSpec{}, found));
            double jd = swe_julday(found.ut.date.year, found.ut.date.month, found.ut.date.day,
                                   found.ut.hour, SE_GREG_CAL);
            const double searched = jd;
            for (int k = 0; k < 8; ++k) {
                double xx[6];
                char serr[AS_MAXCH];
                swe_calc_ut(jd, SE_SUN, SEFLG_SWIEPH | SEFLG_SPEED, xx, serr);
                int ey, em, ed;
                double eh;
                swe_revjul(jd, SE_GREG_CAL, &ey, &em, &ed, &eh);
                const double c = precise ? AyanamsaCorrectionAt(ayanamsa, jd)
                                         : AyanamsaCorrection(ayanamsa, ey, em, ed);
                jd -= std::remainder(xx[0] + c - target, 360.0) / xx[3];
            }
            const double error = std::fabs(searched - jd) * 86400.0;
            const double bound = SearchErrorSeconds(sun, found.ut);
            EXPECT_LE(error, bound) << precise << " " << y << "-" << m << "-" << d << " " << turn;
            EXPECT_LE(bound, precise ? 0.05 : 5.0);
        }
    }
    swe_close();
}
#endif

// Delta T's error grows toward both ends of the table: measured less well before 1900, and
// predicted past the last measured value, by over a minute in 2099.
TEST(InstantError, DeltaTErrorGrowsTowardTheTablesEnds) {
    const double years[] = {1800, 1850, 1900, 1955, 2000, 2026, 2050, 2075, 2099};
    const double twoSigma[] = {2.0, 0.63, 0.2, 0.02, 0.02, 0.02, 13.9, 42.7, 83.9};
    for (std::size_t k = 0; k < std::size(years); ++k) {
        EXPECT_NEAR(DeltaTTwoSigmaSeconds(years[k]), twoSigma[k], 0.05 * twoSigma[k] + 0.01)
            << years[k];
    }
    EXPECT_TRUE(std::isnan(DeltaTTwoSigmaSeconds(NAN)));
}

// The cubic passes through the table's values and gives the straight line's longitude between
// them within the line's own error; at the table's ends it goes one-sided, past them it fails.
TEST(InstantError, CubicThroughTheTable) {
    const SunEphemeris& table = test::GeneratedTable();
    for (const CivilDate date : {CivilDate{1800, 1, 1}, {1900, 3, 1}, {2099, 12, 30}}) {
        for (const double hour : {0.0, 12.0}) {
            double value = 0.0, cubic = 0.0;
            ASSERT_TRUE(HalfDayValue(table, 2 * DayNumber(date) + (hour > 0.0), value));
            ASSERT_TRUE(PreciseTropicalLongitude(table, {date, hour}, cubic));
            EXPECT_NEAR(cubic, value, 1e-9) << date.year << " " << hour;
        }
    }
    double a = 0.0, b = 0.0, cubic = 0.0;
    ASSERT_TRUE(HalfDayValue(table, 2 * DayNumber({1999, 2, 28}) + 1, a));
    ASSERT_TRUE(HalfDayValue(table, 2 * DayNumber({1999, 3, 1}), b));
    ASSERT_TRUE(PreciseTropicalLongitude(table, {{1999, 2, 28}, 18.0}, cubic));
    EXPECT_NEAR(cubic, (a + b) / 2.0, 1e-4);  // across the month's empty day slots
    EXPECT_FALSE(PreciseTropicalLongitude(table, {{1799, 12, 31}, 18.0}, cubic));
    EXPECT_FALSE(PreciseTropicalLongitude(table, {{2100, 1, 1}, 6.0}, cubic));
}

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
