#include "core/instant_error.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tarvella {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kHalfDaySeconds = 43200.0;

// Half days from the epoch of DayNumber, with the fraction.
double HalfDaysOf(const CivilInstant& ut) {
    return 2.0 * static_cast<double>(DayNumber(ut.date)) + ut.hour / 12.0;
}

// `count` consecutive half-day values from the first that holds index i, shifted back where the
// table ends so that all are inside it; unwrapped to run on from the first. Returns the index of
// the first value, or false.
// Half-day values n .. n + count - 1 into y, the date found once and stepped on. False when any
// lies outside the table.
bool Values(const SunEphemeris& e, std::int64_t n, std::size_t count, double* y) {
    const std::int64_t day = n >= 0 ? n / 2 : -((1 - n) / 2);
    CivilDate date = DateOfDayNumber(day);
    int half = static_cast<int>(n - 2 * day);
    for (std::size_t k = 0; k < count; ++k) {
        if (date.year < kFirstTableYear || date.year > kLastTableYear) return false;
        if (!e.ReadValues(SlotOffset(date.year, date.month, date.day) + 8 * half, 1, &y[k])) {
            return false;
        }
        if (++half == 2) {
            half = 0;
            if (++date.day > DaysInMonth(date.year, date.month)) {
                date.day = 1;
                if (++date.month > 12) {
                    date.month = 1;
                    ++date.year;
                }
            }
        }
    }
    return true;
}

// `N` consecutive half-day values from i - back, or shifted away from a table's end so that all
// lie inside it while i and i + 1 stay among them; unwrapped to run on from the first. The index
// of the first value in `first`.
template <std::size_t N>
bool Run(const SunEphemeris& e, std::int64_t i, std::int64_t back, std::array<double, N>& y,
         std::int64_t& first) {
    const auto n = static_cast<std::int64_t>(N);
    for (std::int64_t shift = 0; shift < n; ++shift) {
        for (const std::int64_t b : {i - back - shift, i - back + shift}) {
            if (b > i || b < i - n + 2 || !Values(e, b, N, y.data())) continue;
            for (std::size_t k = 1; k < N; ++k) {
                while (y[k] - y[k - 1] < -180.0) y[k] += 360.0;
                while (y[k] - y[k - 1] > 180.0) y[k] -= 360.0;
            }
            first = b;
            return true;
        }
    }
    return false;
}

// Lagrange's cubic through (0, y0) .. (3, y3) at u.
double Cubic(const std::array<double, 4>& y, double u) {
    return -y[0] * (u - 1) * (u - 2) * (u - 3) / 6.0 + y[1] * u * (u - 2) * (u - 3) / 2.0 -
           y[2] * u * (u - 1) * (u - 3) / 2.0 + y[3] * u * (u - 1) * (u - 2) / 6.0;
}

// Longitude error of the interpolation, in degrees, as PolynomialError evaluates it, from the
// table's differences about half day i. Linear: the remainder p (1 - p) / 2 h^2 f'' with
// h^2 f'' bounded by the largest second difference about the span plus the third. Cubic:
// |w(u)| / 24 times the largest fourth difference about it, doubled.
bool FindInterval(const SunEphemeris& e, std::int64_t i, bool precise, ErrorInterval& out) {
    std::array<double, 7> y{};
    std::int64_t first = 0;
    if (!Run(e, i, 2, y, first)) return false;
    const auto k = static_cast<int>(i - first);
    if (k < 0 || k + 1 >= 7) return false;
    ErrorInterval v;
    v.index = i;
    v.speed =
        (y[static_cast<std::size_t>(k + 1)] - y[static_cast<std::size_t>(k)]) / kHalfDaySeconds;
    if (!(v.speed > 0.0)) return false;
    std::array<double, 7> d2{}, d4{};
    for (std::size_t j = 1; j + 1 < 7; ++j) d2[j] = y[j + 1] - 2 * y[j] + y[j - 1];
    for (std::size_t j = 2; j + 2 < 7; ++j) d4[j] = d2[j + 1] - 2 * d2[j] + d2[j - 1];
    if (precise) {
        std::array<double, 4> run{};
        if (!Run(e, i, 1, run, v.cubicFirst)) return false;
        double largest = 0.0;
        for (std::size_t j = 2; j + 2 < 7; ++j) largest = std::max(largest, std::fabs(d4[j]));
        v.coefficient = 2.0 * largest / 24.0;
    } else {
        double second = 0.0, third = 0.0;
        for (int j = std::max(1, k - 1); j <= std::min(5, k + 2); ++j) {
            second = std::max(second, std::fabs(d2[static_cast<std::size_t>(j)]));
            if (j > std::max(1, k - 1)) {
                third = std::max(third, std::fabs(d2[static_cast<std::size_t>(j)] -
                                                  d2[static_cast<std::size_t>(j - 1)]));
            }
        }
        v.coefficient = (second + third) / 2.0;
    }
    out = v;
    return true;
}

