// Time zones by name: the offset in force at a local date and time, from the IANA time zone
// database that the system keeps compiled (its history of standard zones, daylight saving, war
// time and local mean time), and the list of zone names with their countries and places.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/chart_moment.h"

namespace tarvella::zone {

// The system's compiled database; on Windows, which has none, the copy that travels with the
// program, at ../share/zoneinfo beside it.
std::string DefaultZoneDirectory();

// Where the compiled database lives.
struct ZoneDatabase {
    std::string directory = DefaultZoneDirectory();
};

// One offset of a zone, as the database gives it.
struct Offset {
    int eastSeconds = 0;  // seconds east of Greenwich
    bool daylightSaving = false;
    std::string abbreviation;  // "BST", "IST", "LMT"...
};

// A local date and time; the minute may carry a fraction, as a chart's does.
struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    double minute = 0.0;
};

struct Lookup {
    enum class Kind {
        Unique,          // `zone` and `first` hold the offset in force
        Ambiguous,       // the local time happens twice: `first` then `second`
        Nonexistent,     // the local time is skipped: `first` before the change, `second` after
        UnknownZone,     // no zone of that name
        Unrepresentable  // `first` is in force, but the chart's fields cannot hold it
    } kind = Kind::UnknownZone;
    ZoneSpec zone;
    Offset first;
    Offset second;
};

Lookup LookupOffset(const ZoneDatabase& db, std::string_view name, const LocalTime& local);

// The local time as if it were Universal Time, in seconds since 1970, to the second that a
// lookup uses: an instant is this less the offset in force.
std::int64_t LocalSeconds(const LocalTime& local);

// The zone's first change of the clocks away from local mean time ("LMT"): the instant, in
// seconds since 1970 UT, and the offset that began then; nullopt for an unknown zone or one that
// the database gives no mean time.
struct MeanTimeEnd {
    std::int64_t instant = 0;
    Offset to;
};
std::optional<MeanTimeEnd> LocalMeanTimeEnd(const ZoneDatabase& db, std::string_view name);

// "1:30 on 31 Oct 1999", as the problems tell a local time.
std::string LocalTimeText(const LocalTime& local);

// The chart's zone fields for an offset: whole hours, the minutes with any fraction local mean
// time needs, and the side of Greenwich; false when the hours pass the 12 the fields hold.
bool ZoneSpecFromOffset(int eastSeconds, ZoneSpec& zone);

// "5:30 E", "4:56:02 W": an offset as the zone fields read it.
std::string FormatOffset(int eastSeconds);
// "1:00 E (daylight saving)", "0:01:15 W (local mean time)".
std::string OffsetText(const Offset& offset, bool meanTime = false);

// What a lookup that gave no single offset means, in one sentence; empty for a unique one.
// "1:30 on 31 Oct 1999 happens twice in Europe/London: at 1:00 E (daylight saving) and 0:00 E."
std::string DescribeProblem(std::string_view name, const LocalTime& local, const Lookup& lookup);

struct ZoneEntry {
    std::string name;          // "Asia/Kolkata"
    std::string countryCodes;  // "IN", or "DE,DK,NO,SE,SJ" where a zone serves several
    std::string countryNames;  // "India"
    std::string place;         // "Kolkata", with the database's comment where it has one
};

// Every zone that the database's tables list with a country, sorted by name.
std::vector<ZoneEntry> ListZones(const ZoneDatabase& db);

// The zones whose name, place, country code or country name contains `text`, ignoring case.
std::vector<ZoneEntry> FindZones(const std::vector<ZoneEntry>& zones, std::string_view text);

}  // namespace tarvella::zone
