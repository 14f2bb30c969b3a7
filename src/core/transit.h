// The instant at which the sidereal Sun reaches a longitude, found by a scan of 50 day slots of
// the ephemeris around an estimate from the Sun's mean motion.
#pragma once

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

}  // namespace tarvella
