#include "core/transit.h"

#include <cmath>

#include "core/calendar.h"

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

bool FindSunTransit(SunContext& sun, double target, double start, CivilDate anchor,
                    const ZoneSpec& zone, SunTransit& found) {
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

    const double t = ReduceDegrees(target);
    if (y < kFirstTableYear || y > kLastTableYear) return false;
    double values[2 * kSlotsRead];
    if (!sun.ephemeris.ReadValues(SlotOffset(y, m, d), 2 * kSlotsRead, values)) return false;

    double c = AyanamsaCorrection(sun.ayanamsa, y, m, d);
    double v = ReduceDegrees(values[0] + c);
    for (int j = 0; j < kWindowSlots; ++j) {
        const double v0 = v;
        const double v12 = ReduceDegrees(values[2 * j + 1] + c);
        const int sy = y, sm = m, sd = d;
        const CivilDate next = SlotDate(SlotNumber({y, m, d}) + 1);
        y = next.year;
        m = next.month;
        d = next.day;
        c = AyanamsaCorrection(sun.ayanamsa, y, m, d);
        const double vn = ReduceDegrees(values[2 * j + 2] + c);
        if (sd <= DaysInMonth(sy, sm)) {
            double h = -1.0;
            if (IsOnArc(v0, t, v12)) {
                h = HalfDayHours(v0, t, v12);
            } else if (IsOnArc(v12, t, vn)) {
                h = 12.0 + HalfDayHours(v12, t, vn);
            }
            if (h >= 0.0) {
                const CivilInstant ut{{sy, sm, sd}, h};
                int ry = sy, rm = sm, rd = sd;
                h -= zone.utOffset;
                CarryHours(ry, rm, rd, h);
                // A zone beyond one carry is no real zone; refuse rather than show a bad hour.
                if (!(h >= 0.0 && h < 24.0)) return false;
                found = {ut, {{ry, rm, rd}, h}};
                return true;
            }
        }
        v = vn;
    }
    return false;
}

}  // namespace tarvella
