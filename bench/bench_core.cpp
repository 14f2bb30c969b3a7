// Speed of the astronomical core: the ayanamsa, a Sun position, one transit search, and the 13
// searches of one division beside Swiss Ephemeris finding the same instants.

#include <benchmark/benchmark.h>
#include <swephexp.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench_fixture.h"
#include "core/transit.h"
#include "document/chart_data.h"
#include "engine/division.h"

namespace {

using namespace tarvella;

using bench::F;

void BM_AyanamsaCorrection(benchmark::State& state) {
    Ayanamsa a;
    int day = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AyanamsaCorrection(a, 1999, 8, day));
        day = day % 28 + 1;
    }
}
BENCHMARK(BM_AyanamsaCorrection);

void BM_ComputeSunPosition(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    ChartMoment m = F().chart.birth;
    for (auto _ : state) {
        ComputeSunPosition(sun, m, F().chart.birthZone);
        benchmark::DoNotOptimize(m.sunLongitude);
    }
}
BENCHMARK(BM_ComputeSunPosition);

void BM_FindSunTransit(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    const ChartData& c = F().chart;
    const double target = LevelStartLongitude(c);
    for (auto _ : state) {
        int y, m, d;
        double h;
        benchmark::DoNotOptimize(BoundaryInstant(sun, c, target, y, m, d, h));
    }
}
BENCHMARK(BM_FindSunTransit);

// The thirteen boundaries of the twelve rows of the default chart's level, each sought once, as
// the division seeks them.
void BM_Division13Searches(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    const ChartData& c = F().chart;
    const double arc = LevelArc(c.level, c.dasaYears);
    for (auto _ : state) {
        double b = LevelStartLongitude(c);
        for (int k = 0; k < 13; ++k) {
            int y, m, d;
            double h;
            benchmark::DoNotOptimize(BoundaryInstant(sun, c, b, y, m, d, h));
            b += arc;
        }
    }
}
BENCHMARK(BM_Division13Searches);

void BM_SwissEphemeris13Crossings(benchmark::State& state) {
    swe_set_ephe_path(const_cast<char*>(TARVELLA_BENCH_EPHE_DIR));
    swe_set_sid_mode(SE_SIDM_LAHIRI, 0, 0);
    const ChartData& c = F().chart;
    const double arc = LevelArc(c.level, c.dasaYears);
    const double from = swe_julday(1999, 8, 1, 0.0, SE_GREG_CAL);
    char serr[AS_MAXCH];
    for (auto _ : state) {
        double b = LevelStartLongitude(c);
        for (int k = 0; k < 13; ++k) {
            benchmark::DoNotOptimize(
                swe_solcross_ut(std::fmod(b, 360.0), from, SEFLG_SWIEPH | SEFLG_SIDEREAL, serr));
            b += arc;
        }
    }
}
BENCHMARK(BM_SwissEphemeris13Crossings);

// Remembers each benchmark's time per iteration, for the ratio printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.times["BM_Division13Searches"];
    const double theirs = reporter.times["BM_SwissEphemeris13Crossings"];
    if (ours > 0.0 && theirs > 0.0) {
        std::printf("13 searches: Swiss Ephemeris crossings take %.1f times as long\n",
                    theirs / ours);
    }
    benchmark::Shutdown();
    return 0;
}
