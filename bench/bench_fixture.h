// Shared by the benchmark programs: the build's Sun table and the default chart with both Sun
// positions computed, made once per program.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"

namespace tarvella::bench {

struct Fixture {
    SunEphemeris table;
    Ayanamsa ayanamsa;
    ChartData chart = DefaultChart();
    Fixture() {
        if (table.Open(TARVELLA_BENCH_SUN_FILE) != SunFileStatus::Ok) {
            std::fprintf(stderr, "cannot open the Sun table %s\n", TARVELLA_BENCH_SUN_FILE);
            std::exit(1);
        }
        SunContext sun{table, ayanamsa};
        ComputeSunPosition(sun, chart.birth, chart.birthZone);
        ComputeSunPosition(sun, chart.event, chart.eventZone);
    }
    // The default chart with a 12-year MD from 2000: the largest tree the table holds whole.
    ChartData TwelveYearMd() const {
        ChartData c = chart;
        c.dasaYears = 12;
        c.dasaStartYear = 2000;
        return c;
    }
};

inline Fixture& F() {
    static Fixture f;
    return f;
}

}  // namespace tarvella::bench
