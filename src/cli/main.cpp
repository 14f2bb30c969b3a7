// tarvella-cli: Tarvella's reports on standard output.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/platform.h"
#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "document/chart_files.h"
#include "document/field_exchange.h"
#include "engine/report_model.h"
#include "view/period_export.h"
#include "view/report_text.h"
#include "zone/zone.h"

namespace {

using namespace tarvella;

const char* const kSigns[12] = {"Aries",       "Taurus",    "Gemini",   "Cancer",
                                "Leo",         "Virgo",     "Libra",    "Scorpio",
                                "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

constexpr const char* kUsage =
    "usage: tarvella-cli sun | report [CHART.vkt] [--level N] [--ayanamsa N | --pref FILE] "
    "[--birth-zone NAME] [--event-zone NAME] | periods [CHART.vkt] [--depth D] "
    "[--format csv|json|ics] [--ayanamsa N | --pref FILE] [--birth-zone NAME] "
    "[--event-zone NAME] | zones [TEXT]";

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "tarvella-cli: %s\n", message.c_str());
    return code;
}

// Every output ends here: a write that failed on the way (a full disk, a closed stdout) is an
// error, not the success it would look like.
int Written(const char* what) {
    const bool failed = std::ferror(stdout) != 0;
    if (std::fflush(stdout) != 0 || failed) return Fail(1, std::string("cannot write ") + what);
    return 0;
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
    std::string birthZone;  // empty: the chart's own offset
    std::string eventZone;
    bool periods = false;  // the periods command: --depth and --format instead of --level
    int depth = 5;
    ExportFormat format = ExportFormat::Csv;
};

// An empty result means the arguments were understood.
std::string ParseReportArgs(int argc, char** argv, ReportOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const bool own = o.periods ? arg == "--depth" || arg == "--format" : arg == "--level";
        if (own || arg == "--ayanamsa" || arg == "--pref" || arg == "--birth-zone" ||
            arg == "--event-zone") {
            if (!hasValue) return std::string(arg) + " needs a value";
            const std::string_view value = argv[++i];
            // Empty is not a zone or a file, and must not pass for a value left out.
            if (value.empty()) return std::string(arg) + " needs a value";
            if (arg == "--pref") {
                o.prefPath = value;
            } else if (arg == "--birth-zone") {
                o.birthZone = value;
            } else if (arg == "--event-zone") {
                o.eventZone = value;
            } else if (arg == "--depth") {
                if (!ParseInt(value, o.depth) || o.depth < 1 || o.depth > kTreeTiers) {
                    return "--depth must be 1..5";
                }
            } else if (arg == "--format") {
                if (!ParseExportFormat(value, o.format)) return "--format must be csv, json or ics";
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
        } else if (arg.empty()) {
            return "the chart's file name is empty";
        } else {
            o.chartPath = arg;
        }
    }
    if (o.ayanamsaGiven && !o.prefPath.empty()) return "give either --ayanamsa or --pref";
    return {};
}

// As the program opens a document: only its first kMaxChartImage bytes, which must be a chart.
// An empty result means the chart was read.
std::string ReadChart(const std::string& path, ChartData& chart) {
    const ChartFile file = ReadChartFile(path);
    if (file.status == ChartFile::Status::Unreadable) {
        return "cannot read a chart from " + path + ": " + file.problem;
    }
    if (file.status == ChartFile::Status::NotAChart)
        return path + " is not a chart: " + file.problem;
    chart = file.chart;
    return {};
}

std::string ReadPreferences(const std::string& path, Preferences& preferences) {
    const std::optional<std::string> bytes = ReadFilePrefix(path, kMaxPreferenceText);
    if (!bytes) return "cannot read preferences from " + path + ": " + UnreadableReason(path);
    std::string problem;
    const std::optional<Preferences> read = ParsePreferencesText(*bytes, &problem);
    if (!read) return path + " is not a preference file: " + problem;
    preferences = *read;
    return {};
}

// The zone named, in force at the moment's local date and time, as "Enter Data" fills it when
// the zone is picked there. An empty result means it was found.
std::string ZoneByName(const std::string& name, const ChartMoment& moment, ZoneSpec& zone) {
    const zone::LocalTime local{moment.year, moment.month, moment.day, moment.hour, moment.minute};
    const zone::Lookup found = zone::LookupOffset(zone::ZoneDatabase{}, name, local);
    if (found.kind != zone::Lookup::Kind::Unique) return zone::DescribeProblem(name, local, found);
    zone = ZoneThroughFields(found.zone);
    return {};
}

