#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "document/chart_files.h"
#include "test_support.h"
#include "view/report_layout.h"

namespace tarvella {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun RunCli(const std::string& args, const std::string& program = TARVELLA_TEST_CLI) {
    test::ScratchDir dir;
    const std::string err = dir.File("stderr");
    FILE* pipe = popen((program + " " + args + " 2>" + err).c_str(), "r");
    CliRun run{-1, {}, {}};
    if (pipe == nullptr) return run;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.out.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = test::ReadFileBytes(err);
    return run;
}

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
    const std::filesystem::path lone = dir.path() / "bin" / "tarvella-cli";
    std::filesystem::create_directories(lone.parent_path());
    std::filesystem::copy_file(TARVELLA_TEST_CLI, lone);
    test::WriteFileBytes(dir.File("pref.vkp"), "4003\r\n0\r\n");
    ChartData early = DefaultChart();
    early.birth.year = 1700;  // no natal Sun to divide from
    test::WriteFileBytes(dir.File("lastdata.vkt"), LastDataText(early));
    // Run from the scratch directory, so that anything written would show there.
    const std::string cli = "cd " + dir.path().string() + " && " + TARVELLA_TEST_CLI;
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
        {"report", "cd " + dir.path().string() + " && " + lone.string()},  // no Sun table
    };
    for (const auto& [args, program] : cases) {
        const CliRun run = RunCli(args, program);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_TRUE(run.err.starts_with("tarvella-cli: ")) << args;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
}  // namespace tarvella
