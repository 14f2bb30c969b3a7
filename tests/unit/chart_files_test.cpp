#include "document/chart_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <cmath>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>

#include "test_support.h"

namespace tarvella {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// Space-separated numbers as a file's lines.
std::string Lines(const std::string& numbers) {
    return std::regex_replace(numbers, std::regex(" "), "\r\n") + "\r\n";
}
std::string Lf(const std::string& s) {
    return std::regex_replace(s, std::regex("\r\n"), "\n");
}

const std::string kDefaultLastData = Lines(
    "4002 1970 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 1 4 0.000000 "
    "4.000000 1 1999 4 5 9 1 4");
const std::string kDefaultPrefs = Lines("4003 0 0 0.000000 1 0 0.000000 0.000000 0.000000");

std::string Reread(const std::string& text) {
    const auto chart = ParseLastDataText(text);
    return chart ? LastDataText(*chart) : "foreign";
}
std::string RereadPrefs(const std::string& text) {
    const auto prefs = ParsePreferencesText(text);
    return prefs ? PreferencesText(*prefs) : "foreign";
}

struct PlainDocument : ChartDocument {
    bool loaded = false, modified = false;
    std::string image;
    int updates = 0;
    bool LoadedFromFile() const override { return loaded; }
    void SetLoadedFromFile() override { loaded = true; }
    std::string ChartImage() const override { return image; }
    void SetChartImage(std::string_view bytes) override { image = bytes; }
    void SetModifiedFlag() override { modified = true; }
    void UpdateOtherViews() override { ++updates; }
};

struct Files : ::testing::Test {
    test::ScratchDir dir;
    Session session;
    void SetUp() override {
        session.ephemeris = test::GeneratedTable();
        session.lastDataPath = dir.File(kLastDataFileName);
        session.prefFilePath = dir.File(kPrefFileName);
    }
};

TEST(ChartTexts, DefaultsByteForByteSixDecimalsAnyWhiteSpace) {
    EXPECT_EQ(LastDataText(DefaultChart()), kDefaultLastData);
    EXPECT_EQ(kDefaultLastData.size(), 139u);
    EXPECT_EQ(PreferencesText(Preferences{}), kDefaultPrefs);
    EXPECT_EQ(kDefaultPrefs.size(), 58u);
    EXPECT_EQ(RereadPrefs(Lf(kDefaultPrefs)), kDefaultPrefs);
    EXPECT_EQ(Reread(Lf(kDefaultLastData)), kDefaultLastData);
    EXPECT_EQ(Reread(std::regex_replace(kDefaultLastData, std::regex("\r\n"), " \t")),
              kDefaultLastData);

    ChartData c = DefaultChart();
    c.birth.minute = 17.1234567;
    EXPECT_EQ(ParseLastDataText(LastDataText(c))->birth.minute, 17.123457);
}

TEST(ChartTexts, ForeignShortAndGarbledTexts) {
    for (const char* foreign : {"", "4003\r\n", "4002.0\r\n1970", "x4002",
                                "\xEF\xBB\xBF"
                                "4002"}) {
        EXPECT_EQ(Reread(foreign), "foreign") << foreign;
    }
    EXPECT_EQ(RereadPrefs(kDefaultLastData), "foreign");
    // Fields after the first missing or unreadable one keep the defaults.
    EXPECT_EQ(Reread("4002 1980 2 3 "), Lines("4002 1980 2 3") + kDefaultLastData.substr(18));
    EXPECT_EQ(Reread("4002 +1980 2 3 17 abc 0 5 30 -5.5 2001 1 1 1 1 1"),
              Lines("4002 1980 2 3 17") + kDefaultLastData.substr(22));
    EXPECT_EQ(RereadPrefs("4003 1 1 -87.0 -1 1 1 2.5x 9"),
              Lines("4003 1 1 -87.000000 -1 1 1.000000 0.000000 0.000000"));
}

TEST(ChartTexts, ValuesOutOfRangeAreClamped) {
    // Every field too high (NaN where a real can be), then every field too low. A NaN offset is
    // recomputed from its zone; 31 February stays for the core to count on into March.
    EXPECT_EQ(Reread("4002 9999999999 13 32 24 nan 7 13 nan nan 2000 99 99 99 inf -3 -13 inf 20 "
                     "13 -2147483648 12 12 99999999999 12 7"),
              Lines("4002 100000 12 31 23 0.000000 1 12 0.000000 12.000000 2000 12 31 23 60.000000 "
                    "1 -12 60.000000 13.000000 12 -100000 11 11 11 11 6"));
    EXPECT_EQ(Reread("4002 2000 0 0 -1 -1 0 0 -1 -20 1999 2 31 0 -inf 0 0 0 -inf 0 2000 -1 -1 -1 "
                     "-1 0"),
              Lines("4002 2000 1 1 0 0.000000 0 0 0.000000 -13.000000 1999 2 31 0 0.000000 0 0 "
                    "0.000000 -13.000000 1 2000 0 0 0 0 1"));
    // A NaN deviation is recomputed from its parts.
    EXPECT_EQ(RereadPrefs("4003 2 -1 nan 0 8 1 27 nan"),
              Lines("4003 1 0 87.000000 1 7 1.000000 27.000000 0.000000"));
    EXPECT_EQ(RereadPrefs("4003 0 0 1 -5 -3 inf 0 0"),
              Lines("4003 0 0 1.000000 -1 0 0.000000 0.000000 0.000000"));
}

TEST_F(Files, FreshStartSharedChartAndUnchangedData) {
    PlainDocument first, second, third;
    ChartData chart;
    EXPECT_TRUE(LoadChartAndPreferences(session, first, chart));
    EXPECT_TRUE(first.modified);
    EXPECT_EQ(first.image, kDefaultLastData);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), kDefaultLastData);
    EXPECT_EQ(ReadFileBytes(session.prefFilePath), kDefaultPrefs);
    EXPECT_GT(chart.birth.sunLongitude, 0.0);
    EXPECT_GT(chart.event.sunLongitude, 0.0);

    // A later new document shows the shared chart; confirming it unchanged changes nothing.
    LoadChartAndPreferences(session, second, chart);
    EXPECT_TRUE(SaveLastData(session, second, chart));
    EXPECT_EQ(second.image, kDefaultLastData);
    EXPECT_FALSE(second.modified);
    chart.level = 2;
    EXPECT_TRUE(SaveLastData(session, second, chart));
    EXPECT_TRUE(second.modified);
    EXPECT_EQ(second.updates, 1);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), second.image);

    // An LF file reads alike, but its next save writes CR LF, which changes the bytes.
    WriteFileBytes(session.lastDataPath, Lf(kDefaultLastData));
    LoadChartAndPreferences(session, third, chart);
    EXPECT_FALSE(third.modified);
    SaveLastData(session, third, chart);
    EXPECT_EQ(third.image, kDefaultLastData);
    EXPECT_TRUE(third.modified);
}

