// Speed of one whole drawing of a report, as every repaint does it: the report model (the
// division's 13 transit searches, or the event search) and the layout of every text with its plain
// text, into a canvas that draws nothing. The goal is 200 microseconds each.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench_fixture.h"
#include "view/report_layout.h"

namespace {

using namespace tarvella;

using bench::F;

void DrawLevel(benchmark::State& state, int level, bool printing) {
    SunContext sun{F().table, F().ayanamsa};
    NullCanvas canvas;
    const PrintState print{printing, 4800, 6360, false, true};
    for (auto _ : state) {
        ChartData chart = F().chart;
        chart.level = level;
        benchmark::DoNotOptimize(DrawReport(canvas, print, sun, chart));
    }
}

void BM_PeriodReport(benchmark::State& state) {
    DrawLevel(state, static_cast<int>(state.range(0)), false);
}
BENCHMARK(BM_PeriodReport)->DenseRange(1, 5)->Unit(benchmark::kMicrosecond);

void BM_PeriodReportPrinted(benchmark::State& state) {
    DrawLevel(state, 4, true);
}
BENCHMARK(BM_PeriodReportPrinted)->Unit(benchmark::kMicrosecond);

// The default event lies in the 5th AD: six searches before it is found.
void BM_EventReport(benchmark::State& state) {
    DrawLevel(state, kEventLevel, false);
}
BENCHMARK(BM_EventReport)->Unit(benchmark::kMicrosecond);

// An event outside the MD costs the most: all 13 boundaries of the ADs.
void BM_EventReportNotFound(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    NullCanvas canvas;
    for (auto _ : state) {
        ChartData chart = F().chart;
        chart.level = kEventLevel;
        chart.dasaStartYear = 2001;
        benchmark::DoNotOptimize(DrawReport(canvas, {}, sun, chart));
    }
}
BENCHMARK(BM_EventReportNotFound)->Unit(benchmark::kMicrosecond);

// The parts of a repaint and of a Copy: the model alone, its drawing, its plain text.
void BM_ReportModel(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    for (auto _ : state) benchmark::DoNotOptimize(BuildReport(sun, F().chart));
}
BENCHMARK(BM_ReportModel)->Unit(benchmark::kMicrosecond);

void BM_ReportDrawing(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    const ReportModel report = BuildReport(sun, F().chart);
    NullCanvas canvas;
    for (auto _ : state) DrawReportModel(canvas, {}, report);
}
BENCHMARK(BM_ReportDrawing)->Unit(benchmark::kMicrosecond);

void BM_ReportText(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    const ReportModel report = BuildReport(sun, F().chart);
    for (auto _ : state) benchmark::DoNotOptimize(ReportText(report));
}
BENCHMARK(BM_ReportText)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
