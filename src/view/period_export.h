// The period tree written out for calendars, spreadsheets and other programs: CSV (RFC 4180),
// JSON and iCalendar (RFC 5545), streamed a row at a time.
#pragma once

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

// The largest error of an instant that the accuracy bench measures (4.14 s over random searches
// and over the whole tree of a 12-year MD), rounded up. Written into the exported metadata.
inline constexpr double kMeasuredUncertaintySeconds = 4.2;

inline constexpr const char* kCsvHeader =
    "tier,path,start_utc,end_utc,start_local,end_local,start_longitude,end_longitude,"
    "start_degrees,end_degrees\r\n";

// One instant as ISO 8601 to the second, truncated: "1999-08-22T15:48:12Z", and in the event's
// zone with its offset "1999-08-22T11:48:12-04:00". The local second always rounds to the
// report's minute. A boundary outside the table gives kOutsideTableText.
std::string UtcText(const Boundary& b, const ZoneSpec& zone);
std::string LocalText(const Boundary& b, const ZoneSpec& zone);
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

// One CSV line of a row, CR LF ended.
std::string CsvLine(const PeriodRow& row, const ZoneSpec& zone);

// Where the bytes go: false when they could not be written.
using ExportSink = std::function<bool(std::string_view bytes)>;
// Rows written so far, every few thousand rows; false cancels.
using ExportProgress = std::function<bool(std::int64_t rows)>;

enum class ExportResult { Written, WriteFailed, Cancelled };

// The tree of the chart (its natal Sun computed) down to `depth` in `format`. The ayanamsa in
// `sun` must be the one of `preferences`.
ExportResult WritePeriods(SunContext& sun, const ChartData& chart, const Preferences& preferences,
                          int depth, ExportFormat format, const ExportSink& out,
                          const ExportProgress& progress = {});

}  // namespace tarvella
