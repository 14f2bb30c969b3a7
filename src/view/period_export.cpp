#include "view/period_export.h"

#include <libical/ical.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/calendar.h"
#include "core/instant_error.h"
#include "document/field_exchange.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kProgressRows = 4096;

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

// The date of a day number, remembered: an export's rows run through the days in order.
struct DayCache {
    std::int64_t day = INT64_MIN;
    CivilDate date;
    const CivilDate& operator()(std::int64_t d) {
        if (d != day) {
            date = DateOfDayNumber(d);
            day = d;
        }
        return date;
    }
};

Civil CivilOf(std::int64_t seconds, DayCache& days) {
    const std::int64_t day = FloorDiv(seconds, kDaySeconds);
    const auto s = static_cast<int>(seconds - day * kDaySeconds);
    return {days(day), s / 3600, s / 60 % 60, s % 60};
}

Civil CivilOf(std::int64_t seconds) {
    DayCache days;
    return CivilOf(seconds, days);
}

// Digits of v, zero-padded to `width`, as printf's "%0*d" writes them.
char* PutPadded(char* p, long long v, int width) {
    if (v >= 0 && v < 100 && width == 2) {
        p[0] = static_cast<char>('0' + v / 10);
        p[1] = static_cast<char>('0' + v % 10);
        return p + 2;
    }
    if (v >= 0 && v < 10000 && width == 4) return PutPadded(PutPadded(p, v / 100, 2), v % 100, 2);
    return p + std::snprintf(p, 24, "%0*lld", width, v);
}

char* PutText(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// "1999-08-22T15:48:12" and, with hundredths 0..99, ".37"; then the suffix. At most 40 + suffix.
char* PutIso(char* p, std::int64_t seconds, int hundredths, std::string_view suffix,
             DayCache& days) {
    const Civil c = CivilOf(seconds, days);
    p = PutPadded(p, c.date.year, 4);
    *p++ = '-';
    p = PutPadded(p, c.date.month, 2);
    *p++ = '-';
    p = PutPadded(p, c.date.day, 2);
    *p++ = 'T';
    p = PutPadded(p, c.hour, 2);
    *p++ = ':';
    p = PutPadded(p, c.minute, 2);
    *p++ = ':';
    p = PutPadded(p, c.second, 2);
    if (hundredths >= 0) {
        *p++ = '.';
        p = PutPadded(p, hundredths, 2);
    }
    return PutText(p, suffix);
}

std::string IsoText(std::int64_t seconds, const char* suffix) {
    char text[96];
    DayCache days;
    return std::string(text, PutIso(text, seconds, -1, suffix, days));
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

// What fixes the periods' instants: the birth, its zone, the MD and the ayanamsa.
std::string ChartHash(const ChartData& c, const Preferences& p) {
    char text[256];
    std::snprintf(text, sizeof text, "%d %d %d %d %.17g %.17g %d %d %.17g", c.birth.year,
                  c.birth.month, c.birth.day, c.birth.hour, c.birth.minute, c.birthZone.utOffset,
                  c.dasaYears, c.dasaStartYear, p.ayanamsaDeviation);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(text, kCalendarUidBasis)));
    return hash;
}

// A found boundary's instant: whole seconds from 1970 and, when precise, its hundredths.
struct Stamp {
    std::int64_t seconds;
    int hundredths;  // -1: not written
};

// The local hundredth, truncated and kept within the report's minute as LocalSeconds keeps the
// second.
Stamp LocalStamp(const Boundary& b, bool precise) {
    if (!precise) return {LocalSeconds(b), -1};
    const std::int64_t h = LocalHundredths(b);
    return {FloorDiv(h, 100), static_cast<int>(h - 100 * FloorDiv(h, 100))};
}

Stamp UtcStamp(const Boundary& b, const ZoneSpec& zone, bool precise) {
    std::int64_t offset = 0;
    if (WholeSecondOffset(zone, offset)) {
        Stamp s = LocalStamp(b, precise);
        s.seconds += offset;
        return s;
    }
    if (!precise) return {UtcSeconds(b, zone), -1};
    const auto h = static_cast<std::int64_t>(std::floor(b.ut.hour * 360000.0));
    return {DayNumber(b.ut.date) * kDaySeconds + h / 100, static_cast<int>(h % 100)};
}

