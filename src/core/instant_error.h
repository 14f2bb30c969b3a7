// What the table gives between its half-day values, and how far each instant found in it may lie
// from the instant of the sky: the interpolation's own error, bounded from the table's local
// differences, and the uncertainty of Delta T at that date.
#pragma once

#include <climits>
#include <cstdint>

#include "core/calendar.h"
#include "core/sun_ephemeris.h"

namespace tarvella {

// The Julian day of a Universal Time instant, with its fraction.
double JulianDayOf(const CivilInstant& ut);

// The table's tropical value at half day n, counted as 2 x DayNumber + (0 at 0h, 1 at 12h) of
// the UT date. False outside the table.
bool HalfDayValue(const SunEphemeris& ephemeris, std::int64_t n, double& value);

// The table's tropical longitude at a UT instant, by a cubic through the four half-day values
// around it (one-sided at the table's ends), in [0, 360). False outside the table.
bool PreciseTropicalLongitude(const SunEphemeris& ephemeris, const CivilInstant& ut,
                              double& longitude);

// A bound, in seconds, of the difference between the instant that the search of `sun`'s mode
// returns at `ut` and the instant at which the table's model (Swiss Ephemeris' apparent longitude
// plus the correction: of the UT date by default, of the instant when precise) reaches the same
// longitude. NaN outside the table.
double SearchErrorSeconds(const SunContext& sun, const CivilInstant& ut);

// The same for a Sun position computed at `ut` (the natal Sun): its longitude's error as seconds
// of the Sun's motion, which moves every boundary of the chart alike.
double PositionErrorSeconds(const SunContext& sun, const CivilInstant& ut);

// Two standard errors of Delta T (TT - UT) at a fractional year, in seconds; past the last
// measured value, the spread of the published predictions.
double DeltaTTwoSigmaSeconds(double year);

// The fractional year of a UT instant, for the above.
double FractionalYear(const CivilInstant& ut);

// What the bound of one half day of the table needs, found once for all instants in it.
struct ErrorInterval {
    std::int64_t index = INT64_MIN;  // the half day, as HalfDayValue counts it
    std::int64_t cubicFirst = 0;     // the first of the cubic's four values
    double speed = 0.0;              // degrees per second
    double coefficient = 0.0;        // of p (1 - p), or of |w(u)| for the cubic
};

// SearchErrorSeconds plus DeltaTTwoSigmaSeconds of the instant's date, for many instants in time
// order: the table's differences are read once per half day, Delta T's error and the ayanamsa's
// step once per day.
class InstantErrors {
  public:
    explicit InstantErrors(const SunContext& sun) : sun_(sun) {}
    double Seconds(const CivilInstant& ut);

  private:
    const SunContext& sun_;
    ErrorInterval interval_;
    std::int64_t day_ = INT64_MIN;
    double deltaT_ = 0.0, step_ = 0.0;
};

}  // namespace tarvella
