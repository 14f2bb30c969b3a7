#include "core/calendar.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace tarvella {
namespace {

using MonthTable = std::array<int, 13>;

MonthTable MonthLengths(int year) {
    MonthTable t{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (IsLeapYear(year)) t[2] = 29;
    return t;
}

}  // namespace

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t basis) {
    std::uint64_t hash = basis;
    for (const unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

int IsLeapYear(int year) {
    return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 1 : 0;
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    return MonthLengths(year)[month];
}

// Counted in 400-year eras of 146097 days from 1 March of year 0, so that the leap day closes
// the counted year.
std::int64_t DayNumber(CivilDate date) {
    const std::int64_t y = std::int64_t{date.year} - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate DateOfDayNumber(std::int64_t dayNumber) {
    const std::int64_t z = dayNumber + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int month =
        static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year), month,
            static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1)};
}

double SecondsOf(const CivilInstant& instant) {
    return static_cast<double>(DayNumber(instant.date)) * 86400.0 + instant.hour * 3600.0;
}

CivilInstant InstantAt(double seconds) {
    if (std::isnan(seconds)) return {};
    // Held to the int years that a date can carry.
    const double days = std::floor(std::clamp(seconds / 86400.0, -1e9, 1e9));
    const double hour = (seconds - days * 86400.0) / 3600.0;
    return {DateOfDayNumber(static_cast<std::int64_t>(days)),
            std::clamp(hour, 0.0, std::nextafter(24.0, 0.0))};
}

void AddDays(int n, int& year, int& month, int& day) {
    if (n <= 0 || month < 1 || month > 12 || day < 1) return;
    const CivilDate from{year, month, std::min(day, DaysInMonth(year, month))};
    const CivilDate to = DateOfDayNumber(DayNumber(from) + n);
    year = to.year;
    month = to.month;
    day = to.day;
}

void CarryHours(int& year, int& month, int& day, double& hours) {
    if (hours >= 24.0) {
        hours -= 24.0;
        AddDays(1, year, month, day);
    } else if (hours < 0.0) {
        hours += 24.0;
        if (month < 1 || month > 12 || day < 1) return;
        const CivilDate before = DateOfDayNumber(DayNumber({year, month, day}) - 1);
        year = before.year;
        month = before.month;
        day = before.day;
    }
}

double JulianDayNumber(int year, int month, int day) {
    // Whole numbers throughout, so integer floor division gives exactly what floor() of the
    // real quotients gives, at a fraction of the cost (every slot the transit search reads calls
    // this).
    const std::int64_t m = month + 12 * (std::int64_t{year} + 4800) - 3;  // months from March -4800
    const std::int64_t r = m - 12 * FloorDiv(m, 12);  // 0 = March .. 11 = February
    std::int64_t j = FloorDiv(365 * m + 2 * r + 7, 12) + FloorDiv(m, 48) + day - 32083;
    if (j > 2299171) j = j + FloorDiv(m, 4800) - FloorDiv(m, 1200) + 38;  // Gregorian
    return static_cast<double>(j);
}

bool NormalizeDate(int& year, int& month, int& day) {
    if (month < 1 || month > 12 || day < 1 || day > kMaxDayNumber) return false;
    const CivilDate date = DateOfDayNumber(DayNumber({year, month, day}));
    year = date.year;
    month = date.month;
    day = date.day;
    return true;
}

}  // namespace tarvella
