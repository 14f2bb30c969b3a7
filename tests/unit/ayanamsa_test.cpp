#include "core/ayanamsa.h"

#include <gtest/gtest.h>

#include <limits>

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
