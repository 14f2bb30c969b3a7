// Speed of the places search that "Enter Data" runs at every key the user types (goal: under
// 5 ms for a 3-letter prefix over all places), the load of the places file, and what it holds.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "places/places.h"

namespace {

using namespace tarvella::places;

const Atlas& Loaded() {
    static const Atlas* atlas = [] {
        auto* a = new Atlas;
        if (a->Open(TARVELLA_BENCH_PLACES_FILE) != PlacesStatus::Ok) {
            std::fprintf(stderr, "bench_places: %s\n", a->problem().c_str());
            std::exit(1);
        }
        return a;
    }();
    return *atlas;
}

void BM_LoadPlacesFile(benchmark::State& state) {
    for (auto _ : state) {
        Atlas atlas;
        benchmark::DoNotOptimize(atlas.Open(TARVELLA_BENCH_PLACES_FILE));
    }
    state.counters["bytes"] = static_cast<double>(Loaded().fileBytes());
    state.counters["places"] = static_cast<double>(Loaded().size());
    state.counters["names"] = static_cast<double>(Loaded().keyCount());
}
BENCHMARK(BM_LoadPlacesFile)->Unit(benchmark::kMillisecond);

// One search per key as "Pune", "San Francisco" and "Sao Paulo" are typed: the 50 best shown.
void BM_SearchAsTyped(benchmark::State& state, const char* text) {
    const Atlas& atlas = Loaded();
    std::size_t found = 0;
    for (auto _ : state) {
        const std::vector<Match> matches = atlas.Search(text);
        found = matches.size();
        benchmark::DoNotOptimize(matches.data());
    }
    state.counters["shown"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_SearchAsTyped, p, "p")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, pu, "pu")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, pun, "pun")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, san, "san")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, sao_paulo, "sao paulo")->Unit(benchmark::kMillisecond);

// The command line's pick of one place from a fuller text.
void BM_ResolveFullerText(benchmark::State& state) {
    const Atlas& atlas = Loaded();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ResolvePlace(atlas, "Springfield, Missouri, United States"));
    }
}
BENCHMARK(BM_ResolveFullerText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
