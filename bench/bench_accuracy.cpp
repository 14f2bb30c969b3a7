// Accuracy of the transit search: for random targets and start dates, the UT instant that
// FindSunTransit returns against the exact instant at which Swiss Ephemeris' apparent longitude
// plus the ayanamsa correction of that UT date reaches the target. Lahiri throughout.

#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "core/calendar.h"
#include "core/transit.h"

namespace {

using namespace tarvella;

struct UtDate {
    int year, month, day;
    double hour;
};

UtDate FromJulian(double jd) {
    int y, m, d;
    double h;
    swe_revjul(jd, SE_GREG_CAL, &y, &m, &d, &h);
    return {y, m, d, h};
}

// Sidereal longitude minus target, in (-180, 180], and the Sun's speed in degrees per day.
double Offset(Ayanamsa& ayanamsa, double jd, double target, double* speed) {
    double xx[6];
    char serr[AS_MAXCH];
    swe_calc_ut(jd, SE_SUN, SEFLG_SWIEPH | SEFLG_SPEED, xx, serr);
    const UtDate u = FromJulian(jd);
    double diff = xx[0] + AyanamsaCorrection(ayanamsa, u.year, u.month, u.day) - target;
    diff = std::remainder(diff, 360.0);
    *speed = xx[3];
    return diff;
}

// Newton's method from the search's answer; the correction is constant within a UT day.
double ExactInstant(Ayanamsa& ayanamsa, double jd, double target) {
    for (int i = 0; i < 8; ++i) {
        double speed;
        const double step = Offset(ayanamsa, jd, target, &speed) / speed;
        jd -= step;
        if (std::fabs(step) < 1e-10) break;
    }
    return jd;
}

}  // namespace

int main() {
    SunEphemeris table;
    if (table.Open(TARVELLA_BENCH_SUN_FILE) != SunFileStatus::Ok) {
        std::fprintf(stderr, "bench_accuracy: cannot open %s\n", TARVELLA_BENCH_SUN_FILE);
        return 1;
    }
    swe_set_ephe_path(const_cast<char*>(TARVELLA_BENCH_EPHE_DIR));
    Ayanamsa ayanamsa;
    SunContext sun{table, ayanamsa};
    std::mt19937_64 random(20261209);
    const double first = JulianDayNumber(1801, 1, 1), last = JulianDayNumber(2098, 1, 1);
    std::uniform_real_distribution<double> day(first, last), arc(0.0, 360.0);

    const int kSamples = 20000;
    std::vector<double> errors;
    errors.reserve(kSamples);
    const ZoneSpec ut{};
    int failures = 0;
    for (int i = 0; i < kSamples; ++i) {
        const UtDate start = FromJulian(std::floor(day(random)) + 0.5);
        ChartMoment moment;
        moment.year = start.year, moment.month = start.month, moment.day = start.day;
        moment.hour = 12;
        if (!ComputeSunPosition(sun, moment, ut)) {
            ++failures;
            continue;
        }
        const double target = moment.sunLongitude + arc(random);
        int y = start.year, m = start.month, d = start.day;
        double hours = 0.0;
        if (!FindSunTransit(sun, target, moment.sunLongitude, y, m, d, hours, ut)) {
            ++failures;
            continue;
        }
        const double found = swe_julday(y, m, d, hours, SE_GREG_CAL);
        const double exact = ExactInstant(ayanamsa, found, std::fmod(target, 360.0));
        errors.push_back(std::fabs(found - exact) * 86400.0);
    }
    swe_close();
    std::sort(errors.begin(), errors.end());
    const auto at = [&](double q) {
        return errors[static_cast<std::size_t>(q * (errors.size() - 1))];
    };
    std::printf("transit search against Swiss Ephemeris, Lahiri, %zu samples, %d failed\n",
                errors.size(), failures);
    std::printf("  maximum         %.3f s\n", errors.back());
    std::printf("  99th percentile %.3f s\n", at(0.99));
    std::printf("  median          %.3f s\n", at(0.5));
    const bool ok = failures == 0 && errors.back() <= 5.0 && at(0.5) <= 1.0;
    std::printf("  goal (max <= 5 s, median <= 1 s): %s\n", ok ? "met" : "NOT met");
    return ok ? 0 : 1;
}