int RunZones(int argc, char** argv) {
    const std::vector<zone::ZoneEntry> all = zone::ListZones(zone::ZoneDatabase{});
    if (all.empty()) return Fail(1, "cannot read the list of time zones");
    const std::vector<zone::ZoneEntry> zones = argc > 2 ? zone::FindZones(all, argv[2]) : all;
    for (const zone::ZoneEntry& z : zones) {
        std::printf("%s\t%s\t%s\n", z.name.c_str(), z.countryCodes.c_str(), z.place.c_str());
    }
    return Written("the list");
}

int RunSun(SunContext& sun) {
    ChartData chart = DefaultChart();
    if (!ComputeSunPosition(sun, chart.birth, chart.birthZone) ||
        !ComputeSunPosition(sun, chart.event, chart.eventZone)) {
        return Fail(1, "the chart lies outside the Sun table");
    }
    PrintSun("Birth", chart.birth);
    PrintSun("Event", chart.event);
    return Written("the Sun");
}

// The chart, preferences and zones of the options, with both Sun positions computed, as the
// report and the periods take them. An empty result means they are ready.
std::string PrepareChart(SunContext& sun, const ReportOptions& o, ChartData& chart,
                         Preferences& preferences) {
    chart = DefaultChart();
    if (!o.chartPath.empty()) {
        if (std::string error = ReadChart(o.chartPath, chart); !error.empty()) return error;
    }
    preferences = PresetPreferences(o.ayanamsaGiven ? o.ayanamsa : 0);
    if (!o.prefPath.empty()) {
        if (std::string error = ReadPreferences(o.prefPath, preferences); !error.empty()) {
            return error;
        }
    }
    sun.ayanamsa.deviation = preferences.ayanamsaDeviation;
    if (o.level != 0) chart.level = o.level;
    for (auto [name, moment, zone] : {std::tuple{&o.birthZone, &chart.birth, &chart.birthZone},
                                      std::tuple{&o.eventZone, &chart.event, &chart.eventZone}}) {
        if (name->empty()) continue;
        if (std::string error = ZoneByName(*name, *moment, *zone); !error.empty()) return error;
    }

    if (!ComputeSunPosition(sun, chart.birth, chart.birthZone)) {
        return "the birth moment lies outside the Sun table";
    }
    // An event outside the table is not an error here: the event report says it finds no AD.
    ComputeSunPosition(sun, chart.event, chart.eventZone);
    return {};
}

int RunReport(SunContext& sun, const ReportOptions& o) {
    ChartData chart;
    Preferences preferences;
    if (const std::string error = PrepareChart(sun, o, chart, preferences); !error.empty()) {
        return Fail(1, error);
    }
    const std::string text = ReportText(BuildReport(sun, chart));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return Written("the report");
}

int RunPeriods(SunContext& sun, const ReportOptions& o) {
    ChartData chart;
    Preferences preferences;
    if (const std::string error = PrepareChart(sun, o, chart, preferences); !error.empty()) {
        return Fail(1, error);
    }
    // Whole rows go out as they are made; stdout's own buffer gathers them into large writes.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    const ExportResult result =
        WritePeriods(sun, chart, preferences, o.depth, o.format, [](std::string_view bytes) {
            return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        });
    if (result != ExportResult::Written) return Fail(1, "cannot write the periods");
    return Written("the periods");
}

}  // namespace

int main(int argc, char** argv) {
    // Every line is as on Linux.
    UseBinaryStandardStreams();
    const std::string_view command = argc > 1 ? argv[1] : "";
    // Asked for, the usage is an answer, not an error.
    if ((command == "--help" || command == "-h") && argc == 2) {
        std::printf("%s\n", kUsage);
        return Written("the usage");
    }
    if (command == "--version" && argc == 2) {
        std::printf("tarvella-cli %s\n", TARVELLA_VERSION);
        return Written("the version");
    }
    if (command == "zones" && argc <= 3) return RunZones(argc, argv);
    ReportOptions options;
    options.periods = command == "periods";
    if (command == "report" || command == "periods") {
        if (const std::string error = ParseReportArgs(argc, argv, options); !error.empty()) {
            return Fail(2, error);
        }
    } else if (command != "sun" || argc > 2) {
        return Fail(2, kUsage);
    }

    const std::string exe = ExecutablePath();
    SunEphemeris table;
    if (table.Open(SunFilePathFor(exe)) != SunFileStatus::Ok) {
        return Fail(1, "cannot read the Sun table " + SunFilePathFor(exe));
    }
    Ayanamsa ayanamsa;
    SunContext sun{table, ayanamsa};
    if (command == "sun") return RunSun(sun);
    return options.periods ? RunPeriods(sun, options) : RunReport(sun, options);
}
