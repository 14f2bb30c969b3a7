// The period export with every argument from the input, as the command line's `periods` passes
// them: depth, format name, ayanamsa (a choice or a preference text), birth and event zones by
// name, and a chart text; a depth of at most 2 keeps a run short. The sink may fail and the
// progress may cancel part way. What is written whole must be whole: every row, valid JSON, a
// closed calendar.
#include <nlohmann/json.hpp>

#include <cstdlib>

#include "document/chart_files.h"
#include "document/field_exchange.h"
#include "fuzz_support.h"
#include "view/period_export.h"
#include "zone/zone.h"

using namespace tarvella;

namespace {

bool ZoneByName(const std::string& name, const ChartMoment& moment, ZoneSpec& zone) {
    static const zone::ZoneDatabase db;
    const zone::LocalTime local{moment.year, moment.month, moment.day, moment.hour, moment.minute};
    const zone::Lookup found = zone::LookupOffset(db, name, local);
    if (found.kind != zone::Lookup::Kind::Unique) return false;
    zone = ZoneThroughFields(found.zone);
    return true;
}

std::size_t Count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const auto flags = in.Take<std::uint8_t>();
    int depth = in.Take<std::int8_t>();
    // Depth 2 is 13 times the work of depth 1: only the byte 2 asks for it.
    if (depth > 2) depth = 1;
    const int choice = in.Take<std::int8_t>();
    const auto stopAfter = in.Take<std::uint16_t>();
    ExportFormat format = ExportFormat::Csv;
    if (!ParseExportFormat(in.Text(), format)) return 0;
    const std::string birthZone = in.Text();
    const std::string eventZone = in.Text();
    const std::string prefText = in.Text();

    Preferences preferences;
    if (flags & 1) {
        const std::optional<Preferences> read = ParsePreferencesText(prefText);
        if (!read) return 0;
        preferences = *read;
    } else {
        AyanamsaForm form;
        ApplyAyanamsaChoice(form, choice);
        PreferencesFromAyanamsaForm(form, preferences);
    }
    ChartData chart = ParseLastDataText(in.Rest()).value_or(DefaultChart());
    if (!birthZone.empty() && !ZoneByName(birthZone, chart.birth, chart.birthZone)) return 0;
    if (!eventZone.empty() && !ZoneByName(eventZone, chart.event, chart.eventZone)) return 0;

    const SunEphemeris& table = fuzz::Table();
    Ayanamsa ayanamsa;
    ayanamsa.deviation = preferences.ayanamsaDeviation;
    SunContext sun{table, ayanamsa};
    if (!ComputeSunPosition(sun, chart.birth, chart.birthZone)) return 0;
    ComputeSunPosition(sun, chart.event, chart.eventZone);

    // Bit 1: the sink fails at byte stopAfter; bit 2: the progress cancels at its first call.
    const bool failing = flags & 2;
    const bool cancelling = flags & 4;
    std::string text;
    bool failed = false;
    const ExportSink out = [&](std::string_view bytes) {
        if (failing && text.size() + bytes.size() > stopAfter) return !(failed = true);
        text.append(bytes);
        return true;
    };
    bool asked = false;
    const ExportProgress progress = [&](std::int64_t) { return !(asked = true); };
    const ExportResult result = WritePeriods(sun, chart, preferences, depth, format, out,
                                             cancelling ? progress : ExportProgress{});
    if (failed != (result == ExportResult::WriteFailed)) std::abort();
    if (asked != (result == ExportResult::Cancelled)) std::abort();
    if (result != ExportResult::Written) return 0;

    const std::size_t rows = static_cast<std::size_t>(PeriodCount(std::clamp(depth, 1, 2)));
    if (format == ExportFormat::Csv) {
        if (!text.starts_with(kCsvHeader) || Count(text, "\r\n") != rows + 1) std::abort();
    } else if (format == ExportFormat::Json) {
        // Validated without building the document, which would cost more than the export; each
        // period begins a line.
        if (!nlohmann::json::accept(text) || Count(text, "\n{") != rows) std::abort();
    } else {
        if (!text.starts_with("BEGIN:VCALENDAR\r\n") || !text.ends_with("END:VCALENDAR\r\n") ||
            Count(text, "BEGIN:VEVENT\r\n") > rows ||
            Count(text, "BEGIN:VEVENT\r\n") != Count(text, "END:VEVENT\r\n")) {
            std::abort();
        }
    }
    return 0;
}
