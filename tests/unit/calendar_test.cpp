#include "core/calendar.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace tarvella {
namespace {

struct Date {
    int y, m, d;
    bool operator==(const Date&) const = default;
};

Date Plus(Date date, int n) {
    AddDays(n, date.y, date.m, date.d);
    return date;
}

// Day-by-day stepping: what every skip of AddDays must agree with.
Date StepDays(Date date, int n) {
    for (int i = 0; i < n; ++i) {
        if (++date.d > DaysInMonth(date.y, date.m)) {
            date.d = 1;
            if (++date.m > 12) {
                date.m = 1;
                ++date.y;
            }
        }
    }
    return date;
}

TEST(Calendar, LeapYearsAndMonthLengths) {
    EXPECT_EQ(IsLeapYear(1900), 0);
    EXPECT_EQ(IsLeapYear(2000), 1);
    EXPECT_EQ(IsLeapYear(2004), 1);
    EXPECT_EQ(IsLeapYear(2100), 0);
    EXPECT_EQ(IsLeapYear(1999), 0);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2001, 2), 28);
    EXPECT_EQ(DaysInMonth(2001, 4), 30);
    EXPECT_EQ(DaysInMonth(2001, 0), 0);
    EXPECT_EQ(DaysInMonth(2001, 13), 0);
}

TEST(Calendar, AddDaysAcrossMonthAndYearEnds) {
    EXPECT_EQ(Plus({1999, 12, 31}, 1), (Date{2000, 1, 1}));
    EXPECT_EQ(Plus({2000, 2, 28}, 1), (Date{2000, 2, 29}));
    EXPECT_EQ(Plus({2001, 2, 28}, 1), (Date{2001, 3, 1}));
    EXPECT_EQ(Plus({2000, 1, 1}, 366), (Date{2001, 1, 1}));
    EXPECT_EQ(Plus({2001, 1, 1}, 365), (Date{2002, 1, 1}));
    EXPECT_EQ(Plus({1999, 1, 31}, 29), (Date{1999, 3, 1}));
    EXPECT_EQ(Plus({1987, 6, 13}, 0), (Date{1987, 6, 13}));
    EXPECT_EQ(Plus({1800, 1, 1}, 109572), (Date{2099, 12, 31}));
}

TEST(Calendar, AddDaysSkipsAgreeWithSteppingDayByDay) {
    const std::array<Date, 6> starts{{{1800, 1, 1},
                                      {1899, 12, 31},
                                      {1999, 2, 28},
                                      {2000, 2, 29},
                                      {2047, 7, 31},
                                      {1972, 11, 30}}};
    for (const Date& start : starts) {
        for (int n : {1, 27, 28, 29, 30, 31, 58, 59, 60, 61, 364, 365, 366, 367, 730, 1461, 3652,
                      36524, 36525}) {
            EXPECT_EQ(Plus(start, n), StepDays(start, n))
                << start.y << "-" << start.m << "-" << start.d << " + " << n;
        }
    }
}

TEST(Calendar, CarryHoursMovesOneDayEitherWay) {
    struct Case {
        Date in;
        double hours;
        Date out;
        double outHours;
    };
    const Case cases[] = {
        {{2000, 3, 1}, -2.5, {2000, 2, 29}, 21.5},  {{2001, 3, 1}, -2.5, {2001, 2, 28}, 21.5},
        {{2000, 1, 1}, -1.0, {1999, 12, 31}, 23.0}, {{1999, 12, 31}, 25.0, {2000, 1, 1}, 1.0},
        {{2001, 4, 30}, 24.0, {2001, 5, 1}, 0.0},   {{2001, 4, 30}, 0.0, {2001, 4, 30}, 0.0},
    };
    for (const Case& c : cases) {
        Date d = c.in;
        double h = c.hours;
        CarryHours(d.y, d.m, d.d, h);
        EXPECT_EQ(d, c.out);
        EXPECT_DOUBLE_EQ(h, c.outHours);
    }
}

TEST(Calendar, JulianDayNumbers) {
    EXPECT_EQ(JulianDayNumber(1800, 1, 1), 2378497.0);
    EXPECT_EQ(JulianDayNumber(1900, 1, 1), 2415021.0);
    EXPECT_EQ(JulianDayNumber(2000, 1, 1), 2451545.0);
    EXPECT_EQ(JulianDayNumber(1582, 10, 15), 2299171.0);
    EXPECT_EQ(JulianDayNumber(1582, 10, 16), 2299162.0);
    // A day past the month's end counts on into the next month.
    EXPECT_EQ(JulianDayNumber(2000, 2, 30), 2451605.0);
    EXPECT_EQ(JulianDayNumber(2000, 3, 1), 2451605.0);
    EXPECT_EQ(JulianDayNumber(2001, 2, 29), JulianDayNumber(2001, 3, 1));
    EXPECT_EQ(JulianDayNumber(2001, 4, 31), JulianDayNumber(2001, 5, 1));
}

