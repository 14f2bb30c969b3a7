// The export of the whole depth-5 tree of a 12-year MD in each format, written to a pipe that a
// reader thread drains, against the tree's own time in the same run; best of five each. Goal: the
// CSV in at most 3 times the tree's time, the JSON in at most 5 times; the iCalendar, which
// libical renders event by event, is measured and reported.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench_fixture.h"
#include "engine/period_tree.h"
#include "view/period_export.h"

namespace {

using namespace tarvella;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double TreeSeconds(SunContext& sun, const ChartData& chart) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        std::int64_t rows = 0;
        const auto t0 = Clock::now();
        VisitPeriods(sun, chart, 5, [&](const PeriodRow&) { return ++rows > 0; });
        best = std::min(best, Seconds(Clock::now() - t0));
    }
    return best;
}

struct Written {
    double seconds = 1e9;
    long long bytes = 0;
};

Written ExportSeconds(SunContext& sun, const ChartData& chart, ExportFormat format) {
    Written best;
    for (int run = 0; run < kRuns; ++run) {
        int fds[2];
        if (pipe(fds) != 0) return best;
        long long drained = 0;
        std::thread reader([&] {
            std::vector<char> buffer(1 << 20);
            ssize_t n;
            while ((n = read(fds[0], buffer.data(), buffer.size())) > 0) drained += n;
        });
        const auto t0 = Clock::now();
        const ExportResult result =
            WritePeriods(sun, chart, Preferences{}, 5, format, [&](std::string_view bytes) {
                while (!bytes.empty()) {
                    const ssize_t n = write(fds[1], bytes.data(), bytes.size());
                    if (n <= 0) return false;
                    bytes.remove_prefix(static_cast<std::size_t>(n));
                }
                return true;
            });
        close(fds[1]);
        reader.join();
        const double s = Seconds(Clock::now() - t0);
        close(fds[0]);
        if (result != ExportResult::Written) return best;
        best.seconds = std::min(best.seconds, s);
        best.bytes = drained;
    }
    return best;
}

}  // namespace

int main() {
    bench::Fixture& f = bench::F();
    ChartData chart = f.TwelveYearMd();
    SunContext sun{f.table, f.ayanamsa};

    const double tree = TreeSeconds(sun, chart);
    std::printf("depth-5 tree of a 12-year MD, %lld periods, best of %d\n",
                static_cast<long long>(PeriodCount(5)), kRuns);
    std::printf("  tree                %8.1f ms\n", tree * 1e3);
    bool ok = true;
    const struct {
        ExportFormat format;
        const char* name;
        double goal;  // times the tree; 0: none
    } formats[] = {{ExportFormat::Csv, "CSV", 3.0},
                   {ExportFormat::Json, "JSON", 5.0},
                   {ExportFormat::Ics, "iCalendar", 0.0}};
    for (const auto& f : formats) {
        const Written w = ExportSeconds(sun, chart, f.format);
        const double ratio = w.seconds / tree;
        std::printf("  %-10s %8.1f ms %7.1f MB %6.2f x the tree", f.name, w.seconds * 1e3,
                    static_cast<double>(w.bytes) / 1e6, ratio);
        if (f.goal > 0.0) {
            const bool met = ratio <= f.goal;
            std::printf("  (goal <= %.0f x: %s)", f.goal, met ? "met" : "NOT met");
            ok = ok && met;
        }
        std::printf("\n");
    }

    // The precise search's tree, for comparison: a refinement per boundary.
    sun.precise = true;
    ComputeSunPosition(sun, chart.birth, chart.birthZone);
    std::printf("  precise tree        %8.1f ms\n", TreeSeconds(sun, chart) * 1e3);
    return ok ? 0 : 1;
}
