#include "zone/zone.h"

#include <cctz/civil_time.h>
#include <cctz/time_zone.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/calendar.h"
#include "core/platform.h"

namespace tarvella::zone {
namespace {

// A zone name is a relative path inside the database, nothing more: no way out of it.
bool PlausibleName(std::string_view name) {
    if (name.empty() || name.size() > 128 || name.front() == '/' || name.back() == '/') {
        return false;
    }
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (!std::isalnum(c) && ch != '/' && ch != '_' && ch != '-' && ch != '+') return false;
    }
    return name.find("//") == std::string_view::npos;
}

Offset OffsetAt(const cctz::time_zone& tz, const cctz::time_point<cctz::seconds>& instant) {
    const cctz::time_zone::absolute_lookup al = tz.lookup(instant);
    return Offset{al.offset, al.is_dst, al.abbr ? al.abbr : ""};
}

// The minute as a lookup can take it: a dialog asks while the user is still typing, and a
// minute past any int must not reach a conversion.
double UsableMinute(double minute) {
    return std::isfinite(minute) ? std::clamp(minute, 0.0, 60.0) : 0.0;
}

}  // namespace

std::string LocalTimeText(const LocalTime& t) {
    char text[64];
    const char* month = t.month >= 1 && t.month <= 12
                            ? MonthAbbreviations[static_cast<std::size_t>(t.month - 1)]
                            : "?";
    std::snprintf(text, sizeof text, "%d:%02d on %d %s %d", t.hour,
                  static_cast<int>(std::floor(UsableMinute(t.minute))), t.day, month, t.year);
    return text;
}

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower;
}

// Only a regular file (or a link to one) is read: opening a pipe put in a zone's place would block.
bool RegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// The rows of a table of the database: tab-separated columns, '#' comments.
template <class Row>
void ReadTable(const std::string& path, Row row) {
    if (!RegularFile(path)) return;
    std::ifstream in(path);
    std::vector<std::string> columns;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        columns.clear();
        for (std::size_t begin = 0;;) {
            const std::size_t tab = line.find('\t', begin);
            columns.push_back(line.substr(begin, tab - begin));
            if (tab == std::string::npos) break;
            begin = tab + 1;
        }
        row(columns);
    }
}

}  // namespace

bool ZoneSpecFromOffset(int eastSeconds, ZoneSpec& zone) {
    const int seconds = std::abs(eastSeconds);
    const int hours = seconds / 3600;
    if (hours > 12) return false;
    zone.west = eastSeconds < 0 ? 1 : 0;
    zone.hours = hours;
    zone.minutes = (seconds % 3600) / 60.0;
    zone.utOffset = ZoneOffset(zone.west, zone.hours, zone.minutes);
    return true;
}

std::string FormatOffset(int eastSeconds) {
    const int s = std::abs(eastSeconds);
    char text[32];
    if (s % 60 != 0) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", s / 3600, s / 60 % 60);
    }
    return std::string(text) + (eastSeconds < 0 ? " W" : " E");
}

std::string OffsetText(const Offset& offset, bool meanTime) {
    return FormatOffset(offset.eastSeconds) + (meanTime                ? " (local mean time)"
                                               : offset.daylightSaving ? " (daylight saving)"
                                                                       : "");
}

namespace {

cctz::civil_second Civil(const LocalTime& local) {
    const double minute = UsableMinute(local.minute);
    const double wholeMinute = std::floor(minute);
    const int second = std::min(59, static_cast<int>(std::lround((minute - wholeMinute) * 60)));
    return cctz::civil_second(local.year, local.month, local.day, local.hour,
                              static_cast<int>(wholeMinute), second);
}

bool LoadZone(const ZoneDatabase& db, std::string_view name, cctz::time_zone& tz) {
    const std::string path = db.directory + "/" + std::string(name);
    return PlausibleName(name) && RegularFile(path) && cctz::load_time_zone(path, &tz);
}

}  // namespace

std::int64_t LocalSeconds(const LocalTime& local) {
    return cctz::convert(Civil(local), cctz::utc_time_zone()).time_since_epoch().count();
}

std::optional<MeanTimeEnd> LocalMeanTimeEnd(const ZoneDatabase& db, std::string_view name) {
    cctz::time_zone tz;
    if (!LoadZone(db, name, tz)) return std::nullopt;
    // Every zone's history starts in the 19th century or later; a year before any of them.
    auto instant = cctz::convert(cctz::civil_second(1600, 1, 1, 0, 0, 0), cctz::utc_time_zone());
    if (OffsetAt(tz, instant).abbreviation != "LMT") return std::nullopt;
    cctz::time_zone::civil_transition change;
    for (int changes = 0; changes < 16 && tz.next_transition(instant, &change); ++changes) {
        instant = tz.lookup(change.to).trans;
        const Offset to = OffsetAt(tz, instant);
        if (to.abbreviation != "LMT") return MeanTimeEnd{instant.time_since_epoch().count(), to};
    }
    return std::nullopt;
}

