#include "document/chart_data.h"

namespace tarvella {

ChartData DefaultChart() {
    ChartData c;
    c.birth.year = 1970;
    c.birth.month = 4;
    c.birth.day = 4;
    c.birth.hour = 17;
    c.birth.minute = 50.0;
    c.birthZone = {0, 5, 30.0, ZoneOffset(0, 5, 30.0)};
    c.event.year = 1999;
    c.event.month = 8;
    c.event.day = 22;
    c.event.hour = 12;
    c.event.minute = 10.0;
    c.eventZone = {1, 4, 0.0, ZoneOffset(1, 4, 0.0)};
    c.dasaYears = 1;
    c.dasaStartYear = 1999;
    c.adIndex = 4;
    c.pdIndex = 5;
    c.sdIndex = 9;
    c.padIndex = 1;
    c.level = 4;
    return c;
}

}  // namespace tarvella
