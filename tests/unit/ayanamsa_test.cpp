#include "core/ayanamsa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "core/calendar.h"

namespace tarvella {
namespace {

TEST(Ayanamsa, LahiriAndNamedDeviationsIn2000) {
    Ayanamsa a;
    EXPECT_NEAR(EvaluateAyanamsa(a, 2000, 1, 1), -23.852930, 5e-7);
    a.lastAyanamsaCorrection = 0.0;
    EXPECT_NEAR(AyanamsaCorrection(a, 2000, 1, 1), -23.853073, 5e-7);
    a.deviation = -87.0;
    EXPECT_NEAR(AyanamsaCorrection(a, 2000, 1, 1), -22.403065, 5e-7);
    a.deviation = 53.005;
    EXPECT_NEAR(AyanamsaCorrection(a, 2000, 1, 1), -24.736495, 5e-7);
    a.deviation = 0.0;
    EXPECT_NEAR(AyanamsaCorrection(a, 1900, 1, 1), -22.465402, 5e-7);
}

TEST(Ayanamsa, ResultDoesNotDependOnEarlierCalls) {
    Ayanamsa fresh, used;
    used.lastAyanamsaCorrection = 170.0;
    EXPECT_NEAR(AyanamsaCorrection(fresh, 1970, 4, 4), AyanamsaCorrection(used, 1970, 4, 4), 1e-9);
    EXPECT_EQ(used.lastAyanamsaCorrection, AyanamsaCorrection(used, 1970, 4, 4));
}

// At 0h the instant's correction is the date's; through the day it moves by the day's precession,
// which the step bound covers, and by nothing under the tropical zodiac.
TEST(Ayanamsa, CorrectionAtAnInstantAndItsDailyStep) {
    for (const auto& [year, month, day] : {std::tuple{1800, 1, 1}, {1970, 4, 4}, {2099, 12, 30}}) {
        Ayanamsa a, b;
        const double jd = JulianDayNumber(year, month, day) - 0.5;
        EXPECT_EQ(AyanamsaCorrectionAt(a, jd), AyanamsaCorrection(b, year, month, day));
        const double step = AyanamsaCorrectionAt(a, jd + 1.0) - AyanamsaCorrectionAt(a, jd);
        // Precession, 50.3" a year, makes the correction more negative.
        EXPECT_NEAR(step * 3600.0, -50.3 / 365.25, 0.02) << year;
        EXPECT_LE(std::fabs(step), AyanamsaDailyStepBound(a, jd));
        a.deviation = kMaxAyanamsaDeviation + 1.0;
        EXPECT_EQ(AyanamsaDailyStepBound(a, jd), 0.0);
    }
}

TEST(Ayanamsa, DeviationBeyondAFullCircleMeansTropical) {
    Ayanamsa a;
    a.deviation = DeviationArcMinutes(1, 360.0, 0.0, 0.0);
    EXPECT_EQ(a.deviation, 21600.0);
    Ayanamsa lahiri;
    EXPECT_NEAR(AyanamsaCorrection(a, 2000, 1, 1), AyanamsaCorrection(lahiri, 2000, 1, 1) - 360.0,
                1e-9);
    a.deviation = DeviationArcMinutes(1, 360.0, 0.0, 1.0);
    EXPECT_EQ(AyanamsaCorrection(a, 2000, 1, 1), 0.0);
    a.deviation = DeviationArcMinutes(1, 1000.0, 0.0, 0.0);  // the stored tropical choice
    EXPECT_EQ(a.deviation, 60000.0);
    EXPECT_EQ(AyanamsaCorrection(a, 1850, 6, 1), 0.0);
    a.deviation = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(AyanamsaCorrection(a, 1850, 6, 1), 0.0);
    EXPECT_EQ(a.lastAyanamsaCorrection, 0.0);
}

TEST(Ayanamsa, SignAppliesToTheWholeSum) {
    // -5 degrees 30 minutes is -270 arc-minutes, not -330.
    EXPECT_DOUBLE_EQ(DeviationArcMinutes(1, -5.0, 30.0, 0.0), -270.0);
    EXPECT_NEAR(DeviationArcMinutes(-1, 0.0, 22.0, 37.0), -(22.0 + 37.0 / 60.0), 1e-12);
    EXPECT_NEAR(DeviationArcMinutes(-1, 0.0, 6.0, 5.4), -6.09, 1e-12);
}

}  // namespace
}  // namespace tarvella