// The export's texts of one instant, with the zone's offset formatted once.
struct Instants {
    Instants(const ZoneSpec& z, std::string o, bool p)
        : zone(z), offset(std::move(o)), precise(p) {}
    const ZoneSpec& zone;
    std::string offset;
    bool precise;
    mutable DayCache utcDays, localDays;

    char* Utc(char* p, const Boundary& b) const {
        if (!b.found) return PutText(p, kOutsideTableText);
        const Stamp s = UtcStamp(b, zone, precise);
        return PutIso(p, s.seconds, s.hundredths, "Z", utcDays);
    }
    char* Local(char* p, const Boundary& b) const {
        if (!b.found) return PutText(p, kOutsideTableText);
        const Stamp s = LocalStamp(b, precise);
        return PutIso(p, s.seconds, s.hundredths, offset, localDays);
    }
};

char* PutPosition(char* p, const Boundary& b) {
    if (!std::isfinite(b.longitude)) return p;
    const ZodiacPosition& z = b.position;
    p = PutText(p, SignAbbreviations[static_cast<std::size_t>(std::clamp(z.sign, 0, 11))]);
    *p++ = ' ';
    p = PutPadded(p, z.degree, 2);
    *p++ = ' ';
    p = PutPadded(p, z.arcMinute, 2);
    *p++ = ' ';
    return PutPadded(p, static_cast<int>(z.arcSecond), 2);
}

// "%.6f", which to_chars' fixed precision writes alike.
char* PutDegrees(char* p, double longitude) {
    if (!std::isfinite(longitude)) return p;
    char* end = std::to_chars(p, p + 48, ReduceDegrees(longitude), std::chars_format::fixed, 6).ptr;
    // Just below a full turn prints as 360.
    if (std::string_view(p, static_cast<std::size_t>(end - p)) == "360.000000") {
        return PutText(p, "0.000000");
    }
    return end;
}

double RoundedUp(double seconds) {
    return std::ceil(seconds * 100.0 - 1e-9) / 100.0;
}

char* PutUncertainty(char* p, double seconds) {
    if (!std::isfinite(seconds)) return p;
    return std::to_chars(p, p + 48, RoundedUp(seconds)).ptr;
}

char* PutPath(char* p, const PeriodRow& row) {
    for (int t = 0; t < row.tier; ++t) {
        if (t > 0) *p++ = '.';
        p = std::to_chars(p, p + 8, row.path[static_cast<std::size_t>(t)] + 1).ptr;
    }
    return p;
}

char* PutSummary(char* p, const PeriodRow& row) {
    for (int t = 0; t < row.tier; ++t) {
        if (t > 0) p = PutText(p, " / ");
        p = PutText(p,
                    OrdinalNames[static_cast<std::size_t>(row.path[static_cast<std::size_t>(t)])]);
        *p++ = ' ';
        p = PutText(p, TierNames[static_cast<std::size_t>(t)]);
    }
    return p;
}

// Room for the longest line of any format but the calendar's.
constexpr std::size_t kLineBytes = 1024;

// A JSON number as nlohmann's dump writes a double: the shortest text that reads back, with
// ".0" on a whole number. Below a thousandth its choice of exponent differs from to_chars', so
// those few take its own path.
char* PutJsonNumber(char* p, double value) {
    if (!std::isfinite(value)) return PutText(p, "null");
    if (value != 0.0 && std::fabs(value) < 1e-3) return PutText(p, Json(value).dump());
    char* end = std::to_chars(p, p + 48, value, std::chars_format::fixed).ptr;
    if (std::memchr(p, '.', static_cast<std::size_t>(end - p)) == nullptr) end = PutText(end, ".0");
    return end;
}

// The texts of one boundary as a row's fields give them, in the CSV's form or as JSON values
// (quoted, or null). None holds a comma, a quote, a backslash or a line end (digits, letters,
// '-', ':', '.', '+', space), so no CSV field needs RFC 4180's quotes and no JSON string an
// escape.
struct Fields {
    struct Text {
        char bytes[64];
        std::uint8_t size = 0;
        std::string_view View() const { return {bytes, size}; }
        template <typename Put>
        void Set(Put put) {
            size = static_cast<std::uint8_t>(put(bytes) - bytes);
        }
    };
    double longitude = NAN;
    double uncertainty = NAN;
    Text utc, local, position, degrees, error;
};

char* Quoted(char* p, const auto& put) {
    *p++ = '"';
    p = put(p);
    *p++ = '"';
    return p;
}

