// The whole period tree of a 12-year MD down to the deha-antardasas, timed as the export computes
// it, and the same instants found one by one with Swiss Ephemeris' swe_solcross_ut in the same
// run. Goal: the tree in at most 100 ms and at least 20 times faster than the crossings.

#include <swephexp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench_fixture.h"
#include "core/calendar.h"
#include "engine/period_tree.h"

namespace {

using namespace tarvella;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double JulianOf(const CivilInstant& ut) {
    return swe_julday(ut.date.year, ut.date.month, ut.date.day, ut.hour, SE_GREG_CAL);
}

// The UT instant at which the tropical Sun plus the ayanamsa correction of the UT date reaches
// the sidereal target, from a moment before it. The correction is constant within a UT day, so
// the crossing is sought again only when it lands on another day than the one assumed.
double Crossing(Ayanamsa& ayanamsa, double target, double from) {
    char serr[AS_MAXCH];
    double assumed = from;
    double jd = from;
    for (int i = 0; i < 3; ++i) {
        int y, m, d;
        double h;
        swe_revjul(assumed, SE_GREG_CAL, &y, &m, &d, &h);
        const double tropical = ReduceDegrees(target - AyanamsaCorrection(ayanamsa, y, m, d));
        jd = swe_solcross_ut(tropical, from, SEFLG_SWIEPH, serr);
        if (std::floor(jd + 0.5) == std::floor(assumed + 0.5)) break;
        assumed = jd;
    }
    return jd;
}

}  // namespace

int main() {
    bench::Fixture& f = bench::F();
    ChartData chart = f.TwelveYearMd();
    SunContext sun{f.table, f.ayanamsa};

    // The tree as the export walks it, best of several runs.
    std::vector<double> targets;
    std::vector<double> instants;
    targets.reserve(250000);
    instants.reserve(250000);
    double best = 1e9;
    std::int64_t rows = 0;
    for (int run = 0; run < 7; ++run) {
        targets.clear();
        instants.clear();
        rows = 0;
        const auto t0 = Clock::now();
        VisitPeriods(sun, chart, 5, [&](const PeriodRow& row) {
            ++rows;
            if (row.tier == 5) {
                if (targets.empty()) {
                    targets.push_back(row.start->longitude);
                    instants.push_back(JulianOf(row.start->ut));
                }
                targets.push_back(row.end->longitude);
                instants.push_back(JulianOf(row.end->ut));
            }
            return true;
        });
        best = std::min(best, Seconds(Clock::now() - t0));
    }

    // The same boundaries in time order, each crossing sought from a little before it.
    swe_set_ephe_path(const_cast<char*>(TARVELLA_BENCH_EPHE_DIR));
    Ayanamsa ayanamsa = f.ayanamsa;
    std::vector<double> crossings(targets.size());
    const auto t0 = Clock::now();
    double from = instants.front() - 2.0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        crossings[i] = Crossing(ayanamsa, targets[i], from);
        from = crossings[i] - 0.01;
    }
    const double swe = Seconds(Clock::now() - t0);
    swe_close();
    double worst = 0.0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        worst = std::max(worst, std::fabs(crossings[i] - instants[i]) * 86400.0);
    }

    std::printf("period tree of a 12-year MD to depth 5: %lld periods, %zu boundaries\n",
                static_cast<long long>(rows), targets.size());
    std::printf("  tree (best of 7)       %8.1f ms\n", best * 1e3);
    std::printf("  swe_solcross_ut        %8.1f ms\n", swe * 1e3);
    std::printf("  ratio                  %8.1f x\n", swe / best);
    std::printf("  largest difference     %8.3f s\n", worst);
    const bool ok = best <= 0.1 && swe / best >= 20.0;
    std::printf("  goal (<= 100 ms, >= 20 x): %s\n", ok ? "met" : "NOT met");
    return ok ? 0 : 1;
}
