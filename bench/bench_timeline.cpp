// Speed of the timeline as the window repaints it: the layout over the range shown and its
// drawing into a canvas that draws nothing, for the whole MD, a day and an hour at 1200 pixels
// (goal 5 ms each), and a step of the wheel's zoom or of a drag (goal 16 ms: a new view, its
// layout and its drawing). Before the timings, the size of the whole MD's SVG and the most bands
// a layout holds, which stays bounded by the width whatever the zoom.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_fixture.h"
#include "view/svg_canvas.h"
#include "view/timeline.h"

namespace {

using namespace tarvella;

using bench::F;

constexpr int kWidth = 1200;

ChartData Chart(int years) {
    ChartData chart = F().chart;
    chart.dasaYears = years;
    return chart;
}

// 0 the whole MD, 1 a day, 2 an hour, about the chart's event.
TimelineView View(SunContext& sun, const ChartData& chart, int zoom) {
    const TimelineLimits limits = LimitsOf(sun, chart);
    const TimelineView whole = WholeMdView(limits, kWidth);
    if (zoom == 0) return whole;
    double event = 0.0;
    MomentSeconds(chart.event, chart.eventZone, event);
    const double span = zoom == 1 ? 86400.0 : 3600.0;
    return ClampView({event - span / 2, event + span / 2, kWidth}, limits);
}

void BM_Repaint(benchmark::State& state) {
    SunContext sun{F().table, F().ayanamsa};
    const ChartData chart = Chart(static_cast<int>(state.range(0)));
    const TimelineView view = View(sun, chart, static_cast<int>(state.range(1)));
    NullCanvas canvas;
    for (auto _ : state) {
        const TimelineLayout layout = LayoutTimeline(sun, chart, view, view.from, false);
        DrawTimeline(canvas, layout);
        benchmark::DoNotOptimize(layout.rows.back().bands.size());
    }
}
// Years of the MD; 0 the whole MD, 1 a day, 2 an hour.
BENCHMARK(BM_Repaint)->ArgsProduct({{1, 12}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

// One step of the wheel in and out about a point, or a drag of 40 pixels back and forth, from a
// day's view: the step and the repaint it asks for.
void Step(benchmark::State& state, bool zoom) {
    SunContext sun{F().table, F().ayanamsa};
    const ChartData chart = Chart(static_cast<int>(state.range(0)));
    const TimelineLimits limits = LimitsOf(sun, chart);
    TimelineView view = View(sun, chart, 1);
    NullCanvas canvas;
    bool forth = true;
    for (auto _ : state) {
        view = zoom ? ZoomAbout(view, 700, forth ? 1.25 : 0.8, limits)
                    : PanBy(view, forth ? 40 : -40, limits);
        forth = !forth;
        const TimelineLayout layout = LayoutTimeline(sun, chart, view, view.from, false);
        DrawTimeline(canvas, layout);
        benchmark::DoNotOptimize(layout.rows.back().bands.size());
    }
}
void BM_ZoomStep(benchmark::State& state) {
    Step(state, true);
}
BENCHMARK(BM_ZoomStep)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond);
void BM_PanStep(benchmark::State& state) {
    Step(state, false);
}
BENCHMARK(BM_PanStep)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond);

void PrintSizes() {
    SunContext sun{F().table, F().ayanamsa};
    for (int years : {1, 12}) {
        const ChartData chart = Chart(years);
        const TimelineView whole = View(sun, chart, 0);
        const TimelineLayout layout = LayoutTimeline(sun, chart, whole, whole.from, false);
        SvgCanvas svg(whole.width, whole.height);
        DrawTimeline(svg, layout);
        std::printf("whole MD of %d y at %d px: SVG %zu bytes\n", years, kWidth,
                    svg.Finish().size());
        // The most bands of any zoom, from the whole MD in to the narrowest span.
        const TimelineLimits limits = LimitsOf(sun, chart);
        std::size_t most = 0;
        for (TimelineView v = whole; v.to - v.from > kMinTimelineSpan * 1.01;) {
            v = ZoomAbout(v, 700, 1.5, limits);
            std::size_t bands = 0;
            for (const TimelineRow& row : LayoutTimeline(sun, chart, v, 0, false).rows) {
                bands += row.bands.size();
            }
            most = std::max(most, bands);
        }
        std::printf("most bands in one layout, %d y MD, any zoom: %zu\n", years, most);
    }
}

}  // namespace

int main(int argc, char** argv) {
    PrintSizes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