void FillFields(Fields& f, const Boundary& b, const Instants& at, double uncertainty, bool json) {
    f.longitude = b.longitude;
    f.uncertainty = uncertainty;
    if (!json) {
        f.utc.Set([&](char* p) { return at.Utc(p, b); });
        f.local.Set([&](char* p) { return at.Local(p, b); });
        f.position.Set([&](char* p) { return PutPosition(p, b); });
        f.degrees.Set([&](char* p) { return PutDegrees(p, b.longitude); });
        f.error.Set([&](char* p) { return PutUncertainty(p, uncertainty); });
        return;
    }
    const auto instant = [&](char* p, bool utc) {
        if (!b.found) return PutText(p, "null");
        return Quoted(p, [&](char* q) { return utc ? at.Utc(q, b) : at.Local(q, b); });
    };
    f.utc.Set([&](char* p) { return instant(p, true); });
    f.local.Set([&](char* p) { return instant(p, false); });
    f.position.Set([&](char* p) { return Quoted(p, [&](char* q) { return PutPosition(q, b); }); });
    f.degrees.Set([&](char* p) {
        return std::isfinite(b.longitude)
                   ? PutJsonNumber(p, std::round(ReduceDegrees(b.longitude) * 1e6) / 1e6)
                   : PutText(p, "null");
    });
    f.error.Set([&](char* p) {
        return std::isfinite(uncertainty) ? PutJsonNumber(p, RoundedUp(uncertainty))
                                          : PutText(p, "null");
    });
}

// Each boundary formatted once: in the tree's order a period starts where the one before it
// started (its parent) or ended (its sibling), and every boundary has its own target longitude.
class FieldCache {
  public:
    FieldCache(const SunContext& sun, const Instants& at, double truncated, bool json)
        : errors_(sun), at_(at), truncated_(truncated), json_(json) {}
    // The texts stay valid until the second call after this one.
    const Fields& operator()(const Boundary& b) {
        for (std::size_t k = 0; k < slots_.size(); ++k) {
            if (slots_[k].longitude == b.longitude) return slots_[last_ = k];
        }
        std::size_t k = next_++ % slots_.size();
        if (k == last_) k = next_++ % slots_.size();
        const double u = b.found ? errors_.Seconds(b.ut) + truncated_ : NAN;
        FillFields(slots_[k], b, at_, u, json_);
        return slots_[last_ = k];
    }

  private:
    InstantErrors errors_;
    const Instants& at_;
    double truncated_;
    bool json_;
    std::array<Fields, 4> slots_;
    std::size_t next_ = 0, last_ = 4;
};

// A field's text copied whole, as one fixed-size move: the line's buffer has room for every
// field's full size behind the last.
char* PutField(char* p, const Fields::Text& text) {
    std::memcpy(p, text.bytes, sizeof text.bytes);
    return p + text.size;
}

char* PutCsvLine(char* p, const PeriodRow& row, const Fields& a, const Fields& b) {
    p = PutText(p, TierNames[static_cast<std::size_t>(row.tier - 1)]);
    *p++ = ',';
    p = PutPath(p, row);
    for (const auto field :
         {&Fields::utc, &Fields::local, &Fields::position, &Fields::degrees, &Fields::error}) {
        *p++ = ',';
        p = PutField(p, a.*field);
        *p++ = ',';
        p = PutField(p, b.*field);
    }
    return PutText(p, "\r\n");
}

char* PutJsonRow(char* p, const PeriodRow& row, const Fields& a, const Fields& b) {
    p = PutText(p, "{\"tier\":\"");
    p = PutText(p, TierNames[static_cast<std::size_t>(row.tier - 1)]);
    p = PutText(p, "\",\"path\":\"");
    p = PutPath(p, row);
    p = PutText(p, "\",\"summary\":\"");
    p = PutSummary(p, row);
    *p++ = '"';
    const struct {
        Fields::Text Fields::*field;
        const char* start;
        const char* end;
    } pairs[] = {{&Fields::utc, ",\"start_utc\":", ",\"end_utc\":"},
                 {&Fields::local, ",\"start_local\":", ",\"end_local\":"},
                 {&Fields::position, ",\"start_longitude\":", ",\"end_longitude\":"},
                 {&Fields::degrees, ",\"start_degrees\":", ",\"end_degrees\":"},
                 {&Fields::error, ",\"start_uncertainty_s\":", ",\"end_uncertainty_s\":"}};
    for (const auto& pair : pairs) {
        p = PutText(p, pair.start);
        p = PutField(p, a.*pair.field);
        p = PutText(p, pair.end);
        p = PutField(p, b.*pair.field);
    }
    *p++ = '}';
    return p;
}