double PolynomialError(const ErrorInterval& v, double x, bool precise) {
    if (precise) {
        const double u = x - static_cast<double>(v.cubicFirst);
        return std::fabs(u * (u - 1) * (u - 2) * (u - 3)) * v.coefficient;
    }
    const double p = x - static_cast<double>(v.index);
    return p * (1.0 - p) * v.coefficient;
}

// What the bound adds everywhere, in seconds: Swiss Ephemeris' series join between segments with
// small breaks in their derivatives, which the table's differences hardly see (up to 0.015 s
// measured, in early January), besides where the precise search stops.
constexpr double kPreciseFloorSeconds = 0.02;
constexpr double kDefaultFloorSeconds = 0.02;

double JulianDayOfDate(const CivilDate& d) {
    return JulianDayNumber(d.year, d.month, d.day) - 0.5;
}

// `step`: AyanamsaDailyStepBound at 0h of the instant's date.
double SearchError(const SunContext& sun, const ErrorInterval& v, double x, const CivilInstant& ut,
                   double step) {
    double degrees = PolynomialError(v, x, sun.precise);
    if (sun.precise) return degrees / v.speed + kPreciseFloorSeconds;
    // The afternoon runs from the date's correction at 12h to the next date's at the next 0h,
    // while the model keeps the date's all day.
    if (ut.hour >= 12.0) degrees += (x - static_cast<double>(v.index)) * step;
    return degrees / v.speed + kDefaultFloorSeconds;
}

}  // namespace

double JulianDayOf(const CivilInstant& ut) {
    return JulianDayNumber(ut.date.year, ut.date.month, ut.date.day) - 0.5 + ut.hour / 24.0;
}

bool HalfDayValue(const SunEphemeris& ephemeris, std::int64_t n, double& value) {
    const std::int64_t day = n >= 0 ? n / 2 : -((1 - n) / 2);
    const CivilDate date = DateOfDayNumber(day);
    if (date.year < kFirstTableYear || date.year > kLastTableYear) return false;
    return ephemeris.ReadValues(SlotOffset(date.year, date.month, date.day) + 8 * (n - 2 * day), 1,
                                &value);
}

bool PreciseTropicalLongitude(const SunEphemeris& ephemeris, const CivilInstant& ut,
                              double& longitude) {
    const double x = HalfDaysOf(ut);
    if (!std::isfinite(x)) return false;
    const auto i = static_cast<std::int64_t>(std::floor(x));
    std::array<double, 4> y{};
    std::int64_t first = 0;
    if (!Run(ephemeris, i, 1, y, first)) return false;
    longitude = ReduceDegrees(Cubic(y, x - static_cast<double>(first)));
    return std::isfinite(longitude);
}

namespace {

// The table's half day that holds `ut`, and where in the table ut lies; false outside it.
bool IntervalOf(const SunContext& sun, const CivilInstant& ut, ErrorInterval& v, double& x) {
    x = HalfDaysOf(ut);
    return std::isfinite(x) &&
           FindInterval(sun.ephemeris, static_cast<std::int64_t>(std::floor(x)), sun.precise, v);
}

}  // namespace