TEST_F(Files, DocumentFilesAndPreferenceFile) {
    ChartData chart = DefaultChart();
    chart.level = 2;
    WriteFileBytes(session.lastDataPath, LastDataText(chart));
    WriteFileBytes(session.prefFilePath, "4003 1 0 -87.0 -1 1 1 27 0");

    PlainDocument empty, foreign, large;
    LoadDocumentFile(empty, "");
    LoadChartAndPreferences(session, empty, chart);
    EXPECT_FALSE(empty.loaded);
    EXPECT_FALSE(empty.modified);
    EXPECT_EQ(chart.level, 2);
    EXPECT_EQ(session.ayanamsa.deviation, -87.0);

    LoadDocumentFile(foreign, "not a chart");
    LoadChartAndPreferences(session, foreign, chart);
    EXPECT_EQ(LastDataText(chart), kDefaultLastData);
    EXPECT_EQ(foreign.image, kDefaultLastData);
    EXPECT_TRUE(foreign.modified);

    // Only the first 1000 bytes of a document count.
    LoadDocumentFile(large, empty.image + std::string(2000, ' '));
    EXPECT_EQ(large.image.size(), kMaxChartImage);
    WriteFileBytes(session.prefFilePath, kDefaultLastData);
    LoadChartAndPreferences(session, large, chart);
    EXPECT_EQ(chart.level, 2);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), large.image);
    EXPECT_EQ(ReadFileBytes(session.prefFilePath), kDefaultPrefs);
    EXPECT_EQ(session.ayanamsa.deviation, 0.0);

    // The last moment of the largest year, carried past midnight by its zone.
    PlainDocument extreme;
    WriteFileBytes(session.lastDataPath, "4002 2147483647 12 31 23 59 1 12 0 12");
    LoadChartAndPreferences(session, extreme, chart);
    EXPECT_TRUE(std::isnan(chart.birth.sunLongitude));  // no position outside the table
}

TEST_F(Files, FailedWritesAreReportedAndLeaveOldFilesWhole) {
    ChartData chart = DefaultChart();
    chart.level = 3;
    const std::string old = LastDataText(chart);
    WriteFileBytes(session.lastDataPath, old);
    chart.level = 5;
    PlainDocument doc, fresh, loaded;

    // A write cut short part way by the file size limit, which binds root too.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 20;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const bool written = SaveLastData(session, doc, chart);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), old);
    EXPECT_EQ(doc.image, LastDataText(chart));  // the document still follows the view
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A replaced file keeps its mode.
    std::filesystem::permissions(session.lastDataPath, std::filesystem::perms(0640));
    ASSERT_TRUE(WriteFileAtomically(session.lastDataPath, old));
    EXPECT_EQ(std::filesystem::status(session.lastDataPath).permissions(),
              std::filesystem::perms(0640));

    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (!std::ofstream(dir.File("probe"))) {  // permissions do not stop root
        EXPECT_FALSE(SaveLastData(session, doc, DefaultChart()));
        EXPECT_FALSE(SetDefaultPreferences(session));
        EXPECT_EQ(ReadFileBytes(session.lastDataPath), old);
    }

    // No directory at all: defaults, reported; a loaded document keeps its own chart.
    session.lastDataPath = session.prefFilePath = dir.File(kLastDataFileName) + "/x";
    EXPECT_FALSE(LoadChartAndPreferences(session, fresh, chart));
    EXPECT_EQ(LastDataText(chart), kDefaultLastData);
    LoadDocumentFile(loaded, old);
    EXPECT_FALSE(LoadChartAndPreferences(session, loaded, chart));
    EXPECT_EQ(chart.level, 3);
    EXPECT_EQ(loaded.image, old);
    EXPECT_FALSE(loaded.modified);
}

TEST_F(Files, PipesInPlaceOfTheDataFilesGiveDefaults) {
    // Reading a pipe nobody writes to would wait for ever.
    ASSERT_EQ(mkfifo(session.lastDataPath.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(session.prefFilePath.c_str(), 0600), 0);
    PlainDocument doc;
    ChartData chart;
    EXPECT_TRUE(LoadChartAndPreferences(session, doc, chart));
    EXPECT_EQ(LastDataText(chart), kDefaultLastData);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), kDefaultLastData);
    EXPECT_EQ(ReadFileBytes(session.prefFilePath), kDefaultPrefs);
}

}  // namespace
}  // namespace tarvella
