#include "view/period_export.h"

#include <libical/ical.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/calendar.h"
#include "document/field_exchange.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kProgressRows = 4096;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// The zone's offset in whole seconds when it has one, as every zone entered or picked by name
// has.
bool WholeSecondOffset(const ZoneSpec& zone, std::int64_t& seconds) {
    const double s = zone.utOffset * 3600.0;
    if (!std::isfinite(s) || std::fabs(s - std::round(s)) > 1e-6) return false;
    seconds = static_cast<std::int64_t>(std::round(s));
    return true;
}

std::int64_t UtcSeconds(const Boundary& b, const ZoneSpec& zone) {
    std::int64_t offset = 0;
    if (WholeSecondOffset(zone, offset)) return LocalSeconds(b) + offset;
    return DayNumber(b.ut.date) * kDaySeconds +
           static_cast<std::int64_t>(std::floor(b.ut.hour * 3600.0));
}

struct Civil {
    CivilDate date;
    int hour, minute, second;
};

Civil CivilOf(std::int64_t seconds) {
    const std::int64_t day = FloorDiv(seconds, kDaySeconds);
    const auto s = static_cast<int>(seconds - day * kDaySeconds);
    return {DateOfDayNumber(day), s / 3600, s / 60 % 60, s % 60};
}

std::string IsoText(std::int64_t seconds, const char* suffix) {
    const Civil c = CivilOf(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%s", c.date.year, c.date.month,
                  c.date.day, c.hour, c.minute, c.second, suffix);
    return text;
}

icaltimetype IcalUtc(std::int64_t seconds) {
    const Civil c = CivilOf(seconds);
    icaltimetype t = icaltime_null_time();
    t.year = c.date.year;
    t.month = c.date.month;
    t.day = c.date.day;
    t.hour = c.hour;
    t.minute = c.minute;
    t.second = c.second;
    t.zone = icaltimezone_get_utc_timezone();
    return t;
}

// libical's rendering of a component: its escaping of text, folding at 75 octets and CR LF.
std::string IcalText(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    std::string s = text ? text : "";
    icalmemory_free_buffer(text);
    return s;
}

using IcalComponent = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

// A moment of the chart as entered, in its own zone.
std::string MomentText(const ChartMoment& m, const ZoneSpec& zone) {
    const double minutes = std::isfinite(m.minute) ? std::clamp(m.minute, 0.0, 60.0) : 0.0;
    const std::int64_t s = DayNumber({m.year, m.month, m.day}) * kDaySeconds +
                           std::int64_t{m.hour} * 3600 +
                           static_cast<std::int64_t>(std::floor(minutes * 60.0));
    return IsoText(s, OffsetText(zone).c_str());
}

std::uint64_t Fnv1a(std::string_view s) {
    std::uint64_t h = 1469598103934665603ull;
    for (const unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// What fixes the periods' instants: the birth, its zone, the MD and the ayanamsa.
std::string ChartHash(const ChartData& c, const Preferences& p) {
    char text[256];
    std::snprintf(text, sizeof text, "%d %d %d %d %.17g %.17g %d %d %.17g", c.birth.year,
                  c.birth.month, c.birth.day, c.birth.hour, c.birth.minute, c.birthZone.utOffset,
                  c.dasaYears, c.dasaStartYear, p.ayanamsaDeviation);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(text)));
    return hash;
}

std::string UncertaintyText() {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Instants within %.1f s of the exact ones (the program's measured maximum), "
                  "written truncated to the second.",
                  kMeasuredUncertaintySeconds);
    return text;
}

Json InstantJson(const Boundary& b, const ZoneSpec& zone, bool utc) {
    if (!b.found) return nullptr;
    return utc ? UtcText(b, zone) : LocalText(b, zone);
}

Json DegreesJson(double longitude) {
    return std::isfinite(longitude) ? Json(std::round(ReduceDegrees(longitude) * 1e6) / 1e6)
                                    : Json(nullptr);
}

Json RowJson(const PeriodRow& row, const ZoneSpec& zone) {
    Json j;
    j["tier"] = TierNames[static_cast<std::size_t>(row.tier - 1)];
    j["path"] = PathText(row);
    j["summary"] = SummaryText(row);
    j["start_utc"] = InstantJson(*row.start, zone, true);
    j["end_utc"] = InstantJson(*row.end, zone, true);
    j["start_local"] = InstantJson(*row.start, zone, false);
    j["end_local"] = InstantJson(*row.end, zone, false);
    j["start_longitude"] = PositionText(*row.start);
    j["end_longitude"] = PositionText(*row.end);
    j["start_degrees"] = DegreesJson(row.start->longitude);
    j["end_degrees"] = DegreesJson(row.end->longitude);
    return j;
}

