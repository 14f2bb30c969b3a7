// tarvella-cli: Tarvella's reports on standard output.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "document/chart_files.h"
#include "document/field_exchange.h"
#include "engine/report_model.h"
#include "view/report_text.h"

namespace {

using namespace tarvella;

const char* const kSigns[12] = {"Aries",       "Taurus",    "Gemini",   "Cancer",
                                "Leo",         "Virgo",     "Libra",    "Scorpio",
                                "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

constexpr const char* kUsage =
    "usage: tarvella-cli sun | report [CHART.vkt] [--level N] [--ayanamsa N | --pref FILE]";

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "tarvella-cli: %s\n", message.c_str());
    return code;
}

void PrintSun(const char* what, const ChartMoment& m) {
    std::printf("%s Sun: %s %d deg %d' %.1f\"\n", what, kSigns[m.sunSign], m.sunDegree, m.sunMinute,
                m.sunSecond);
}

bool ParseInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// The preferences that choice 0..6 of the ayanamsa dialog stores when confirmed.
Preferences PresetPreferences(int choice) {
    AyanamsaForm form;
    ApplyAyanamsaChoice(form, choice);
    Preferences preferences;
    PreferencesFromAyanamsaForm(form, preferences);
    return preferences;
}

struct ReportOptions {
    std::string chartPath;  // empty: the default chart
    int level = 0;          // 0: the chart's own
    int ayanamsa = 0;
    bool ayanamsaGiven = false;
    std::string prefPath;
};

// An empty result means the arguments were understood.
std::string ParseReportArgs(int argc, char** argv, ReportOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--level" || arg == "--ayanamsa" || arg == "--pref") {
            if (!hasValue) return std::string(arg) + " needs a value";
            const std::string_view value = argv[++i];
            if (arg == "--pref") {
                o.prefPath = value;
            } else if (arg == "--level") {
                if (!ParseInt(value, o.level) || o.level < 1 || o.level > kEventLevel) {
                    return "--level must be 1..6";
                }
            } else {
                if (!ParseInt(value, o.ayanamsa) || o.ayanamsa < 0 ||
                    o.ayanamsa > kTropicalChoice) {
                    return "--ayanamsa must be 0..6";
                }
                o.ayanamsaGiven = true;
            }
        } else if (arg.starts_with("-") || !o.chartPath.empty()) {
            return "unexpected argument " + std::string(arg);
        } else {
            o.chartPath = arg;
        }
    }
    if (o.ayanamsaGiven && !o.prefPath.empty()) return "give either --ayanamsa or --pref";
    return {};
}

std::optional<std::string> FileBytes(const std::string& path) {
    // A directory would make the stream throw; a pipe would make the run hang.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.is_open() || in.bad()) return std::nullopt;
    return bytes;
}

// As the program opens a document: its first kMaxChartImage bytes, read as a last-data text.
bool ReadChartFile(const std::string& path, ChartData& chart) {
    const std::optional<std::string> bytes = FileBytes(path);
    if (!bytes) return false;
    const std::optional<ChartData> read =
        ParseLastDataText(std::string_view(*bytes).substr(0, kMaxChartImage));
    if (read) chart = *read;
    return read.has_value();
}

bool ReadPreferenceFile(const std::string& path, Preferences& preferences) {
    const std::optional<std::string> bytes = FileBytes(path);
    const std::optional<Preferences> read = bytes ? ParsePreferencesText(*bytes) : std::nullopt;
    if (read) preferences = *read;
    return read.has_value();
}

int RunSun(SunContext& sun) {
    ChartData chart = DefaultChart();
    if (!ComputeSunPosition(sun, chart.birth, chart.birthZone) ||
        !ComputeSunPosition(sun, chart.event, chart.eventZone)) {
        return Fail(1, "the chart lies outside the Sun table");
    }
    PrintSun("Birth", chart.birth);
    PrintSun("Event", chart.event);
    return 0;
}

int RunReport(SunContext& sun, const ReportOptions& o) {
    ChartData chart = DefaultChart();
    if (!o.chartPath.empty() && !ReadChartFile(o.chartPath, chart)) {
        return Fail(1, "cannot read a chart from " + o.chartPath);
    }
    Preferences preferences = PresetPreferences(o.ayanamsaGiven ? o.ayanamsa : 0);
    if (!o.prefPath.empty() && !ReadPreferenceFile(o.prefPath, preferences)) {
        return Fail(1, "cannot read preferences from " + o.prefPath);
    }
    sun.ayanamsa.deviation = preferences.ayanamsaDeviation;
    if (o.level != 0) chart.level = o.level;

    if (!ComputeSunPosition(sun, chart.birth, chart.birthZone)) {
        return Fail(1, "the birth moment lies outside the Sun table");
    }
    // An event outside the table is not an error here: the event report says it finds no AD.
    ComputeSunPosition(sun, chart.event, chart.eventZone);

    const std::string text = ReportText(BuildReport(sun, chart));
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        return Fail(1, "cannot write the report");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    ReportOptions options;
    if (command == "report") {
        if (const std::string error = ParseReportArgs(argc, argv, options); !error.empty()) {
            return Fail(2, error);
        }
    } else if (command != "sun" || argc > 2) {
        return Fail(2, kUsage);
    }

    std::error_code ec;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    SunEphemeris table;
    if (table.Open(SunFilePathFor(exe)) != SunFileStatus::Ok) {
        return Fail(1, "cannot read the Sun table " + SunFilePathFor(exe));
    }
    Ayanamsa ayanamsa;
    SunContext sun{table, ayanamsa};
    return command == "sun" ? RunSun(sun) : RunReport(sun, options);
}
