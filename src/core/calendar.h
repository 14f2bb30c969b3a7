// Gregorian calendar arithmetic: civil dates and their day numbers, and the operations on a
// chart's dates (three ints, changed in place) built on them.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarvella {

// Floor division, for day counts, years before the epoch and points left of a report's first slot.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b);

// FNV-1a's offset basis, and the one the exported calendars' UIDs were made with from the start:
// a digit short of FNV's own, and kept, since calendar programs update their events by the UIDs.
inline constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ull;
inline constexpr std::uint64_t kCalendarUidBasis = 1469598103934665603ull;
// FNV-1a of the bytes: the same in every build and on every platform, unlike std::hash.
std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t basis = kFnvOffsetBasis);

inline constexpr std::array<const char*, 12> MonthAbbreviations{
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
struct CivilDate {
    int year = 0;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    bool operator==(const CivilDate&) const = default;
};

// A civil date with its decimal hour in [0, 24), in Universal Time or in a zone's local time.
struct CivilInstant {
    CivilDate date;
    double hour = 0.0;
};

// Seconds from 1 January 1970, 00:00 on the instant's own scale (Universal Time for a boundary's
// `ut`), and back: a double keeps a microsecond over the table's three centuries.
double SecondsOf(const CivilInstant& instant);
CivilInstant InstantAt(double seconds);

// Days from 1 January 1970 in the Gregorian calendar, also before its adoption. A day past its
// month's end counts on into the next month, as JulianDayNumber counts it.
std::int64_t DayNumber(CivilDate date);
// The inverse: always a real date.
CivilDate DateOfDayNumber(std::int64_t dayNumber);

int IsLeapYear(int year);

// Length of month 1..12 in that year; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Moves the date n >= 0 days forward; n <= 0, or a date with a month outside 1..12 or a day below
// 1, leaves it unchanged. A day past its month's end starts from the month's last day.
void AddDays(int n, int& year, int& month, int& day);

// Brings hours from [-24, 48) into [0, 24), moving the date by at most one day (a date with a
// month outside 1..12 or a day below 1 stays as it is).
void CarryHours(int& year, int& month, int& day, double& hours);

// Julian day number (the day count that begins at noon of the date). Linear in day, so a day past
// the month's end counts on into the next month.
double JulianDayNumber(int year, int month, int day);

// Counts a day number past its month's end (31 February, read from a hand-edited file) on into the
// following months, as JulianDayNumber does. Returns false for a month outside 1..12 or a day
// below 1, which no rule turns into a date.
// A day number beyond kMaxDayNumber is refused too: it is no date anyone entered.
inline constexpr int kMaxDayNumber = 1000;
bool NormalizeDate(int& year, int& month, int& day);

}  // namespace tarvella
