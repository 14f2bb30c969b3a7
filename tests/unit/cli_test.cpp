#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <iterator>

#include "document/chart_files.h"
#include "test_support.h"
#include "view/report_layout.h"

namespace tarvella {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun RunCli(const std::string& args, const std::string& program = test::CliPath()) {
    test::ScratchDir dir;
    const std::string err = dir.File("stderr");
    CliRun run{-1, {}, {}};
    run.status = test::RunShell(program + " " + args + " 2>" + err, run.out);
    run.err = test::ReadFileBytes(err);
    return run;
}

// The program run from `dir`, so that anything it wrote would show there.
std::string InDir(const std::filesystem::path& dir, const std::string& program) {
    return test::InDirectory(dir.string(), program);
}

// A copy of the program of that name, without the table beside it.
const std::string kLoneCli = test::ProgramFileName("tarvella-cli");

// What the report of the chart at `level` holds, under `deviation` (arc-minutes).
std::string Expected(int level, double deviation = 0.0, ChartData c = DefaultChart()) {
    Ayanamsa ayanamsa{deviation, 0.0};
    SunContext sun{test::GeneratedTable(), ayanamsa};
    c.level = level;
    ComputeSunPosition(sun, c.birth, c.birthZone);
    ComputeSunPosition(sun, c.event, c.eventZone);
    NullCanvas canvas;
    return DrawReport(canvas, {}, sun, c);
}

TEST(Cli, ReportPrintsThePlainTextByteForByte) {
    CliRun run = RunCli("report");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Expected(4));
    EXPECT_EQ(run.err, "");
    for (int level = 1; level <= 6; ++level) {
        EXPECT_EQ(RunCli("report --level " + std::to_string(level)).out, Expected(level)) << level;
    }
    run = RunCli("report --level 1 --ayanamsa 1");
    EXPECT_EQ(run.out, Expected(1, -87.0));
    EXPECT_NE(run.out, Expected(1));
    EXPECT_EQ(RunCli("report --ayanamsa 6 --level 2").out, Expected(2, 60000.0));
}

