// The chart of one view and the process-wide preferences, with their defaults.
#pragma once

#include "core/chart_moment.h"

namespace tarvella {

inline constexpr int kEventLevel = 6;  // level 6 is event mode; 1..5 divide a period

struct ChartData {
    int level = 4;  // 1..6
    ChartMoment birth;
    ChartMoment event;
    ZoneSpec birthZone;
    ZoneSpec eventZone;
    int dasaYears = 1;  // 1..12
    int dasaStartYear = 1999;
    int adIndex = 0;  // each 0..11; 0 = "1st"
    int pdIndex = 0;
    int sdIndex = 0;
    int padIndex = 0;
};

struct Preferences {
    int printAllLevels = 0;
    int colorPrinting = 0;
    double ayanamsaDeviation = 0.0;  // arc-minutes from Lahiri
    int deviationSign = 1;           // +1 add, -1 subtract
    int ayanamsaChoice = 0;          // 0..7
    double deviationDegrees = 0.0;   // 1000 once the tropical choice is confirmed
    double deviationArcMinutes = 0.0;
    double deviationArcSeconds = 0.0;
};

// The default chart; its Sun fields are left at zero, to be computed like those of a read chart.
ChartData DefaultChart();

}  // namespace tarvella
