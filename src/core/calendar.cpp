#include "core/calendar.h"

#include <array>
#include <cmath>

namespace tarvella {
namespace {

using MonthTable = std::array<int, 13>;

MonthTable MonthLengths(int year) {
    MonthTable t{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (IsLeapYear(year)) t[2] = 29;
    return t;
}

int YearLength(int year) {
    return IsLeapYear(year) ? 366 : 365;
}

// Whole months from the first of `month` while the rest reaches past them.
void SkipMonths(const MonthTable& len, int& month, int& rest) {
    while (month <= 12 && rest > len[month]) {
        rest -= len[month];
        ++month;
    }
}

}  // namespace

int IsLeapYear(int year) {
    return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 1 : 0;
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    return MonthLengths(year)[month];
}

void AddDays(int n, int& year, int& month, int& day) {
    if (n <= 0 || month < 1 || month > 12) return;
    MonthTable len = MonthLengths(year);
    int rest = n;
    while (rest > 0) {
        --rest;
        ++day;
        if (day > len[month]) {
            day = 1;
            ++month;
            SkipMonths(len, month, rest);
            if (month > 12) {
                ++year;
                month = 1;
                while (rest > YearLength(year)) {
                    rest -= YearLength(year);
                    ++year;
                }
                len = MonthLengths(year);
                SkipMonths(len, month, rest);
            }
        }
        if (day + rest < len[month]) {
            day += rest;
            rest = 0;
        }
    }
}

void CarryHours(int& year, int& month, int& day, double& hours) {
    if (hours >= 24.0) {
        hours -= 24.0;
        AddDays(1, year, month, day);
    } else if (hours < 0.0) {
        hours += 24.0;
        if (--day == 0) {
            if (--month == 0) {
                month = 12;
                --year;
            }
            day = DaysInMonth(year, month);
        }
    }
}

double JulianDayNumber(int year, int month, int day) {
    const double m = month + 12.0 * (year + 4800.0) - 3.0;
    const double y = std::floor(m / 12.0);
    const double r = m - 12.0 * y;
    double j =
        std::floor((365.0 * m + 2.0 * r + 7.0) / 12.0) + std::floor(m / 48.0) + day - 32083.0;
    if (j > 2299171.0) j = j + std::floor(m / 4800.0) - std::floor(m / 1200.0) + 38.0;
    return j;
}

bool NormalizeDate(int& year, int& month, int& day) {
    if (month < 1 || month > 12 || day < 1) return false;
    while (day > DaysInMonth(year, month)) {
        day -= DaysInMonth(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return true;
}

}  // namespace tarvella
