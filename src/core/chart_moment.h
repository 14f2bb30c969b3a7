// A civil moment with the sidereal Sun computed for it, and a time zone as entered.
#pragma once

namespace tarvella {

struct ChartMoment {
    int sunDegree = 0;          // 0..29 within the sign
    int sunSign = 0;            // 0 = Aries .. 11 = Pisces
    int sunMinute = 0;          // 0..59
    double sunSecond = 0.0;     // 0 up to 60
    double sunLongitude = 0.0;  // sidereal, [0, 360)
    int year = 0;
    int month = 1;        // 1..12
    int day = 1;          // 1..31
    int hour = 0;         // 0..23
    double minute = 0.0;  // 0..60, may carry a fraction
};

struct ZoneSpec {
    int west = 0;           // 0 = East of Greenwich, 1 = West
    int hours = 0;          // as entered, -12..12
    double minutes = 0.0;   // as entered, 0..60
    double utOffset = 0.0;  // hours to add to local time to get Universal Time
};

// hours + minutes / 60, negated east of Greenwich: the sign comes from the East/West choice alone.
inline double ZoneOffset(int west, int hours, double minutes) {
    const double offset = hours + minutes / 60.0;
    return west == 0 ? -offset : offset;
}

}  // namespace tarvella
