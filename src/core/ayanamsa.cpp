#include "core/ayanamsa.h"

#include <cmath>

#include "core/calendar.h"

namespace tarvella {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// The parts of the formula that depend on the date alone.
struct AyanamsaTerms {
    double t;         // Julian centuries from 1900 January 0.5 to 0h UT of the date
    double sinOmega;  // sine of the Moon's node
};

AyanamsaTerms TermsAt(double julianDayUt) {
    const double t = (julianDayUt - 2415020.0) / 36525.0;
    double omega = (933060.0 - 6962911.0 * t + 7.5 * t * t) / 3600.0;
    omega = omega - 360.0 * std::floor(omega / 360.0);
    return {t, std::sin(omega * kRadiansPerDegree)};
}

AyanamsaTerms TermsOf(int year, int month, int day) {
    return TermsAt(JulianDayNumber(year, month, day) - 0.5);
}

bool Tropical(double deviation) {
    return !(deviation <= kMaxAyanamsaDeviation && deviation >= -kMaxAyanamsaDeviation);
}

double Evaluate(Ayanamsa& ayanamsa, const AyanamsaTerms& terms) {
    const double t = terms.t;
    const double p = ayanamsa.lastAyanamsaCorrection;
    const double lahiri = (84038.27 + 5025.64 * t + 1.11 * t * t - 17.23 * terms.sinOmega -
                           1.27 * std::sin(p * kRadiansPerDegree)) /
                              3600.0 -
                          0.8834166666666666;
    const double d = ayanamsa.deviation;
    double result = 0.0;
    if (d <= kMaxAyanamsaDeviation && d >= -kMaxAyanamsaDeviation) result = -(lahiri + d / 60.0);
    ayanamsa.lastAyanamsaCorrection = result;
    return result;
}

}  // namespace

double EvaluateAyanamsa(Ayanamsa& ayanamsa, int year, int month, int day) {
    return Evaluate(ayanamsa, TermsOf(year, month, day));
}

double AyanamsaCorrection(Ayanamsa& ayanamsa, int year, int month, int day) {
    // The date's terms are the same for both evaluations; only the periodic term moves.
    const AyanamsaTerms terms = TermsOf(year, month, day);
    Evaluate(ayanamsa, terms);
    return Evaluate(ayanamsa, terms);
}

double AyanamsaCorrectionAt(Ayanamsa& ayanamsa, double julianDayUt) {
    const AyanamsaTerms terms = TermsAt(julianDayUt);
    Evaluate(ayanamsa, terms);
    return Evaluate(ayanamsa, terms);
}

double AyanamsaDailyStepBound(const Ayanamsa& ayanamsa, double julianDayUt) {
    if (Tropical(ayanamsa.deviation)) return 0.0;
    const double t = (julianDayUt - 2415020.0) / 36525.0;
    // d/dt of 5025.64 t + 1.11 t^2, and 17.23 times the node's rate in radians (its cosine at
    // most 1); the periodic term of the last correction moves by a millionth of that.
    const double precession = (5025.64 + 2.22 * t) / 36525.0;
    const double nutation = 17.23 * 6962911.0 / 3600.0 * kRadiansPerDegree / 36525.0;
    return 1.001 * (std::fabs(precession) + nutation) / 3600.0;
}

double DeviationArcMinutes(int deviationSign, double degrees, double arcMinutes,
                           double arcSeconds) {
    return deviationSign * (60.0 * degrees + arcMinutes + arcSeconds / 60.0);
}

}  // namespace tarvella