Json MetadataJson(SunContext& sun, const ChartData& chart, const Preferences& p, int depth) {
    ChartData md = WithinTables(chart);
    md.level = 1;
    const LevelDivision ads = DivideLevel(sun, md);
    PeriodRow whole;
    whole.start = &ads.boundaries.front();
    whole.end = &ads.boundaries.back();
    const ZoneSpec& zone = md.eventZone;
    Json j;
    j["birth"] = {{"local", MomentText(md.birth, md.birthZone)},
                  {"sun_degrees", DegreesJson(md.birth.sunLongitude)}};
    j["event"] = {{"local", MomentText(md.event, md.eventZone)}};
    j["md"] = {{"years", md.dasaYears},
               {"start_year", md.dasaStartYear},
               {"start_utc", InstantJson(*whole.start, zone, true)},
               {"end_utc", InstantJson(*whole.end, zone, true)},
               {"start_local", InstantJson(*whole.start, zone, false)},
               {"end_local", InstantJson(*whole.end, zone, false)},
               {"start_longitude", PositionText(*whole.start)},
               {"end_longitude", PositionText(*whole.end)}};
    j["ayanamsa"] = {{"name", AyanamsaLabel(p)}, {"deviation_arcminutes", p.ayanamsaDeviation}};
    j["local_offset"] = OffsetText(zone);
    j["depth"] = depth;
    j["period_count"] = PeriodCount(depth);
    j["uncertainty_seconds"] = kMeasuredUncertaintySeconds;
    j["uncertainty"] = UncertaintyText();
    return j;
}

}  // namespace

std::string GroupedCount(std::int64_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string DepthChoiceText(int depth) {
    constexpr std::array<const char*, kTreeTiers> kNames{"&Antardasas", "&Pratyantardasas",
                                                         "&Sookshma-antardasas",
                                                         "P&rana-antardasas", "&Deha-antardasas"};
    depth = std::clamp(depth, 1, kTreeTiers);
    return std::string(kNames[static_cast<std::size_t>(depth - 1)]) + " (" +
           GroupedCount(PeriodCount(depth)) + " rows)";
}

bool ParseExportFormat(std::string_view name, ExportFormat& format) {
    if (name == "csv") {
        format = ExportFormat::Csv;
    } else if (name == "json") {
        format = ExportFormat::Json;
    } else if (name == "ics") {
        format = ExportFormat::Ics;
    } else {
        return false;
    }
    return true;
}

const char* ExportExtension(ExportFormat format) {
    switch (format) {
        case ExportFormat::Csv:
            return "csv";
        case ExportFormat::Json:
            return "json";
        default:
            return "ics";
    }
}

std::string UtcText(const Boundary& b, const ZoneSpec& zone) {
    return b.found ? IsoText(UtcSeconds(b, zone), "Z") : kOutsideTableText;
}

std::string LocalText(const Boundary& b, const ZoneSpec& zone) {
    return b.found ? IsoText(LocalSeconds(b), OffsetText(zone).c_str()) : kOutsideTableText;
}

std::string OffsetText(const ZoneSpec& zone) {
    std::int64_t west = 0;
    if (!WholeSecondOffset(zone, west)) {
        west = std::isfinite(zone.utOffset) ? std::llround(zone.utOffset * 3600.0) : 0;
    }
    const std::int64_t east = -west, a = east < 0 ? -east : east;
    char text[32];
    const int n =
        std::snprintf(text, sizeof text, "%c%02lld:%02lld", east < 0 ? '-' : '+',
                      static_cast<long long>(a / 3600), static_cast<long long>(a / 60 % 60));
    if (a % 60 != 0) {
        std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ":%02lld",
                      static_cast<long long>(a % 60));
    }
    return text;
}

std::string PositionText(const Boundary& b) {
    if (!std::isfinite(b.longitude)) return "";
    const ZodiacPosition& p = b.position;
    char text[32];
    std::snprintf(text, sizeof text, "%s %02d %02d %02d",
                  SignAbbreviations[static_cast<std::size_t>(std::clamp(p.sign, 0, 11))], p.degree,
                  p.arcMinute, static_cast<int>(p.arcSecond));
    return text;
}

std::string DegreesText(double longitude) {
    if (!std::isfinite(longitude)) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", ReduceDegrees(longitude));
    // Just below a full turn prints as 360.
    return std::string_view(text) == "360.000000" ? "0.000000" : text;
}

std::string PathText(const PeriodRow& row) {
    std::string s;
    for (int t = 0; t < row.tier; ++t) {
        if (t > 0) s += '.';
        s += std::to_string(row.path[static_cast<std::size_t>(t)] + 1);
    }
    return s;
}

