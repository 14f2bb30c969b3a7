// The correction that turns a tropical longitude of a civil date into a sidereal one: the negative
// of the Lahiri ayanamsa, shifted by the user's deviation.
#pragma once

namespace tarvella {

// Deviations beyond a full circle either way (or NaN) mean the tropical zodiac.
inline constexpr double kMaxAyanamsaDeviation = 21600.0;  // arc-minutes

// The one process-wide ayanamsa state: the deviation in force and the result of the latest
// evaluation, which feeds the small periodic term of the next one.
struct Ayanamsa {
    double deviation = 0.0;               // arc-minutes from Lahiri, signed
    double lastAyanamsaCorrection = 0.0;  // degrees
};

// One evaluation of the formula at 0h UT of the date; stores its result in the state.
double EvaluateAyanamsa(Ayanamsa& ayanamsa, int year, int month, int day);

// Degrees to add to a tropical longitude of that date. Evaluates twice, so the result no longer
// depends on earlier calls.
double AyanamsaCorrection(Ayanamsa& ayanamsa, int year, int month, int day);

// The same correction at a Universal Time instant given as a Julian day with its fraction: the
// formula's centuries counted to the instant instead of to 0h of its date. For the precise mode.
double AyanamsaCorrectionAt(Ayanamsa& ayanamsa, double julianDayUt);

// An upper bound of how far the correction moves in one day, in degrees: the general precession
// of the formula plus the largest rate of its nutation term. 0 for the tropical zodiac.
double AyanamsaDailyStepBound(const Ayanamsa& ayanamsa, double julianDayUt);

// deviationSign x (60 x degrees + arcMinutes + arcSeconds / 60), in arc-minutes.
double DeviationArcMinutes(int deviationSign, double degrees, double arcMinutes, double arcSeconds);

}  // namespace tarvella
