// The instant at which the sidereal Sun reaches a longitude, found by a scan of 50 day slots of
// the ephemeris around an estimate from the Sun's mean motion.
#pragma once

#include <cstdint>
#include <vector>

#include "core/calendar.h"
#include "core/chart_moment.h"
#include "core/sun_ephemeris.h"

namespace tarvella {

// 1 when x lies on the arc from `from` to `to` in the direction of increasing longitude, both ends
// included, else 0.
int IsOnArc(double from, double x, double to);

// On entry year/month/day is a date at or near which the Sun stood at `start`; on success they
// hold the local date of the transit and `hours` its local decimal hour in [0, 24). The target may
// lie whole turns ahead of the start. Returns false, with the date and hours left as given, when
// the window of the search reaches outside the table or the scan finds no transit.
bool FindSunTransit(SunContext& sun, double target, double start, int& year, int& month, int& day,
                    double& hours, const ZoneSpec& zone);

// The same search from the anchor date, giving the transit both in Universal Time and in the
// zone's local time.
struct SunTransit {
    CivilInstant ut;
    CivilInstant local;
};
bool FindSunTransit(SunContext& sun, double target, double start, CivilDate anchor,
                    const ZoneSpec& zone, SunTransit& found);

// The sidereal longitudes at 0h and 12h of a run of slots, each computed once, with the ayanamsa
// evaluated slot after slot as a search evaluates it while it steps through its window: searches
// over many boundaries of one MD read the table and evaluate the ayanamsa once per slot instead
// of 51 times per search.
struct SunSlotCache {
    std::int64_t firstSlot = 0;
    std::vector<double> v0, v12;
    std::vector<char> realDay;  // 0 for day numbers past the month's end
};
// Slots firstSlot .. firstSlot + count - 1, cut to the table.
SunSlotCache CacheSunSlots(SunContext& sun, std::int64_t firstSlot, std::int64_t count);

// The search above, with the window's longitudes taken from the cache; a window the cache does
// not hold whole is searched in the table.
bool FindSunTransit(SunContext& sun, const SunSlotCache& cache, double target, double start,
                    CivilDate anchor, const ZoneSpec& zone, SunTransit& found);

// The first slot of the window that a search for `target` from `anchor` reads, or false when no
// window inside the table exists. For sizing a cache.
bool TransitWindowSlot(double target, double start, CivilDate anchor, std::int64_t& firstSlot);

}  // namespace tarvella