Lookup LookupOffset(const ZoneDatabase& db, std::string_view name, const LocalTime& local) {
    Lookup result;
    cctz::time_zone tz;
    if (!LoadZone(db, name, tz)) return result;
    const cctz::time_zone::civil_lookup found = tz.lookup(Civil(local));
    switch (found.kind) {
        case cctz::time_zone::civil_lookup::UNIQUE:
            result.first = OffsetAt(tz, found.pre);
            result.kind = ZoneSpecFromOffset(result.first.eastSeconds, result.zone)
                              ? Lookup::Kind::Unique
                              : Lookup::Kind::Unrepresentable;
            break;
        case cctz::time_zone::civil_lookup::REPEATED:
            result.kind = Lookup::Kind::Ambiguous;
            result.first = OffsetAt(tz, found.pre);
            result.second = OffsetAt(tz, found.post);
            break;
        case cctz::time_zone::civil_lookup::SKIPPED:
            result.kind = Lookup::Kind::Nonexistent;
            result.first = OffsetAt(tz, found.trans - cctz::seconds(1));
            result.second = OffsetAt(tz, found.trans);
            break;
    }
    return result;
}

std::string DescribeProblem(std::string_view name, const LocalTime& local, const Lookup& lookup) {
    const std::string zone(name);
    switch (lookup.kind) {
        case Lookup::Kind::Unique:
            return {};
        case Lookup::Kind::UnknownZone:
            return "There is no time zone \"" + zone + "\".";
        case Lookup::Kind::Ambiguous:
            return LocalTimeText(local) + " happens twice in " + zone + ": at " +
                   OffsetText(lookup.first) + " and at " + OffsetText(lookup.second) + ".";
        case Lookup::Kind::Nonexistent:
            return LocalTimeText(local) + " does not exist in " + zone + ": the clocks went from " +
                   OffsetText(lookup.first) + " to " + OffsetText(lookup.second) + ".";
        case Lookup::Kind::Unrepresentable:
            return zone + " is " + FormatOffset(lookup.first.eastSeconds) + " at " +
                   LocalTimeText(local) + ", more than the 12 hours a zone can be entered with.";
    }
    return {};
}

std::vector<ZoneEntry> ListZones(const ZoneDatabase& db) {
    std::map<std::string, std::string> countries;
    ReadTable(db.directory + "/iso3166.tab", [&](const std::vector<std::string>& c) {
        if (c.size() >= 2) countries[c[0]] = c[1];
    });
    // zone1970.tab lists the zones that differ since 1970, some serving several countries;
    // zone.tab also the older ones each country still names (Europe/Oslo beside Europe/Berlin).
    std::map<std::string, ZoneEntry> zones;
    const auto add = [&](const std::vector<std::string>& c) {
        if (c.size() < 3 || !PlausibleName(c[2])) return;
        ZoneEntry& z = zones[c[2]];
        z.name = c[2];
        if (z.countryCodes.empty()) z.countryCodes = c[0];
        if (z.place.empty()) {
            const std::size_t slash = z.name.rfind('/');
            z.place = z.name.substr(slash == std::string::npos ? 0 : slash + 1);
            std::replace(z.place.begin(), z.place.end(), '_', ' ');
            if (c.size() >= 4 && !c[3].empty()) z.place += " (" + c[3] + ")";
        }
    };
    ReadTable(db.directory + "/zone1970.tab", add);
    ReadTable(db.directory + "/zone.tab", add);

    std::vector<ZoneEntry> list;
    list.reserve(zones.size());
    for (auto& [name, z] : zones) {
        for (std::size_t begin = 0; begin <= z.countryCodes.size();) {
            std::size_t comma = z.countryCodes.find(',', begin);
            if (comma == std::string::npos) comma = z.countryCodes.size();
            const auto country = countries.find(z.countryCodes.substr(begin, comma - begin));
            if (country != countries.end()) {
                if (!z.countryNames.empty()) z.countryNames += ", ";
                z.countryNames += country->second;
            }
            begin = comma + 1;
        }
        list.push_back(std::move(z));
    }
    return list;
}

std::vector<ZoneEntry> FindZones(const std::vector<ZoneEntry>& zones, std::string_view text) {
    const std::string wanted = Lower(text);
    std::vector<ZoneEntry> found;
    for (const ZoneEntry& z : zones) {
        for (const std::string* field : {&z.name, &z.place, &z.countryCodes, &z.countryNames}) {
            if (Lower(*field).find(wanted) != std::string::npos) {
                found.push_back(z);
                break;
            }
        }
    }
    return found;
}

}  // namespace tarvella::zone