std::string UncertaintySentence() {
    return "Each instant lies within the seconds beside it of the exact one, the largest of "
           "which is uncertainty_seconds: the search's bound at that instant, two standard "
           "errors of Delta T at its date and what truncation to the written resolution loses. "
           "The natal Sun's own error, birth.sun_uncertainty_seconds, moves every instant alike; "
           "no figure covers the birth time's own precision.";
}

Json InstantJson(const Instants& at, const Boundary& b, bool utc) {
    if (!b.found) return nullptr;
    char text[kLineBytes];
    return std::string(text, utc ? at.Utc(text, b) : at.Local(text, b));
}

Json DegreesJson(double longitude) {
    return std::isfinite(longitude) ? Json(std::round(ReduceDegrees(longitude) * 1e6) / 1e6)
                                    : Json(nullptr);
}

Json MetadataJson(SunContext& sun, const ChartData& chart, const Preferences& p, int depth) {
    ChartData md = WithinTables(chart);
    md.level = 1;
    const LevelDivision ads = DivideLevel(sun, md);
    const Boundary& start = ads.boundaries.front();
    const Boundary& end = ads.boundaries.back();
    const ZoneSpec& zone = md.eventZone;
    const Instants at{zone, OffsetText(zone), sun.precise};
    Json j;
    j["birth"] = {{"local", MomentText(md.birth, md.birthZone)},
                  {"sun_degrees", DegreesJson(md.birth.sunLongitude)}};
    const double natal = NatalSunUncertainty(sun, md);
    j["birth"]["sun_uncertainty_seconds"] =
        std::isfinite(natal) ? Json(RoundedUp(natal)) : Json(nullptr);
    j["event"] = {{"local", MomentText(md.event, md.eventZone)}};
    j["md"] = {{"years", md.dasaYears},
               {"start_year", md.dasaStartYear},
               {"start_utc", InstantJson(at, start, true)},
               {"end_utc", InstantJson(at, end, true)},
               {"start_local", InstantJson(at, start, false)},
               {"end_local", InstantJson(at, end, false)},
               {"start_longitude", PositionText(start)},
               {"end_longitude", PositionText(end)}};
    j["ayanamsa"] = {{"name", AyanamsaLabel(p)}, {"deviation_arcminutes", p.ayanamsaDeviation}};
    j["local_offset"] = OffsetText(zone);
    j["depth"] = depth;
    j["period_count"] = PeriodCount(depth);
    if (sun.precise) j["precise"] = true;
    return j;
}

// Gathers rows into blocks of about a megabyte for the sink.
class Blocks {
  public:
    explicit Blocks(const ExportSink& out) : out_(out) { buffer_.reserve(kBlock + kLineBytes); }
    // Room for one line; Commit says how much of it was used.
    char* Room() {
        buffer_.resize(used_ + kLineBytes);
        return buffer_.data() + used_;
    }
    bool Commit(const char* end) {
        used_ = static_cast<std::size_t>(end - buffer_.data());
        return used_ < kBlock || Flush();
    }
    bool Append(std::string_view text) {
        buffer_.resize(used_);
        buffer_ += text;
        used_ = buffer_.size();
        return used_ < kBlock || Flush();
    }
    bool Flush() {
        const bool ok = used_ == 0 || out_(std::string_view(buffer_.data(), used_));
        used_ = 0;
        return ok;
    }

  private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    const ExportSink& out_;
    std::string buffer_;
    std::size_t used_ = 0;
};

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

std::string UtcText(const Boundary& b, const ZoneSpec& zone, bool precise) {
    char text[kLineBytes];
    return std::string(text, Instants{zone, {}, precise}.Utc(text, b));
}

std::string LocalText(const Boundary& b, const ZoneSpec& zone, bool precise) {
    char text[kLineBytes];
    return std::string(text, Instants{zone, OffsetText(zone), precise}.Local(text, b));
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
    char text[64];
    return std::string(text, PutPosition(text, b));
}

std::string DegreesText(double longitude) {
    char text[64];
    return std::string(text, PutDegrees(text, longitude));
}

std::string PathText(const PeriodRow& row) {
    char text[64];
    return std::string(text, PutPath(text, row));
}

std::string SummaryText(const PeriodRow& row) {
    char text[kLineBytes];
    return std::string(text, PutSummary(text, row));
}

