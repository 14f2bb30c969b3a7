// The division of a period into twelve sub-periods of equal arc of the Sun, and the vocabulary of
// the reports.
#pragma once

#include <array>

#include "core/calendar.h"
#include "core/sun_ephemeris.h"
#include "core/transit.h"
#include "document/chart_data.h"
#include "document/period_path.h"

namespace tarvella {

// Arc of one row at levels 1..5 per year of the MD: 30 / 12^(level - 1), as these exact doubles.
inline constexpr std::array<double, 5> LevelFactors{30.0, 2.5, 0.20833333333333331,
                                                    0.017361111111111112, 0.0014467592592592592};

inline constexpr std::array<const char*, 12> OrdinalNames{
    "1st", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th", "11th", "12th"};
inline constexpr std::array<const char*, 12> SignAbbreviations{"Ar", "Ta", "Ge", "Cn", "Le", "Vi",
                                                               "Li", "Sc", "Sg", "Cp", "Aq", "Pi"};

struct ZodiacPosition {
    int sign = 0;            // 0..11, 0 = Aries
    int degree = 0;          // 0..29
    int arcMinute = 0;       // 0..59
    double arcSecond = 0.0;  // a whole number 0..59
};

struct Boundary {
    double longitude = 0.0;  // target, unreduced
    bool found = false;      // false: the instant lies outside the Sun table
    int year = 0;            // local civil instant in the event's zone
    int month = 1;
    int day = 1;
    double hour = 0.0;  // [0, 24)
    ZodiacPosition position;
    CivilInstant ut{};  // the same instant in Universal Time
};

struct LevelDivision {
    int level = 1;
    PeriodPath path;  // the level and the periods selected above it
    double arc = 0.0;
    double start = 0.0;                   // unreduced
    std::array<Boundary, 13> boundaries;  // row k runs from boundary k to k + 1
};

double LevelArc(int level, int dasaYears);

// Longitude at which the period divided at the chart's level begins (unreduced).
double LevelStartLongitude(const ChartData& chart);

// Longitude at which the period divided at the chart's level ends: the end of the parent's row
// as the parent's own division shows it, so the twelve rows close exactly on it.
double LevelEndLongitude(const ChartData& chart);

// The local instant, in the event's zone, at which the Sun reaches `longitude`, sought from the
// birthday in the MD's start year. False when it lies outside the Sun table.
bool BoundaryInstant(SunContext& sun, const ChartData& chart, double longitude, int& year,
                     int& month, int& day, double& hour);
bool BoundaryInstant(SunContext& sun, const ChartData& chart, double longitude, SunTransit& found);

// The longitude reduced below 360, rounded to the whole arc-second, and split.
ZodiacPosition SplitLongitude(double longitude);

// A boundary at its longitude, with the transit found for it (when `found`) and its position.
void PlaceBoundary(Boundary& boundary, bool found, const SunTransit& transit);

// The twelve sub-periods of the chart's level. A level outside 1..5, an index outside 0..11 or
// dasaYears outside 1..12 is taken as the nearest value in range.
LevelDivision DivideLevel(SunContext& sun, const ChartData& chart);

}  // namespace tarvella
