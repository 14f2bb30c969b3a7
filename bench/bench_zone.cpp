// Speed of the zone lookups that "Enter Data" makes while the user types: one offset at a local
// time (the database file already loaded, as after the first lookup), and the whole list of
// zones that the chooser searches.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "zone/zone.h"

namespace {

using namespace tarvella::zone;

void BM_OffsetLookup(benchmark::State& state) {
    const ZoneDatabase db;
    int day = 0;
    for (auto _ : state) {
        const LocalTime local{1941 + day % 60, 1 + day % 12, 1 + day % 28, 12, 30.0};
        benchmark::DoNotOptimize(LookupOffset(db, "Europe/London", local));
        ++day;
    }
}
BENCHMARK(BM_OffsetLookup)->Unit(benchmark::kMicrosecond);

void BM_ListAllZones(benchmark::State& state) {
    const ZoneDatabase db;
    std::size_t count = 0;
    for (auto _ : state) {
        const std::vector<ZoneEntry> zones = ListZones(db);
        count = zones.size();
        benchmark::DoNotOptimize(zones.data());
    }
    state.counters["zones"] = static_cast<double>(count);
}
BENCHMARK(BM_ListAllZones)->Unit(benchmark::kMillisecond);

void BM_SearchZones(benchmark::State& state) {
    const std::vector<ZoneEntry> zones = ListZones(ZoneDatabase{});
    for (auto _ : state) benchmark::DoNotOptimize(FindZones(zones, "india"));
}
BENCHMARK(BM_SearchZones)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
