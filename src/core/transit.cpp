#include "core/transit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/calendar.h"
#include "core/instant_error.h"

namespace tarvella {
namespace {

constexpr double kDaysPerDegree = 1.0145625;  // 365.2425 days per 360 degrees
constexpr int kWindowSlots = 50;
// Slots read: the window and the one after it, whose 0h value closes the afternoon of slot 49.
constexpr int kSlotsRead = kWindowSlots + 1;
// A forward jump longer than the table can only land outside it.
constexpr double kMaxJumpDays = 366.0 * (kLastTableYear - kFirstTableYear + 1);

double Wrap(double d) {
    return d < 0.0 ? d + 360.0 : d;
}

// Hour within a half day at which the Sun, moving from `from` to `to`, passes `target`.
double HalfDayHours(double from, double target, double to) {
    const double span = Wrap(to - from);
    return span > 0.0 ? 12.0 * Wrap(target - from) / span : 0.0;
}

}  // namespace

int IsOnArc(double from, double x, double to) {
    from = ReduceDegrees(from);
    x = ReduceDegrees(x);
    to = ReduceDegrees(to);
    if (from > to) from -= 360.0;
    if (x > to) x -= 360.0;
    return from <= x ? 1 : 0;
}

bool FindSunTransit(SunContext& sun, double target, double start, int& year, int& month, int& day,
                    double& hours, const ZoneSpec& zone) {
    SunTransit found;
    if (!FindSunTransit(sun, target, start, {year, month, day}, zone, found)) return false;
    year = found.local.date.year;
    month = found.local.date.month;
    day = found.local.date.day;
    hours = found.local.hour;
    return true;
}

namespace {

// The first slot of the search's window and the target reduced below 360, or false when the
// arguments give no window inside the table.
bool WindowOf(double target, double start, CivilDate anchor, const ZoneSpec& zone,
              std::int64_t& firstSlot, double& reduced) {
    const int year = anchor.year, month = anchor.month, day = anchor.day;
    if (!std::isfinite(target) || !std::isfinite(start) || !std::isfinite(zone.utOffset)) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    // No jump reaches the table from further away, and the date arithmetic stays far from the
    // ends of int.
    if (year < kFirstTableYear - 400 || year > kLastTableYear + 1) return false;

    // Back off about 20 days; the borrowed month counts 28 days, so the day stays valid.
    int y = year, m = month, d = day - 20;
    if (d < 1) {
        d += 28;
        if (--m < 1) {
            m += 12;
            --y;
        }
    }
    double arc = target - start;
    if (arc < 0.0) arc += 360.0;
    const double jump = std::trunc(arc * kDaysPerDegree);
    if (!(jump < kMaxJumpDays)) return false;
    AddDays(static_cast<int>(jump), y, m, d);
    if (y < kFirstTableYear || y > kLastTableYear) return false;
    firstSlot = SlotNumber({y, m, d});
    reduced = ReduceDegrees(target);
    return true;
}

// Newton's method from the straight line's hour, on the cubic through the table and the
// correction of the instant itself. The slope is the half day's: it changes by a hundredth
// across it, so each step gains two digits.
bool Refine(SunContext& sun, double target, CivilDate& date, double& h) {
    double slope = 0.0;  // degrees per hour
    for (int i = 0; i < 8; ++i) {
        int y = date.year, m = date.month, d = date.day;
        if (h < 0.0 || h >= 24.0) {
            CarryHours(y, m, d, h);
            date = {y, m, d};
        }
        const CivilInstant ut{date, h};
        double tropical = 0.0;
        if (!PreciseTropicalLongitude(sun.ephemeris, ut, tropical)) return false;
        const double offset = std::remainder(
            tropical + AyanamsaCorrectionAt(sun.ayanamsa, JulianDayOf(ut)) - target, 360.0);
        if (slope == 0.0) {
            double a = 0.0, b = 0.0;
            const std::int64_t n = 2 * DayNumber(date) + (h >= 12.0 ? 1 : 0);
            if (!HalfDayValue(sun.ephemeris, n, a) || !HalfDayValue(sun.ephemeris, n + 1, b)) {
                return false;
            }
            slope = std::remainder(b - a, 360.0) / 12.0;
            if (!(slope > 0.0)) return false;
        }
        const double step = offset / slope;
        h -= step;
        if (std::fabs(step) < 1e-8) break;  // 36 microseconds
    }
    int y = date.year, m = date.month, d = date.day;
    if (h < 0.0 || h >= 24.0) CarryHours(y, m, d, h);
    date = {y, m, d};
    return h >= 0.0 && h < 24.0;
}

// The hour found in slot `slot` of the window as UT, and in the zone's local time; refined
// when the search is precise.
bool Finish(SunContext& sun, double target, std::int64_t slot, double h, const ZoneSpec& zone,
            SunTransit& found) {
    CivilDate date = SlotDate(slot);
    if (sun.precise && !Refine(sun, target, date, h)) return false;
    const CivilInstant ut{date, h};
    int ry = date.year, rm = date.month, rd = date.day;
    h -= zone.utOffset;
    CarryHours(ry, rm, rd, h);
    // A zone beyond one carry is no real zone; refuse rather than show a bad hour.
    if (!(h >= 0.0 && h < 24.0)) return false;
    found = {ut, {{ry, rm, rd}, h}};
    return true;
}

// The hour of the transit within a slot whose sidereal longitudes at 0h, 12h and the next 0h are
// v0, v12 and vn, or -1 when the Sun does not reach t in that slot. The morning half first.
double SlotHours(double v0, double v12, double vn, double t) {
    if (IsOnArc(v0, t, v12)) return HalfDayHours(v0, t, v12);
    if (IsOnArc(v12, t, vn)) return 12.0 + HalfDayHours(v12, t, vn);
    return -1.0;
}

}  // namespace

bool FindSunTransit(SunContext& sun, double target, double start, CivilDate anchor,
                    const ZoneSpec& zone, SunTransit& found) {
    std::int64_t first = 0;
    double t = 0.0;
    if (!WindowOf(target, start, anchor, zone, first, t)) return false;
    double values[2 * kSlotsRead];
    if (!sun.ephemeris.ReadValues(first * kSlotBytes, 2 * kSlotsRead, values)) return false;

    CivilDate date = SlotDate(first);
    double c = AyanamsaCorrection(sun.ayanamsa, date.year, date.month, date.day);
    double v = ReduceDegrees(values[0] + c);
    for (int j = 0; j < kWindowSlots; ++j) {
        const double v0 = v;
        const double v12 = ReduceDegrees(values[2 * j + 1] + c);
        const CivilDate slotDate = date;
        date = SlotDate(first + j + 1);
        c = AyanamsaCorrection(sun.ayanamsa, date.year, date.month, date.day);
        const double vn = ReduceDegrees(values[2 * j + 2] + c);
        if (slotDate.day <= DaysInMonth(slotDate.year, slotDate.month)) {
            const double h = SlotHours(v0, v12, vn, t);
            if (h >= 0.0) return Finish(sun, t, first + j, h, zone, found);
        }
        v = vn;
    }
    return false;
}

bool TransitWindowSlot(double target, double start, CivilDate anchor, std::int64_t& firstSlot) {
    double reduced = 0.0;
    return WindowOf(target, start, anchor, ZoneSpec{}, firstSlot, reduced);
}

SunSlotCache CacheSunSlots(SunContext& sun, std::int64_t firstSlot, std::int64_t count) {
    SunSlotCache cache;
    const std::int64_t tableSlots = kSunFileSize / kSlotBytes;
    const std::int64_t first = std::max<std::int64_t>(firstSlot, 0);
    const std::int64_t end = std::min(firstSlot + std::max<std::int64_t>(count, 0), tableSlots);
    if (end <= first) return cache;
    const auto n = static_cast<std::size_t>(end - first);
    std::vector<double> values(2 * n);
    if (!sun.ephemeris.ReadValues(first * kSlotBytes, static_cast<int>(2 * n), values.data())) {
        return cache;
    }
    cache.firstSlot = first;
    cache.v0.resize(n);
    cache.v12.resize(n);
    cache.realDay.resize(n);
    // Slot after slot, as a search evaluates the ayanamsa while it steps through its window.
    Ayanamsa ayanamsa = sun.ayanamsa;
    for (std::size_t i = 0; i < n; ++i) {
        const CivilDate date = SlotDate(first + static_cast<std::int64_t>(i));
        const double c = AyanamsaCorrection(ayanamsa, date.year, date.month, date.day);
        cache.v0[i] = ReduceDegrees(values[2 * i] + c);
        cache.v12[i] = ReduceDegrees(values[2 * i + 1] + c);
        cache.realDay[i] = date.day <= DaysInMonth(date.year, date.month);
    }
    return cache;
}

bool FindSunTransit(SunContext& sun, const SunSlotCache& cache, double target, double start,
                    CivilDate anchor, const ZoneSpec& zone, SunTransit& found) {
    std::int64_t first = 0;
    double t = 0.0;
    if (!WindowOf(target, start, anchor, zone, first, t)) return false;
    const std::int64_t offset = first - cache.firstSlot;
    if (offset < 0 || offset + kSlotsRead > static_cast<std::int64_t>(cache.v0.size())) {
        return FindSunTransit(sun, target, start, anchor, zone, found);
    }
    const auto base = static_cast<std::size_t>(offset);
    for (std::size_t j = 0; j < kWindowSlots; ++j) {
        if (!cache.realDay[base + j]) continue;
        const double h =
            SlotHours(cache.v0[base + j], cache.v12[base + j], cache.v0[base + j + 1], t);
        if (h >= 0.0) {
            return Finish(sun, t, first + static_cast<std::int64_t>(j), h, zone, found);
        }
    }
    return false;
}

}  // namespace tarvella
