// The period tree written out for calendars, spreadsheets and other programs: CSV (RFC 4180),
// JSON and iCalendar (RFC 5545), streamed a row at a time.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/chart_moment.h"
#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "engine/division.h"
#include "engine/period_tree.h"

namespace tarvella {

enum class ExportFormat { Csv, Json, Ics };
bool ParseExportFormat(std::string_view name, ExportFormat& format);
const char* ExportExtension(ExportFormat format);  // "csv", "json", "ics"

// How far a found boundary's instant may lie from the sky's, in seconds: the search's bound at
// it, two standard errors of Delta T at its date and, where `truncated` is the resolution that
// the instant is written to (1 s, or 0.01 s in the precise mode), what truncation loses. NaN for
// a boundary outside the table. The natal Sun's own error is apart: NatalSunUncertainty.
double InstantUncertainty(const SunContext& sun, const Boundary& b, double truncated = 0.0);
// The natal Sun's error as seconds of the Sun's motion, with Delta T's at the birth.
double NatalSunUncertainty(const SunContext& sun, const ChartData& chart);
// "± 4 s", "± 1 min 30 s", "± 0.05 s": rounded up. Empty for NaN.
std::string UncertaintyShortText(double seconds);
// "4.27": rounded up to the hundredth, as the exports write it; empty for NaN.
std::string UncertaintyFieldText(double seconds);

inline constexpr const char* kCsvHeader =
    "tier,path,start_utc,end_utc,start_local,end_local,start_longitude,end_longitude,"
    "start_degrees,end_degrees,start_uncertainty_s,end_uncertainty_s\r\n";

// One instant as ISO 8601 to the second, truncated: "1999-08-22T15:48:12Z", and in the event's
// zone with its offset "1999-08-22T11:48:12-04:00". The local second always rounds to the
// report's minute. A boundary outside the table gives kOutsideTableText.
// Precise: to the hundredth, "1999-08-22T15:48:12.37Z", the local hundredth still within the
// report's minute.
std::string UtcText(const Boundary& b, const ZoneSpec& zone, bool precise = false);
std::string LocalText(const Boundary& b, const ZoneSpec& zone, bool precise = false);
inline constexpr const char* kOutsideTableText = "outside 1800-2099";
// "+05:30", "-04:00" for a zone's utOffset (positive west).
std::string OffsetText(const ZoneSpec& zone);
// "Le 05 14 47": the report's position, and "125.246389": the longitude reduced below 360.
std::string PositionText(const Boundary& b);
std::string DegreesText(double longitude);
// "5.6.10": 1-based indices down to the row's tier; "5th AD / 6th PD / 10th SD".
std::string PathText(const PeriodRow& row);
std::string SummaryText(const PeriodRow& row);

// "271,452"; and the depth as the export dialog offers it, with its key:
// "&Deha-antardasas (271,452 rows)".
std::string GroupedCount(std::int64_t count);
std::string DepthChoiceText(int depth);

// One CSV line of a row, CR LF ended, with the uncertainty of each end.
std::string CsvLine(const PeriodRow& row, const ZoneSpec& zone, double startUncertainty = NAN,
                    double endUncertainty = NAN, bool precise = false);

// A reminder before each period of the chosen tiers starts, in the calendar.
struct PeriodAlarm {
    std::int64_t leadSeconds = 0;  // 0: none
    unsigned tiers = 0;            // bit t - 1 for tier t; 0: every tier
};
// "1d", "2h", "30m", "1w": a positive whole number and its unit.
bool ParseAlarmLead(std::string_view text, std::int64_t& seconds);
// The lead in its largest whole unit, as ParseAlarmLead reads it back: 86400 gives "1d".
std::string AlarmLeadText(std::int64_t seconds);
// "AD,PD": names of TierNames, at least one, each once.
bool ParseAlarmTiers(std::string_view text, unsigned& tiers);

// Where the bytes go: false when they could not be written.
using ExportSink = std::function<bool(std::string_view bytes)>;
// Rows written so far, every few thousand rows; false cancels.
using ExportProgress = std::function<bool(std::int64_t rows)>;

enum class ExportResult { Written, WriteFailed, Cancelled };

// The tree of the chart (its natal Sun computed) down to `depth` in `format`. The ayanamsa in
// `sun` must be the one of `preferences`.
// Bytes go to `out` in blocks of about a megabyte. The search's mode is `sun.precise`.
ExportResult WritePeriods(SunContext& sun, const ChartData& chart, const Preferences& preferences,
                          int depth, ExportFormat format, const ExportSink& out,
                          const ExportProgress& progress = {}, const PeriodAlarm& alarm = {});

}  // namespace tarvella