// The day count in reals with floor(), as the astronomers' formula writes it.
double JulianDayInReals(int year, int month, int day) {
    const double m = month + 12.0 * (year + 4800.0) - 3.0;
    const double r = m - 12.0 * std::floor(m / 12.0);
    double j =
        std::floor((365.0 * m + 2.0 * r + 7.0) / 12.0) + std::floor(m / 48.0) + day - 32083.0;
    if (j > 2299171.0) j = j + std::floor(m / 4800.0) - std::floor(m / 1200.0) + 38.0;
    return j;
}

TEST(Calendar, JulianDayAgreesWithTheRealFormulaFarBackAndAhead) {
    for (int year : {-100000, -9999, -4801, -4800, -4799, -1, 0, 1, 1582, 1583, 2099, 100000}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 15, 28, 31}) {
                EXPECT_EQ(JulianDayNumber(year, month, day), JulianDayInReals(year, month, day))
                    << year << "-" << month << "-" << day;
            }
        }
    }
}

TEST(Calendar, NormalizeDateCountsOnAndRefusesNonDates) {
    Date d{2001, 2, 31};
    ASSERT_TRUE(NormalizeDate(d.y, d.m, d.d));
    EXPECT_EQ(d, (Date{2001, 3, 3}));
    d = {1999, 12, 40};
    ASSERT_TRUE(NormalizeDate(d.y, d.m, d.d));
    EXPECT_EQ(d, (Date{2000, 1, 9}));
    d = {1999, 13, 1};
    EXPECT_FALSE(NormalizeDate(d.y, d.m, d.d));
    d = {1999, 5, 0};
    EXPECT_FALSE(NormalizeDate(d.y, d.m, d.d));
}

// The day number and its inverse, which adding days and carrying hours rest on.
TEST(Calendar, DayNumbersRoundTripAndCountDaysAsTheCalendarDoes) {
    EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
    EXPECT_EQ(DayNumber({1969, 12, 31}), -1);
    EXPECT_EQ(DayNumber({2000, 3, 1}) - DayNumber({2000, 2, 28}), 2);
    EXPECT_EQ(DayNumber({1900, 3, 1}) - DayNumber({1900, 2, 28}), 1);
    // A day past the month's end counts on, as the Julian day does.
    EXPECT_EQ(DayNumber({2001, 4, 31}), DayNumber({2001, 5, 1}));
    CivilDate expected{-4801, 1, 1};
    for (std::int64_t n = DayNumber(expected); n < DayNumber({-4790, 1, 1}); ++n) {
        ASSERT_EQ(DateOfDayNumber(n), expected) << n;
        expected = [](CivilDate d) {
            if (++d.day > DaysInMonth(d.year, d.month)) {
                d.day = 1;
                if (++d.month > 12) {
                    d.month = 1;
                    ++d.year;
                }
            }
            return d;
        }(expected);
    }
    for (int year : {-100000, -1, 0, 1, 1582, 1800, 1999, 2000, 2099, 2100, 100000}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); day += 3) {
                const CivilDate date{year, month, day};
                ASSERT_EQ(DateOfDayNumber(DayNumber(date)), date);
                if (year > 1582) {  // the Julian day is Gregorian from 15 October 1582 on
                    EXPECT_EQ(static_cast<double>(DayNumber(date)) + 2440588.0,
                              JulianDayNumber(year, month, day));
                }
            }
        }
    }
}

TEST(Calendar, AddDaysAndCarryHoursLeaveNonDatesAlone) {
    EXPECT_EQ(Plus({1999, 13, 5}, 3), (Date{1999, 13, 5}));
    EXPECT_EQ(Plus({1999, 5, 0}, 3), (Date{1999, 5, 0}));
    // A day past the month's end steps on from the month's last day.
    EXPECT_EQ(Plus({2001, 4, 31}, 1), (Date{2001, 5, 1}));
    Date d{1999, 0, 1};
    double h = -1.0;
    CarryHours(d.y, d.m, d.d, h);
    EXPECT_EQ(d, (Date{1999, 0, 1}));
    EXPECT_EQ(h, 23.0);
}

}  // namespace
}  // namespace tarvella