std::string SummaryText(const PeriodRow& row) {
    std::string s;
    for (int t = 0; t < row.tier; ++t) {
        if (t > 0) s += " / ";
        s += OrdinalNames[static_cast<std::size_t>(row.path[static_cast<std::size_t>(t)])];
        s += ' ';
        s += TierNames[static_cast<std::size_t>(t)];
    }
    return s;
}

// No field can hold a comma, a quote or a line end (digits, letters, '-', ':', '.', '+', space),
// so no field needs RFC 4180's quotes.
std::string CsvLine(const PeriodRow& row, const ZoneSpec& zone) {
    std::string s;
    s.reserve(160);
    for (const std::string& field :
         {std::string(TierNames[static_cast<std::size_t>(row.tier - 1)]), PathText(row),
          UtcText(*row.start, zone), UtcText(*row.end, zone), LocalText(*row.start, zone),
          LocalText(*row.end, zone), PositionText(*row.start), PositionText(*row.end),
          DegreesText(row.start->longitude), DegreesText(row.end->longitude)}) {
        if (!s.empty()) s += ',';
        s += field;
    }
    s += "\r\n";
    return s;
}

ExportResult WritePeriods(SunContext& sun, const ChartData& original,
                          const Preferences& preferences, int depth, ExportFormat format,
                          const ExportSink& out, const ExportProgress& progress) {
    const ChartData chart = WithinTables(original);
    depth = std::clamp(depth, 1, kTreeTiers);
    const ZoneSpec& zone = chart.eventZone;
    std::string uidBase = ChartHash(chart, preferences);
    std::string head, tail;
    bool first = true;
    if (format == ExportFormat::Csv) {
        head = kCsvHeader;
    } else if (format == ExportFormat::Json) {
        head = MetadataJson(sun, chart, preferences, depth).dump();
        head.pop_back();  // the periods follow as the object's last member
        head += ",\"periods\":[";
        tail = "\n]}\n";
    } else {
        IcalComponent cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT), &icalcomponent_free);
        icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
        icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Tarvella//Periods//EN"));
        icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
        icalproperty* name = icalproperty_new_x("Tarvella periods");
        icalproperty_set_x_name(name, "X-WR-CALNAME");
        icalcomponent_add_property(cal.get(), name);
        head = IcalText(cal.get());
        const std::size_t end = head.rfind("END:VCALENDAR");
        tail = head.substr(end);
        head.resize(end);
    }
    if (!out(head)) return ExportResult::WriteFailed;

    const icaltimetype stamp = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    const std::string uncertainty = UncertaintyText();
    bool writeFailed = false;
    std::int64_t rows = 0;
    const bool finished = VisitPeriods(sun, chart, depth, [&](const PeriodRow& row) {
        std::string text;
        if (format == ExportFormat::Csv) {
            text = CsvLine(row, zone);
        } else if (format == ExportFormat::Json) {
            text = first ? "\n" : ",\n";
            text += RowJson(row, zone).dump();
        } else if (row.start->found && row.end->found) {
            // A period with an end outside the table has no place in a calendar.
            IcalComponent event(icalcomponent_new(ICAL_VEVENT_COMPONENT), &icalcomponent_free);
            const std::string uid = uidBase + "-" + PathText(row) + "@tarvella";
            const std::string description =
                "Start: " + PositionText(*row.start) + " (" + DegreesText(row.start->longitude) +
                " deg)\nEnd: " + PositionText(*row.end) + " (" + DegreesText(row.end->longitude) +
                " deg)\n" + uncertainty;
            icalcomponent_add_property(event.get(), icalproperty_new_uid(uid.c_str()));
            icalcomponent_add_property(event.get(), icalproperty_new_dtstamp(stamp));
            icalcomponent_add_property(
                event.get(), icalproperty_new_dtstart(IcalUtc(UtcSeconds(*row.start, zone))));
            icalcomponent_add_property(event.get(),
                                       icalproperty_new_dtend(IcalUtc(UtcSeconds(*row.end, zone))));
            icalcomponent_add_property(event.get(),
                                       icalproperty_new_summary(SummaryText(row).c_str()));
            icalcomponent_add_property(event.get(),
                                       icalproperty_new_description(description.c_str()));
            text = IcalText(event.get());
        }
        first = false;
        if (!text.empty() && !out(text)) {
            writeFailed = true;
            return false;
        }
        ++rows;
        return !(progress && rows % kProgressRows == 0 && !progress(rows));
    });
    if (writeFailed) return ExportResult::WriteFailed;
    if (!finished) return ExportResult::Cancelled;
    if (progress && !progress(rows)) return ExportResult::Cancelled;
    return out(tail) ? ExportResult::Written : ExportResult::WriteFailed;
}

}  // namespace tarvella
