#include "core/calendar.h"

#include <array>
#include <cstdint>

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
    // Whole numbers throughout, so integer floor division gives exactly what floor() of the
    // real quotients gives, at a fraction of the cost (the transit search calls this 102 times).
    const auto floorDiv = [](std::int64_t a, std::int64_t b) {
        const std::int64_t q = a / b;
        return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
    };
    const std::int64_t m = month + 12 * (std::int64_t{year} + 4800) - 3;  // months from March -4800
    const std::int64_t r = m - 12 * floorDiv(m, 12);  // 0 = March .. 11 = February
    std::int64_t j = floorDiv(365 * m + 2 * r + 7, 12) + floorDiv(m, 48) + day - 32083;
    if (j > 2299171) j = j + floorDiv(m, 4800) - floorDiv(m, 1200) + 38;  // Gregorian
    return static_cast<double>(j);
}

bool NormalizeDate(int& year, int& month, int& day) {
    if (month < 1 || month > 12 || day < 1 || day > kMaxDayNumber) return false;
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