std::string CsvLine(const PeriodRow& row, const ZoneSpec& zone, double startUncertainty,
                    double endUncertainty, bool precise) {
    char text[kLineBytes];
    const Instants at{zone, OffsetText(zone), precise};
    Fields a, b;
    FillFields(a, *row.start, at, startUncertainty, false);
    FillFields(b, *row.end, at, endUncertainty, false);
    return std::string(text, PutCsvLine(text, row, a, b));
}

double InstantUncertainty(const SunContext& sun, const Boundary& b, double truncated) {
    if (!b.found) return NAN;
    return InstantErrors(sun).Seconds(b.ut) + truncated;
}

double NatalSunUncertainty(const SunContext& sun, const ChartData& chart) {
    const ChartMoment& m = chart.birth;
    int y = m.year, mo = m.month, d = m.day;
    double h = m.hour + m.minute / 60.0 + chart.birthZone.utOffset;
    if (!std::isfinite(h) || h < -24.0 || h >= 48.0 || !NormalizeDate(y, mo, d)) return NAN;
    CarryHours(y, mo, d, h);
    const CivilInstant ut{{y, mo, d}, h};
    return PositionErrorSeconds(sun, ut) + DeltaTTwoSigmaSeconds(FractionalYear(ut));
}

std::string UncertaintyShortText(double seconds) {
    if (!std::isfinite(seconds)) return {};
    char text[64];
    if (seconds < 1.0) {
        std::snprintf(text, sizeof text, "\u00b1 %.2f s", RoundedUp(seconds));
        return text;
    }
    const auto whole = static_cast<long long>(std::ceil(seconds - 1e-9));
    if (whole < 60) {
        std::snprintf(text, sizeof text, "\u00b1 %lld s", whole);
    } else if (whole % 60 == 0) {
        std::snprintf(text, sizeof text, "\u00b1 %lld min", whole / 60);
    } else {
        std::snprintf(text, sizeof text, "\u00b1 %lld min %lld s", whole / 60, whole % 60);
    }
    return text;
}

std::string UncertaintyFieldText(double seconds) {
    char text[64];
    return std::string(text, PutUncertainty(text, seconds));
}

bool ParseAlarmLead(std::string_view text, std::int64_t& seconds) {
    if (text.size() < 2) return false;
    std::int64_t unit = 0;
    switch (text.back()) {
        case 'w':
            unit = 7 * kDaySeconds;
            break;
        case 'd':
            unit = kDaySeconds;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'm':
            unit = 60;
            break;
        default:
            return false;
    }
    std::int64_t n = 0;
    const char* end = text.data() + text.size() - 1;
    const auto [stop, error] = std::from_chars(text.data(), end, n);
    // A year ahead is as far as a reminder of a period makes sense.
    if (error != std::errc() || stop != end || n < 1 || n > 366 * kDaySeconds / unit) {
        return false;
    }
    seconds = n * unit;
    return true;
}

std::string AlarmLeadText(std::int64_t seconds) {
    for (const auto& [unit, letter] : {std::pair{7 * kDaySeconds, 'w'}, std::pair{kDaySeconds, 'd'},
                                       std::pair{std::int64_t{3600}, 'h'}}) {
        if (seconds % unit == 0) return std::to_string(seconds / unit) + letter;
    }
    return std::to_string(seconds / 60) + 'm';
}

bool ParseAlarmTiers(std::string_view text, unsigned& tiers) {
    unsigned mask = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        const auto it = std::find(TierNames.begin(), TierNames.end(), name);
        if (it == TierNames.end()) return false;
        const unsigned bit = 1u << (it - TierNames.begin());
        if (mask & bit) return false;
        mask |= bit;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    tiers = mask;
    return true;
}