double SearchErrorSeconds(const SunContext& sun, const CivilInstant& ut) {
    ErrorInterval v;
    double x = 0.0;
    if (!IntervalOf(sun, ut, v, x)) return kNaN;
    return SearchError(sun, v, x, ut,
                       AyanamsaDailyStepBound(sun.ayanamsa, JulianDayOfDate(ut.date)));
}

double PositionErrorSeconds(const SunContext& sun, const CivilInstant& ut) {
    ErrorInterval v;
    double x = 0.0;
    if (!IntervalOf(sun, ut, v, x)) return kNaN;
    return PolynomialError(v, x, sun.precise) / v.speed +
           (sun.precise ? kPreciseFloorSeconds : kDefaultFloorSeconds);
}

double InstantErrors::Seconds(const CivilInstant& ut) {
    const double x = HalfDaysOf(ut);
    if (!std::isfinite(x)) return kNaN;
    const auto i = static_cast<std::int64_t>(std::floor(x));
    if (i != interval_.index) {
        interval_.index = INT64_MIN;
        if (!FindInterval(sun_.ephemeris, i, sun_.precise, interval_)) return kNaN;
    }
    const std::int64_t day = DayNumber(ut.date);
    if (day != day_) {
        day_ = day;
        // Delta T's error changes by parts in a thousand within a day.
        deltaT_ = DeltaTTwoSigmaSeconds(FractionalYear({ut.date, 12.0}));
        step_ = AyanamsaDailyStepBound(sun_.ayanamsa, JulianDayOfDate(ut.date));
    }
    return SearchError(sun_, interval_, x, ut, step_) + deltaT_;
}

double FractionalYear(const CivilInstant& ut) {
    // Days from 1970, in mean Gregorian years.
    return 1970.0 + (static_cast<double>(DayNumber(ut.date)) + ut.hour / 24.0) / 365.2425;
}

double DeltaTTwoSigmaSeconds(double year) {
    // One standard error of Delta T, interpolated in its logarithm between these dates:
    // Stephenson and Houlden's telescopic-era errors as Espenak and Meeus tabulate them (Five
    // Millennium Canon of Solar Eclipses, NASA/TP-2006-214141: 5 s in 1700, 1 s in 1800, 0.1 s
    // in 1900); Stephenson, Morrison and Hohenkerk (Proc. R. Soc. A 472, 20160404, 2016) and its
    // 2021 addendum (Proc. R. Soc. A 477, 20200776) for the measured era, which atomic time and
    // then the IERS series make a hundredth of a second and less from 1955.
    struct Node {
        double year, sigma;
    };
    static constexpr std::array<Node, 5> kSigma{
        {{1700.0, 5.0}, {1800.0, 1.0}, {1900.0, 0.1}, {1955.0, 0.01}, {2026.0, 0.01}}};
    // The last measured value; beyond it, the spread of the published predictions (the IERS'
    // extrapolation, Espenak and Meeus' polynomials, the long-term parabola of 2016 with the
    // addendum's spline), which grows about linearly at first, then with the square of the
    // years, to over a minute by 2099: 0.3 s a year plus 62 s at 73 years out.
    constexpr double kLastMeasured = 2026.0;
    if (!std::isfinite(year)) return kNaN;
    if (year > kLastMeasured) {
        const double dy = year - kLastMeasured;
        return 2.0 * kSigma.back().sigma + 0.3 * dy + 62.0 * (dy / 73.0) * (dy / 73.0);
    }
    if (year <= kSigma.front().year) return 2.0 * kSigma.front().sigma;
    static const std::array<double, kSigma.size()> kLogSigma = [] {
        std::array<double, kSigma.size()> logs{};
        for (std::size_t k = 0; k < kSigma.size(); ++k) logs[k] = std::log(kSigma[k].sigma);
        return logs;
    }();
    for (std::size_t k = 1; k < kSigma.size(); ++k) {
        if (year <= kSigma[k].year) {
            const double f = (year - kSigma[k - 1].year) / (kSigma[k].year - kSigma[k - 1].year);
            return 2.0 * std::exp(kLogSigma[k - 1] + f * (kLogSigma[k] - kLogSigma[k - 1]));
        }
    }
    return 2.0 * kSigma.back().sigma;
}

}  // namespace tarvella
