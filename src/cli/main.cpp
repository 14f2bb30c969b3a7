// tarvella-cli: Tarvella's reports on standard output.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/platform.h"
#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "document/chart_files.h"
#include "document/field_exchange.h"
#include "engine/report_model.h"
#include "places/places.h"
#include "view/period_export.h"
#include "view/report_text.h"
#include "view/svg_canvas.h"
#include "view/timeline.h"
#include "zone/zone.h"

namespace {

using namespace tarvella;

const char* const kSigns[12] = {"Aries",       "Taurus",    "Gemini",   "Cancer",
                                "Leo",         "Virgo",     "Libra",    "Scorpio",
                                "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

constexpr const char* kUsage =
    "usage: tarvella-cli sun | report [CHART.vkt] [--level N] [--ayanamsa N | --pref FILE] "
    "[--birth-zone NAME | --birth-place TEXT] [--event-zone NAME | --event-place TEXT] "
    "[--precise] | periods [CHART.vkt] [--depth D] [--format csv|json|ics] "
    "[--ayanamsa N | --pref FILE] [--birth-zone NAME | --birth-place TEXT] "
    "[--event-zone NAME | --event-place TEXT] [--precise] "
    "[--alarm 1d|2h|30m|1w [--alarm-tiers AD,PD]] | timeline [CHART.vkt] [--from ISO] "
    "[--to ISO] [--width PIXELS] [--at ISO] [--ayanamsa N | --pref FILE] "
    "[--birth-zone NAME | --birth-place TEXT] [--event-zone NAME | --event-place TEXT] "
    "[--precise] | now [CHART.vkt] [--at ISO] [--format csv|json] [--ayanamsa N | --pref FILE] "
    "[--birth-zone NAME | --birth-place TEXT] [--event-zone NAME | --event-place TEXT] "
    "[--precise] | zones [TEXT] | places TEXT";

// Narrower leaves no room for the tier names and a tick; wider is no drawing anyone reads.
constexpr int kMinTimelineWidth = 200;
constexpr int kMaxTimelineWidth = 20000;

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
    std::string birthPlace;  // empty: no place
    std::string eventPlace;
    enum class Command { Report, Periods, Timeline, Now } command = Command::Report;
    int depth = 5;
    ExportFormat format = ExportFormat::Csv;
    bool formatGiven = false;
    // The timeline's range and width, and the instant of the present; not given: the whole MD
    // and the clock.
    std::optional<double> from, to, at;
    int width = 1200;
    bool precise = false;  // cubics and the correction of the instant
    PeriodAlarm alarm;
    bool tiersGiven = false;
};

// An empty result means the arguments were understood.
std::string ParseReportArgs(int argc, char** argv, ReportOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--precise") {
            o.precise = true;
            continue;
        }
        using Command = ReportOptions::Command;
        bool own = false;
        switch (o.command) {
            case Command::Report:
                own = arg == "--level";
                break;
            case Command::Periods:
                own = arg == "--depth" || arg == "--format" || arg == "--alarm" ||
                      arg == "--alarm-tiers";
                break;
            case Command::Timeline:
                own = arg == "--from" || arg == "--to" || arg == "--width" || arg == "--at";
                break;
            case Command::Now:
                own = arg == "--at" || arg == "--format";
                break;
        }
        if (own || arg == "--ayanamsa" || arg == "--pref" || arg == "--birth-zone" ||
            arg == "--event-zone" || arg == "--birth-place" || arg == "--event-place") {
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
            } else if (arg == "--birth-place") {
                o.birthPlace = value;
            } else if (arg == "--event-place") {
                o.eventPlace = value;
            } else if (arg == "--depth") {
                if (!ParseInt(value, o.depth) || o.depth < 1 || o.depth > kTreeTiers) {
                    return "--depth must be 1..5";
                }
            } else if (arg == "--alarm") {
                if (!ParseAlarmLead(value, o.alarm.leadSeconds)) {
                    return "--alarm must be a number of minutes, hours, days or weeks: 30m, 2h, "
                           "1d, 1w";
                }
            } else if (arg == "--alarm-tiers") {
                if (!ParseAlarmTiers(value, o.alarm.tiers)) {
                    return "--alarm-tiers must name tiers of AD, PD, SD, PAD, DAD, each once";
                }
                o.tiersGiven = true;
            } else if (arg == "--format" && o.command == Command::Now) {
                if (!ParseExportFormat(value, o.format) || o.format == ExportFormat::Ics) {
                    return "--format must be csv or json";
                }
                o.formatGiven = true;
            } else if (arg == "--format") {
                if (!ParseExportFormat(value, o.format)) return "--format must be csv, json or ics";
            } else if (arg == "--from" || arg == "--to" || arg == "--at") {
                double seconds = 0.0;
                if (!ParseIsoInstant(value, seconds)) {
                    return std::string(arg) +
                           " must be an ISO 8601 instant: 2026-12-10T14:20:00Z, "
                           "2026-12-10T19:50+05:30 or 2026-12-10";
                }
                (arg == "--from" ? o.from : arg == "--to" ? o.to : o.at) = seconds;
            } else if (arg == "--width") {
                if (!ParseInt(value, o.width) || o.width < kMinTimelineWidth ||
                    o.width > kMaxTimelineWidth) {
                    return "--width must be " + std::to_string(kMinTimelineWidth) + ".." +
                           std::to_string(kMaxTimelineWidth) + " pixels";
                }
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
    if (!o.birthZone.empty() && !o.birthPlace.empty()) {
        return "give either --birth-zone or --birth-place";
    }
    if (!o.eventZone.empty() && !o.eventPlace.empty()) {
        return "give either --event-zone or --event-place";
    }
    if ((o.alarm.leadSeconds > 0 || o.tiersGiven) && o.format != ExportFormat::Ics) {
        return "--alarm and --alarm-tiers need --format ics";
    }
    if (o.tiersGiven && o.alarm.leadSeconds == 0) return "--alarm-tiers needs --alarm";
    if (o.from && o.to && !(*o.from < *o.to)) return "--from must lie before --to";
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

// The places file beside the program; an empty result means it was read.
std::string OpenPlaces(places::Atlas& atlas) {
    const std::string path = places::PlacesFilePathFor(ExecutablePath());
    return places::DescribeStatus(atlas.Open(path), path, atlas);
}

// The one place the text names, in force at the moment's local date and time, as a zone by name.
// An empty result means it was found; an ambiguous text lists its candidates, one a line.
std::string ZoneByPlace(const places::Atlas& atlas, const std::string& text,
                        const ChartMoment& moment, ZoneSpec& zone) {
    const places::Resolution r = places::ResolvePlace(atlas, text);
    if (r.candidates.empty()) return "There is no place \"" + text + "\".";
    if (!r.found) {
        std::string message = "\"" + text +
                              "\" names several places; give the state, the country or the "
                              "latitude and longitude after commas:";
        for (std::uint32_t i : r.candidates) {
            message += "\n  " + places::CandidateText(atlas.place(i));
        }
        return message;
    }
    const places::Place place = atlas.place(r.chosen);
    const zone::LocalTime local{moment.year, moment.month, moment.day, moment.hour, moment.minute};
    const places::PlaceLookup found = places::LookupPlaceOffset(zone::ZoneDatabase{}, place, local);
    if (found.lookup.kind != zone::Lookup::Kind::Unique) {
        return places::DescribePlaceProblem(place, local, found);
    }
    zone = ZoneThroughFields(found.lookup.zone);
    return {};
}

int RunPlaces(const char* text) {
    places::Atlas atlas;
    if (const std::string error = OpenPlaces(atlas); !error.empty()) return Fail(1, error);
    for (const places::Match& m : atlas.Search(text, atlas.size())) {
        const places::Place p = atlas.place(m.index);
        std::printf("%.*s\t%.*s\t%.*s\t%.5f\t%.5f\t%.*s\n", static_cast<int>(p.name.size()),
                    p.name.data(), static_cast<int>(p.state.size()), p.state.data(),
                    static_cast<int>(p.country.size()), p.country.data(), p.latitude, p.longitude,
                    static_cast<int>(p.zone.size()), p.zone.data());
    }
    return std::fflush(stdout) == 0 ? 0 : Fail(1, "cannot write the list");
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
    if (!o.birthPlace.empty() || !o.eventPlace.empty()) {
        places::Atlas atlas;
        if (std::string error = OpenPlaces(atlas); !error.empty()) return error;
        for (auto [text, moment, zone] :
             {std::tuple{&o.birthPlace, &chart.birth, &chart.birthZone},
              std::tuple{&o.eventPlace, &chart.event, &chart.eventZone}}) {
            if (text->empty()) continue;
            if (std::string error = ZoneByPlace(atlas, *text, *moment, *zone); !error.empty()) {
                return error;
            }
        }
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
    const ExportResult result = WritePeriods(
        sun, chart, preferences, o.depth, o.format,
        [](std::string_view bytes) {
            return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        },
        {}, o.alarm);
    if (result != ExportResult::Written) return Fail(1, "cannot write the periods");
    return Written("the periods");
}

double ClockSeconds() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

int RunTimeline(SunContext& sun, const ReportOptions& o) {
    ChartData chart;
    Preferences preferences;
    if (const std::string error = PrepareChart(sun, o, chart, preferences); !error.empty()) {
        return Fail(1, error);
    }
    const TimelineLimits limits = LimitsOf(sun, chart);
    TimelineView view = WholeMdView(limits, o.width);
    if (o.from) view.from = *o.from;
    if (o.to) view.to = *o.to;
    // One end given keeps the whole MD's other end, or the narrowest span where that lies behind.
    if (view.to <= view.from) {
        if (o.from) view.to = view.from + kMinTimelineSpan;
        if (o.to) view.from = view.to - kMinTimelineSpan;
    }
    view = ClampView(view, limits);
    const TimelineLayout layout =
        LayoutTimeline(sun, chart, view, o.at ? *o.at : ClockSeconds(), false);
    SvgCanvas canvas(view.width, view.height);
    DrawTimeline(canvas, layout);
    const std::string svg = canvas.Finish();
    std::fwrite(svg.data(), 1, svg.size(), stdout);
    return Written("the timeline");
}

// The JSON value of an export field's text: a number, or null where it is empty.
nlohmann::ordered_json NumberField(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json::parse(text);
}

int RunNow(SunContext& sun, const ReportOptions& o) {
    ChartData chart;
    Preferences preferences;
    if (const std::string error = PrepareChart(sun, o, chart, preferences); !error.empty()) {
        return Fail(1, error);
    }
    const double at = o.at ? *o.at : ClockSeconds();
    const RunningPeriods running = PeriodsAt(sun, chart, at);
    const ZoneSpec& zone = WithinTables(chart).eventZone;
    const double truncated = sun.precise ? 0.01 : 1.0;
    std::string out;
    if (!o.formatGiven) {
        out = "At " + IsoUtcText(at) + ": " + RunningPeriodsText(running) + "\n";
        const auto when = [&](const Boundary& b) {
            std::string text = FormatBoundary(b, true, sun.precise).when;
            while (!text.empty() && text.back() == ' ') text.pop_back();
            return text.substr(std::min(text.find_first_not_of(' '), text.size()));
        };
        const auto line = [&](const std::string& name, const TimelinePeriod& p) {
            out += name + ": " + when(p.start) + " to " + when(p.end) + "\n";
        };
        if (running.where != RunningPeriods::Where::Inside) line("MD", running.md);
        for (const TimelinePeriod& p : running.periods) {
            line(p.tier == 0 ? std::string("MD") : SummaryText(RowOf(p)), p);
        }
    } else if (o.format == ExportFormat::Csv) {
        out = kCsvHeader;
        for (const TimelinePeriod& p : running.periods) {
            std::string csv = CsvLine(RowOf(p), zone, InstantUncertainty(sun, p.start, truncated),
                                      InstantUncertainty(sun, p.end, truncated), sun.precise);
            // The MD is no row of the tree: its tier is MD and it has no path.
            if (p.tier == 0) csv = "MD,," + csv.substr(csv.find(',', csv.find(',') + 1) + 1);
            out += csv;
        }
    } else {
        using Json = nlohmann::ordered_json;
        Json j;
        j["at_utc"] = IsoUtcText(at);
        const char* where[] = {"inside", "before", "after", "unknown"};
        j["where"] = where[static_cast<int>(running.where)];
        if (running.where == RunningPeriods::Where::Before ||
            running.where == RunningPeriods::Where::After) {
            j["distance_seconds"] = std::floor(running.distance);
        }
        j["text"] = RunningPeriodsText(running);
        j["local_offset"] = OffsetText(zone);
        Json periods = Json::array();
        for (const TimelinePeriod& p : running.periods) {
            const PeriodRow row = RowOf(p);
            const auto instant = [&](const Boundary& b, bool utc) {
                return b.found ? Json(utc ? UtcText(b, zone, sun.precise)
                                          : LocalText(b, zone, sun.precise))
                               : Json(nullptr);
            };
            const bool md = p.tier == 0;
            periods.push_back(
                {{"tier", md ? "MD" : TierNames[static_cast<std::size_t>(p.tier - 1)]},
                 {"path", md ? "" : PathText(row)},
                 {"summary", md ? "MD" : SummaryText(row)},
                 {"start_utc", instant(p.start, true)},
                 {"end_utc", instant(p.end, true)},
                 {"start_local", instant(p.start, false)},
                 {"end_local", instant(p.end, false)},
                 {"start_longitude", PositionText(p.start)},
                 {"end_longitude", PositionText(p.end)},
                 {"start_degrees", NumberField(DegreesText(p.start.longitude))},
                 {"end_degrees", NumberField(DegreesText(p.end.longitude))},
                 {"start_uncertainty_s",
                  NumberField(UncertaintyFieldText(InstantUncertainty(sun, p.start, truncated)))},
                 {"end_uncertainty_s",
                  NumberField(UncertaintyFieldText(InstantUncertainty(sun, p.end, truncated)))}});
        }
        j["periods"] = std::move(periods);
        if (sun.precise) j["precise"] = true;
        out = j.dump(2) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
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
    if (command == "places" && argc == 3) return RunPlaces(argv[2]);
    ReportOptions options;
    using Command = ReportOptions::Command;
    if (command == "periods") options.command = Command::Periods;
    if (command == "timeline") options.command = Command::Timeline;
    if (command == "now") options.command = Command::Now;
    if (command == "report" || command == "periods" || command == "timeline" || command == "now") {
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
    SunContext sun{table, ayanamsa, options.precise};
    if (command == "sun") return RunSun(sun);
    switch (options.command) {
        case Command::Periods:
            return RunPeriods(sun, options);
        case Command::Timeline:
            return RunTimeline(sun, options);
        case Command::Now:
            return RunNow(sun, options);
        default:
            return RunReport(sun, options);
    }
}