namespace {

// The calendar's text of one period with its reminder, or empty for one with an end outside the
// table, which has no place in a calendar.
std::string EventText(const PeriodRow& row, const ZoneSpec& zone, const std::string& uidBase,
                      const icaltimetype& stamp, double startUncertainty, double endUncertainty,
                      const PeriodAlarm& alarm) {
    if (!row.start->found || !row.end->found) return {};
    IcalComponent event(icalcomponent_new(ICAL_VEVENT_COMPONENT), &icalcomponent_free);
    const std::string uid = uidBase + "-" + PathText(row) + "@tarvella";
    const std::string summary = SummaryText(row);
    const std::string description =
        "Start: " + PositionText(*row.start) + " (" + DegreesText(row.start->longitude) +
        " deg)\nEnd: " + PositionText(*row.end) + " (" + DegreesText(row.end->longitude) +
        " deg)\nStart within " + UncertaintyFieldText(startUncertainty) + " s, end within " +
        UncertaintyFieldText(endUncertainty) +
        " s of the exact instants: the search's bound, two standard errors of Delta T and the "
        "truncated second; the natal Sun's own error moves both alike.";
    icalcomponent_add_property(event.get(), icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event.get(), icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(event.get(),
                               icalproperty_new_dtstart(IcalUtc(UtcSeconds(*row.start, zone))));
    icalcomponent_add_property(event.get(),
                               icalproperty_new_dtend(IcalUtc(UtcSeconds(*row.end, zone))));
    icalcomponent_add_property(event.get(), icalproperty_new_summary(summary.c_str()));
    icalcomponent_add_property(event.get(), icalproperty_new_description(description.c_str()));
    if (alarm.leadSeconds > 0 && (alarm.tiers == 0 || (alarm.tiers >> (row.tier - 1) & 1u))) {
        icalcomponent* valarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger;
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_from_int(static_cast<int>(-alarm.leadSeconds));
        icalcomponent_add_property(valarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_property(valarm, icalproperty_new_description(summary.c_str()));
        icalcomponent_add_component(event.get(), valarm);
    }
    return IcalText(event.get());
}

}  // namespace

ExportResult WritePeriods(SunContext& sun, const ChartData& original,
                          const Preferences& preferences, int depth, ExportFormat format,
                          const ExportSink& out, const ExportProgress& progress,
                          const PeriodAlarm& alarm) {
    const ChartData chart = WithinTables(original);
    depth = std::clamp(depth, 1, kTreeTiers);
    const ZoneSpec& zone = chart.eventZone;
    const Instants at{zone, OffsetText(zone), sun.precise};
    std::string uidBase = ChartHash(chart, preferences);
    Json meta;
    std::string head, tail;
    if (format == ExportFormat::Csv) {
        head = kCsvHeader;
    } else if (format == ExportFormat::Json) {
        meta = MetadataJson(sun, chart, preferences, depth);
        head = meta.dump();
        head.pop_back();  // the periods follow, then the file's largest uncertainty
        head += ",\"periods\":[";
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
    Blocks blocks(out);
    if (!blocks.Append(head)) return ExportResult::WriteFailed;

    const icaltimetype stamp = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    FieldCache fields(sun, at, sun.precise ? 0.01 : 1.0, format == ExportFormat::Json);
    double largest = 0.0;
    bool first = true;
    bool writeFailed = false;
    std::int64_t rows = 0;
    const bool finished = VisitPeriods(sun, chart, depth, [&](const PeriodRow& row) {
        const Fields& a = fields(*row.start);
        const Fields& b = fields(*row.end);
        bool ok = true;
        if (format == ExportFormat::Csv) {
            ok = blocks.Commit(PutCsvLine(blocks.Room(), row, a, b));
        } else if (format == ExportFormat::Json) {
            char* p = blocks.Room();
            p = PutText(p, first ? "\n" : ",\n");
            ok = blocks.Commit(PutJsonRow(p, row, a, b));
            for (const double u : {a.uncertainty, b.uncertainty}) {
                if (std::isfinite(u)) largest = std::max(largest, RoundedUp(u));
            }
        } else {
            const std::string text =
                EventText(row, zone, uidBase, stamp, a.uncertainty, b.uncertainty, alarm);
            ok = text.empty() || blocks.Append(text);
        }
        first = false;
        if (!ok) {
            writeFailed = true;
            return false;
        }
        ++rows;
        return !(progress && rows % kProgressRows == 0 && !progress(rows));
    });
    if (writeFailed) return ExportResult::WriteFailed;
    if (!finished) return ExportResult::Cancelled;
    if (progress && !progress(rows)) return ExportResult::Cancelled;
    if (format == ExportFormat::Json) {
        Json end;
        end["uncertainty_seconds"] = largest;
        end["uncertainty"] = UncertaintySentence();
        tail = end.dump();
        tail[0] = ',';
        tail = "\n]" + tail + "\n";
    }
    return blocks.Append(tail) && blocks.Flush() ? ExportResult::Written
                                                 : ExportResult::WriteFailed;
}

}  // namespace tarvella