TEST(Cli, ReportsAChartFileUnderThePreferencesGiven) {
    test::ScratchDir dir;
    ChartData chart = DefaultChart();
    chart.dasaYears = 3;
    chart.dasaStartYear = 1995;
    chart.eventZone = {0, 5, 30.0, -5.5};
    chart.level = 2;
    test::WriteFileBytes(dir.File("chart.vkt"), LastDataText(chart));
    Preferences fagan;
    fagan.ayanamsaDeviation = 53.005;
    test::WriteFileBytes(dir.File("pref.vkp"), PreferencesText(fagan));

    EXPECT_EQ(RunCli("report " + dir.File("chart.vkt")).out, Expected(2, 0.0, chart));
    const CliRun run =
        RunCli("report " + dir.File("chart.vkt") + " --pref " + dir.File("pref.vkp"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Expected(2, 53.005, chart));
    EXPECT_EQ(RunCli("report --level 6 --ayanamsa 5 " + dir.File("chart.vkt")).out,
              Expected(6, 53.005, chart));
}

TEST(Cli, FailuresSayOneLineAndWriteNothing) {
    test::ScratchDir dir;
    const std::filesystem::path lone = dir.path() / "bin" / kLoneCli;
    std::filesystem::create_directories(lone.parent_path());
    std::filesystem::copy_file(test::CliPath(), lone);
    test::WriteFileBytes(dir.File("pref.vkp"), "4003\r\n0\r\n");
    ChartData early = DefaultChart();
    early.birth.year = 1700;  // no natal Sun to divide from
    test::WriteFileBytes(dir.File("lastdata.vkt"), LastDataText(early));
    // Run from the scratch directory, so that anything written would show there.
    const std::string cli = InDir(dir.path(), test::CliPath());
    const std::pair<std::string, std::string> cases[] = {
        {"", cli},
        {"print", cli},
        {"sun --level 1", cli},
        {"report --level 0", cli},
        {"report --level 7", cli},
        {"report --level 4x", cli},
        {"report --level", cli},
        {"report --ayanamsa 7", cli},
        {"report --ayanamsa 1 --pref pref.vkp", cli},
        {"report --colour", cli},
        {"report a.vkt b.vkt", cli},
        {"report missing.vkt", cli},
        {"report pref.vkp", cli},
        {"report lastdata.vkt", cli},
        {"report bin", cli},
        {"report --pref lastdata.vkt", cli},
        {"report --pref missing.vkp", cli},
        {"report --birth-zone " + test::EmptyArgument(), cli},
        {"periods --event-zone " + test::EmptyArgument(), cli},
        {"report --pref " + test::EmptyArgument(), cli},
        {"periods " + test::EmptyArgument(), cli},
        {"timeline --width 10", cli},
        {"timeline --from 2000-01-01 --to 1999-01-01", cli},
        {"now --format ics", cli},
        {"now --at 1999-08-22T12:10", cli},            // no zone: no instant
        {"report", InDir(dir.path(), lone.string())},  // no Sun table
    };
    for (const auto& [args, program] : cases) {
        const CliRun run = RunCli(args, program);
        EXPECT_NE(run.status, 0) << args;
        // An empty value is a wrong argument, not a missing one.
        if (args.ends_with(" " + test::EmptyArgument())) {
            EXPECT_EQ(run.status, 2) << args;
        }
        EXPECT_EQ(run.out, "") << args;
        EXPECT_TRUE(run.err.starts_with("tarvella-cli: ")) << args;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

// Lines of a data file, each ended with CR LF.
std::string DataLines(std::initializer_list<const char*> fields) {
    std::string text;
    for (const char* field : fields) text += std::string(field) + "\r\n";
    return text;
}

TEST(Cli, EmptyShortCorruptOrDirectorySunTableIsOneClearError) {
    test::ScratchDir dir;
    const std::filesystem::path lone = dir.path() / "bin" / kLoneCli;
    const std::filesystem::path table = dir.path() / "share" / "tarvella" / kSunFileName;
    std::filesystem::create_directories(lone.parent_path());
    std::filesystem::create_directories(table.parent_path());
    std::filesystem::copy_file(test::CliPath(), lone);
    std::string whole = test::ReadFileBytes(test::SunFilePath());
    const std::string expected = "tarvella-cli: cannot read the Sun table " + table.string() + "\n";
    for (const std::string& bytes :
         {std::string(), whole.substr(0, whole.size() - 1), std::string(whole.size(), 'x')}) {
        test::WriteFileBytes(table.string(), bytes);
        for (const char* args : {"sun", "report"}) {
            const CliRun run = RunCli(args, lone.string());
            EXPECT_EQ(run.status, 1) << bytes.size();
            EXPECT_EQ(run.out, "") << bytes.size();
            EXPECT_EQ(run.err, expected) << bytes.size();
        }
    }
    std::filesystem::remove(table);
    std::filesystem::create_directory(table);
    const CliRun run = RunCli("report", lone.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, expected);
}

TEST(Cli, EveryFieldOutOfRangeStillGivesAReport) {
    test::ScratchDir dir;
    // Too low, too high, and mixed with level -1; zone hours 99 and minutes NaN throughout.
    const std::string charts[] = {
        DataLines({"4002", "1970", "0",     "0",  "17", "nan", "0",  "99", "nan",
                   "-5.5", "1999", "0",     "0",  "12", "nan", "1",  "99", "nan",
                   "nan",  "0",    "-5000", "-1", "-1", "-1",  "-1", "0"}),
        DataLines({"4002", "1970", "13",     "40", "17", "nan", "0",  "99", "nan",
                   "nan",  "1999", "13",     "40", "12", "nan", "1",  "99", "nan",
                   "4.0",  "13",   "100000", "12", "12", "12",  "12", "7"}),
        DataLines({"4002", "1970", "13",     "0",  "17", "nan", "1",  "99", "nan",
                   "nan",  "1999", "0",      "40", "12", "nan", "0",  "99", "nan",
                   "nan",  "0",    "100000", "12", "-1", "12",  "-1", "-1"}),
    };
    const std::string prefs[] = {
        DataLines({"4003", "-1", "-1", "nan", "-1", "-1", "nan", "nan", "nan"}),
        DataLines({"4003", "2", "2", "nan", "1", "12", "400", "nan", "99"}),
    };
    test::WriteFileBytes(dir.File("low.vkp"), prefs[0]);
    test::WriteFileBytes(dir.File("high.vkp"), prefs[1]);
    for (std::size_t i = 0; i < std::size(charts); ++i) {
        const std::string chartFile = dir.File("chart" + std::to_string(i) + ".vkt");
        test::WriteFileBytes(chartFile, charts[i]);
        const ChartData clamped = *ParseLastDataText(charts[i]);
        for (const char* pref : {"low.vkp", "high.vkp"}) {
            const CliRun run = RunCli("report " + chartFile + " --pref " + dir.File(pref));
            const double deviation = ParsePreferencesText(prefs[pref[0] == 'h'])->ayanamsaDeviation;
            EXPECT_EQ(run.status, 0) << i << pref;
            EXPECT_EQ(run.err, "") << i << pref;
            EXPECT_EQ(run.out, Expected(clamped.level, deviation, clamped)) << i << pref;
            EXPECT_EQ(run.out.find("nan"), std::string::npos) << i << pref;
            EXPECT_EQ(run.out.find("inf"), std::string::npos) << i << pref;
        }
    }
    // Level 7 becomes the event report, which says the event lies in no period of this MD.
    EXPECT_NE(RunCli("report " + dir.File("chart1.vkt")).out.find("ERROR!"), std::string::npos);
}

TEST(Cli, HelpAndVersionAreAnswersWrongArgumentsAreNot) {
    for (const char* asked : {"--help", "-h"}) {
        const CliRun run = RunCli(asked);
        EXPECT_EQ(run.status, 0) << asked;
        EXPECT_TRUE(run.out.starts_with("usage: tarvella-cli ")) << asked;
        EXPECT_EQ(run.err, "") << asked;
    }
    const CliRun version = RunCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tarvella-cli ") + TARVELLA_TEST_VERSION + "\n");
    // Output that could not be written is a failure, whichever command wrote it.
    for (const std::string& lost : test::LostOutputRedirections()) {
        for (const char* command : {"sun", "--help", "--version", "report", "zones Kolkata",
                                    "now --at 1999-08-22", "timeline --at 1999-08-22"}) {
            const CliRun run = RunCli(command + (" " + lost));
            EXPECT_EQ(run.status, 1) << command << lost;
            EXPECT_TRUE(run.err.starts_with("tarvella-cli: cannot write ")) << command << run.err;
        }
    }
    for (const char* wrong : {"", "--helpme", "--help report", "--version 2"}) {
        const CliRun run = RunCli(wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
        EXPECT_TRUE(run.err.starts_with("tarvella-cli: usage: ")) << wrong;
    }
}

// A file that is not a chart is refused with the reason; a huge one is read only as far as used.
TEST(Cli, NotAChartSaysWhyAndHugeFilesAreNotReadWhole) {
    test::ScratchDir dir;
    const std::string chart = LastDataText(DefaultChart());
    test::WriteFileBytes(dir.File("cut.vkt"), chart.substr(0, chart.find("1999")));
    CliRun run = RunCli("report " + dir.File("cut.vkt"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tarvella-cli: " + dir.File("cut.vkt") +
                           " is not a chart: line 11: the event's year is missing\n");
    // What cannot be read at all is told with the reason too.
    run = RunCli("report " + dir.File("absent.vkt"));
    EXPECT_EQ(run.err, "tarvella-cli: cannot read a chart from " + dir.File("absent.vkt") +
                           ": there is no such file\n");
    run = RunCli("report --pref " + dir.path().string());
    EXPECT_EQ(run.err, "tarvella-cli: cannot read preferences from " + dir.path().string() +
                           ": it is a folder\n");
    test::WriteFileBytes(dir.File("short.vkp"), "4003\r\n0\r\n");
    run = RunCli("report --pref " + dir.File("short.vkp"));
    EXPECT_EQ(run.err, "tarvella-cli: " + dir.File("short.vkp") +
                           " is not a preference file: line 3: the choice of colour printing is "
                           "missing\n");

    const std::string huge = dir.File("huge.vkt");
    test::WriteFileBytes(huge, chart);
    std::filesystem::resize_file(huge, 8ull << 30);  // sparse: 8 GiB that take no disk
    run = RunCli("report " + huge);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, RunCli("report").out);
}

// A zone by name gives the report of the chart with that zone's offset typed in; a time the zone
// skips or repeats is told, with nothing on standard output.
TEST(Cli, ZonesByNameAreTheOffsetsTypedIn) {
    test::ScratchDir dir;
    ChartData typed = DefaultChart();
    typed.level = 1;
    typed.birthZone = {0, 5, 30.0, -5.5};  // India, 1970
    typed.event = {0, 0, 0, 0, 0, 1999, 10, 31, 0, 30.0};
    typed.eventZone = {0, 1, 0.0, -1.0};  // London, still in summer time
    test::WriteFileBytes(dir.File("typed.vkt"), LastDataText(typed));
    ChartData plain = typed;
    plain.birthZone = plain.eventZone = {1, 3, 0.0, 3.0};
    test::WriteFileBytes(dir.File("plain.vkt"), LastDataText(plain));
    const CliRun picked = RunCli("report " + dir.File("plain.vkt") +
                                 " --birth-zone Asia/Kolkata --event-zone Europe/London");
    EXPECT_EQ(picked.status, 0) << picked.err;
    EXPECT_EQ(picked.out, RunCli("report " + dir.File("typed.vkt")).out);
    EXPECT_NE(picked.out, RunCli("report " + dir.File("plain.vkt")).out);

    // 1:30 on that night happens twice in London; 1:30 on 26 March 2000 not at all.
    plain.event.hour = 1;
    test::WriteFileBytes(dir.File("twice.vkt"), LastDataText(plain));
    plain.event = {0, 0, 0, 0, 0, 2000, 3, 26, 1, 30.0};
    test::WriteFileBytes(dir.File("never.vkt"), LastDataText(plain));
    const std::pair<std::string, std::string> failures[] = {
        {"twice.vkt --event-zone Europe/London",
         "1:30 on 31 Oct 1999 happens twice in Europe/London: at 1:00 E (daylight saving) and at "
         "0:00 E."},
        {"never.vkt --event-zone Europe/London",
         "1:30 on 26 Mar 2000 does not exist in Europe/London: the clocks went from 0:00 E to "
         "1:00 E (daylight saving)."},
        {"plain.vkt --birth-zone Europe/Atlantis", "There is no time zone \"Europe/Atlantis\"."},
    };
    for (const auto& [args, message] : failures) {
        const CliRun run = RunCli("report " + dir.File(args));
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(run.err, "tarvella-cli: " + message + "\n") << args;
    }
    EXPECT_EQ(RunCli("report --event-zone").status, 2);

    const CliRun zones = RunCli("zones kolkata");
    EXPECT_EQ(zones.status, 0);
    EXPECT_EQ(zones.out, "Asia/Kolkata\tIN\tKolkata\n");
    const std::string all = RunCli("zones").out;
    EXPECT_GT(std::count(all.begin(), all.end(), '\n'), 300);
}

// A place by name gives the report of the chart with that place's offset typed in: the town's
// own mean time before its zone's standard time; namesakes and unknown places are errors.
TEST(Cli, PlacesByNameAreTheOffsetsTypedIn) {
    test::ScratchDir dir;
    ChartData typed = DefaultChart();
    typed.level = 1;
    typed.birth = {0, 0, 0, 0, 0, 1850, 6, 1, 12, 0.0};
    typed.birthZone = {0, 4, 55.0 + 25.0 / 60.0, -(4.0 + (55.0 + 25.0 / 60.0) / 60.0)};
    typed.event = {0, 0, 0, 0, 0, 1999, 1, 15, 12, 0.0};
    typed.eventZone = {1, 6, 0.0, 6.0};  // Missouri, standard time
    test::WriteFileBytes(dir.File("typed.vkt"), LastDataText(typed));
    ChartData plain = typed;
    plain.birthZone = plain.eventZone = {1, 3, 0.0, 3.0};
    test::WriteFileBytes(dir.File("plain.vkt"), LastDataText(plain));
    const std::string expected = RunCli("report " + dir.File("typed.vkt")).out;
    for (const char* command : {"report", "periods --depth 2"}) {
        const CliRun picked =
            RunCli(std::string(command) + " " + dir.File("plain.vkt") +
                   " --birth-place Poona --event-place \"springfield, missouri\"");
        EXPECT_EQ(picked.status, 0) << picked.err;
        EXPECT_EQ(picked.out, RunCli(std::string(command) + " " + dir.File("typed.vkt")).out);
        EXPECT_EQ(picked.err, "");
    }
    EXPECT_NE(expected, RunCli("report " + dir.File("plain.vkt")).out);

    const CliRun ambiguous = RunCli("report --birth-place Springfield");
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_EQ(ambiguous.out, "");
    EXPECT_TRUE(ambiguous.err.starts_with("tarvella-cli: \"Springfield\" names several places"))
        << ambiguous.err;
    EXPECT_NE(ambiguous.err.find("\n  Springfield, Missouri, United States of America (37.21533, "
                                 "-93.29824; 166810 people; America/Chicago)\n"),
              std::string::npos);
    EXPECT_EQ(std::count(ambiguous.err.begin(), ambiguous.err.end(), '\n'), 9);
    const std::pair<std::string, std::string> failures[] = {
        {"report --event-place Xqzzyville", "There is no place \"Xqzzyville\"."},
        {"periods " + dir.File("plain.vkt") +
             " --event-place \"Springfield, Missouri\" "
             "--birth-place \"Springfield, 10, 10\"",
         "There is no place \"Springfield, 10, 10\"."},
    };
    for (const auto& [args, message] : failures) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(run.err, "tarvella-cli: " + message + "\n") << args;
    }
    EXPECT_EQ(RunCli("report --birth-place Pune --birth-zone Asia/Kolkata").status, 2);
    EXPECT_EQ(RunCli("periods --event-place").status, 2);

    const CliRun places = RunCli("places \"sao paulo\"");
    EXPECT_EQ(places.status, 0);
    EXPECT_TRUE(places.out.starts_with(
        "S\u00e3o Paulo\tS\u00e3o Paulo\tBrazil\t-23.54750\t-46.63611\tAmerica/Sao_Paulo\n"))
        << places.out;
    EXPECT_EQ(RunCli("places Xqzzyville").out, "");
    EXPECT_EQ(RunCli("places").status, 2);

    // Without the places file beside it, the program says so and reports nothing.
    test::ScratchDir lone;
    const std::string cli = (lone.path() / kLoneCli).string();
    std::filesystem::copy_file(TARVELLA_TEST_CLI, cli);
    const CliRun missing = RunCli("places Pune", cli);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("There is no places file."), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace tarvella
