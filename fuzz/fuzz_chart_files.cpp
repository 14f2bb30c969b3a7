// The last-data and preference readers, fed any bytes: what they accept is in range and writes
// back to a text that reads the same.
#include <cmath>

#include "document/chart_files.h"
#include "fuzz_support.h"

using namespace tarvella;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<ChartData> chart = ParseLastDataText(text)) {
        const ChartData& c = *chart;
        if (c.level < 1 || c.level > 6 || c.birth.month < 1 || c.birth.month > 12 ||
            c.event.day < 1 || c.event.day > 31 || c.dasaYears < 1 || c.dasaYears > 12 ||
            c.adIndex < 0 || c.adIndex > 11 || c.padIndex < 0 || c.padIndex > 11 ||
            !(c.birth.minute >= 0.0 && c.birth.minute <= 60.0) ||
            !(c.eventZone.utOffset >= -13.0 && c.eventZone.utOffset <= 13.0)) {
            std::abort();
        }
        const std::string written = LastDataText(c);
        if (LastDataText(*ParseLastDataText(written)) != written) std::abort();
    }
    if (const std::optional<Preferences> p = ParsePreferencesText(text)) {
        if (p->ayanamsaChoice < 0 || p->ayanamsaChoice > 7 || std::isnan(p->ayanamsaDeviation)) {
            std::abort();
        }
        const std::string written = PreferencesText(*p);
        if (PreferencesText(*ParsePreferencesText(written)) != written) std::abort();
    }
    return 0;
}
