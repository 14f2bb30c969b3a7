#include "document/chart_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <cmath>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <vector>

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

#ifndef _WIN32
// Writes cut short part way by the file size limit, which binds root too. Windows has no such
// limit and no file modes: the tests of failed writes and of modes are POSIX's.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit tiny = saved_;
        tiny.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
};
#endif

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
    // Text after the last field is ignored.
    EXPECT_EQ(Reread(kDefaultLastData + "notes\r\n"), kDefaultLastData);
    EXPECT_EQ(RereadPrefs(kDefaultPrefs + "4002 x"), kDefaultPrefs);
}

// Why a text is no chart, in one line: the first field missing or unreadable, by line and name.
TEST(ChartTexts, ProblemsNameTheLineAndTheField) {
    const auto problem = [](std::string_view text) {
        std::string why = "none";
        EXPECT_FALSE(ParseLastDataText(text, &why).has_value()) << text;
        return why;
    };
    const std::string tenLines = kDefaultLastData.substr(0, kDefaultLastData.find("1999"));
    EXPECT_EQ(problem(tenLines), "line 11: the event's year is missing");
    EXPECT_EQ(problem(""), "the file is empty");
    EXPECT_EQ(problem(" \r\n\t"), "the file is empty");
    EXPECT_EQ(problem("Dear diary,\r\ntoday"), "line 1: the first number is not 4002");
    EXPECT_EQ(problem(kDefaultPrefs), "line 1: the first number is not 4002");
    // The line is the text's own, however its numbers are spread over lines.
    EXPECT_EQ(problem("4002 1980 2 3 17 abc"), "line 1: the birth's minute is not a number");
    EXPECT_EQ(problem("4002\r\n\r\n1980 2.5"), "line 3: the birth's month is not a whole number");
    EXPECT_EQ(problem("4002\n1980 2\n\n\n"), "line 3: the birth's day is missing");
    // Every line cut off in turn names the line that is missing, the level last.
    std::string text = kDefaultLastData;
    for (int line = 26; line >= 2; --line) {
        text.erase(text.rfind("\r\n", text.size() - 3) + 2);
        EXPECT_TRUE(problem(text).starts_with("line " + std::to_string(line) + ": ")) << line;
    }
    EXPECT_EQ(problem(kDefaultLastData.substr(0, kDefaultLastData.rfind("4"))),
              "line 26: the level is missing");

    std::string why;
    EXPECT_FALSE(ParsePreferencesText("4003 1 1 -87.0 -1 1 1 2.5x 9", &why));
    EXPECT_EQ(why, "line 1: the deviation's arc-minutes is not a number");
    EXPECT_FALSE(ParsePreferencesText("4003\r\n0\r\n0\r\n", &why));
    EXPECT_EQ(why, "line 4: the ayanamsa deviation is missing");
    EXPECT_TRUE(ParsePreferencesText(kDefaultPrefs, &why));
    EXPECT_EQ(why, "");
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
    EXPECT_TRUE(LoadChartAndPreferences(session, first, chart).written);
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

    // An image that is no chart never reaches the last-data file: the view shows the shared
    // chart, as a new document's would.
    const std::string shared = ReadFileBytes(session.lastDataPath);
    LoadDocumentFile(foreign, "not a chart");
    LoadChartAndPreferences(session, foreign, chart);
    EXPECT_EQ(chart.level, 2);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), shared);
    EXPECT_EQ(foreign.image, shared);
    EXPECT_FALSE(foreign.modified);

    // Only the first 1000 bytes of a document count.
    LoadDocumentFile(large, empty.image + std::string(2000, ' '));
    EXPECT_EQ(large.image.size(), kMaxChartImage);
    WriteFileBytes(session.prefFilePath, kDefaultLastData);
    session.preferencesRead = false;  // as the next run reads them
    LoadChartAndPreferences(session, large, chart);
    EXPECT_EQ(chart.level, 2);
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), large.image);
    EXPECT_EQ(ReadFileBytes(session.prefFilePath), kDefaultPrefs);
    EXPECT_EQ(session.ayanamsa.deviation, 0.0);

    // The last moment of the largest year, carried past midnight by its zone.
    PlainDocument extreme;
    WriteFileBytes(session.lastDataPath,
                   "4002 2147483647 12 31 23 59 1 12 0 12 " +
                       kDefaultLastData.substr(kDefaultLastData.find("1999")));
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

#ifndef _WIN32
    const bool written = [&] {
        const FileSizeLimit limit(20);
        return SaveLastData(session, doc, chart);
    }();
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
#endif

    // No directory at all: defaults, reported; a loaded document keeps its own chart.
    session.lastDataPath = session.prefFilePath = dir.File(kLastDataFileName) + "/x";
    EXPECT_FALSE(LoadChartAndPreferences(session, fresh, chart).written);
    EXPECT_EQ(LastDataText(chart), kDefaultLastData);
    LoadDocumentFile(loaded, old);
    EXPECT_FALSE(LoadChartAndPreferences(session, loaded, chart).written);
    EXPECT_EQ(chart.level, 3);
    EXPECT_EQ(loaded.image, old);
    EXPECT_FALSE(loaded.modified);
}

// Piece by piece, as an export writes: many small pieces land whole, and giving up half way or
// a full disk leaves the old file and no temporary.
TEST_F(Files, StreamedWritesLandWholeOrNotAtAll) {
    const std::string path = dir.File("periods.csv");
    const auto row = [](int i) { return "AD," + std::to_string(i) + "\r\n"; };
    std::string expected;
    for (int i = 0; i < 20000; ++i) expected += row(i);
    expected += std::string(100000, 'x');
    ASSERT_TRUE(WriteFileAtomically(path, [&](const ByteSink& out) {
        for (int i = 0; i < 20000; ++i) {
            if (!out(row(i))) return false;
        }
        return out(std::string(100000, 'x')) && out("");
    }));
    EXPECT_EQ(ReadFileBytes(path), expected);

    EXPECT_FALSE(WriteFileAtomically(
        path, [](const ByteSink& out) { return out(std::string(200000, 'y')) && false; }));
    EXPECT_EQ(ReadFileBytes(path), expected);
#ifndef _WIN32
    {
        const FileSizeLimit limit(70000);
        bool refused = false;
        EXPECT_FALSE(WriteFileAtomically(path, [&](const ByteSink& out) {
            for (int i = 0; i < 10000 && !refused; ++i) refused = !out(std::string(100, 'z'));
            return !refused;
        }));
        EXPECT_TRUE(refused);  // the producer learns of the failure and stops
    }
#endif
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

#ifndef _WIN32  // no FIFOs there
// Reading a pipe nobody writes to would wait for ever. A pipe, a link to a device or to nothing
// and a folder are moved aside and told, as any damaged file is, before the defaults come.
TEST_F(Files, PipesLinksAndFoldersInPlaceOfTheDataFilesAreKeptAside) {
    namespace fs = std::filesystem;
    const std::function<void(const std::string&)> makers[] = {
        [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
        [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
        [](const std::string& p) { fs::create_symlink(p + ".nowhere", p); },
        [](const std::string& p) { fs::create_directory(p); },
    };
    for (std::size_t i = 0; i < std::size(makers); ++i) {
        for (const std::string* path : {&session.lastDataPath, &session.prefFilePath}) {
            fs::remove_all(*path);
            makers[i](*path);
            // An older copy that is a file does not keep a folder from being moved aside.
            WriteFileBytes(DamagedCopyPath(*path), "older");
        }
        PlainDocument doc;
        ChartData chart;
        session.preferencesRead = false;  // each case a run of its own
        const StartOutcome outcome = LoadChartAndPreferences(session, doc, chart);
        EXPECT_TRUE(outcome.written) << i;
        EXPECT_EQ(outcome.damagedCopies.size(), 2u) << i;
        EXPECT_EQ(LastDataText(chart), kDefaultLastData) << i;
        EXPECT_EQ(ReadFileBytes(session.lastDataPath), kDefaultLastData) << i;
        EXPECT_EQ(ReadFileBytes(session.prefFilePath), kDefaultPrefs) << i;
        EXPECT_NE(fs::symlink_status(DamagedCopyPath(session.prefFilePath)).type(),
                  fs::file_type::regular)
            << i;
        for (const std::string* path : {&session.lastDataPath, &session.prefFilePath}) {
            fs::remove_all(DamagedCopyPath(*path));
        }
    }
}
#endif

#ifndef _WIN32
// What a failed write left only in memory is not taken back from the older files by a later
// window: the preferences are read once a run, and a document's own image is its chart.
TEST_F(Files, LaterWindowsKeepWhatOnlyMemoryHolds) {
    PlainDocument doc;
    ChartData chart;
    ASSERT_TRUE(LoadChartAndPreferences(session, doc, chart).written);
    chart.level = 2;
    session.preferences.ayanamsaDeviation = 53.005;
    session.ApplyPreferences();
    {
        const FileSizeLimit nothing(0);
        EXPECT_FALSE(SaveLastData(session, doc, chart));
        EXPECT_FALSE(SavePreferences(session));
    }
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), kDefaultLastData);
    ChartData second;
    EXPECT_TRUE(LoadChartAndPreferences(session, doc, second).written);
    EXPECT_EQ(session.preferences.ayanamsaDeviation, 53.005);
    EXPECT_EQ(session.ayanamsa.deviation, 53.005);
    EXPECT_EQ(LastDataText(second), LastDataText(chart));
    // And the last-data file follows the window's chart again.
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), LastDataText(chart));
}
#endif

// A damaged data file is moved aside whole before the defaults take its place; a missing one has
// nothing to keep.
TEST_F(Files, DamagedDataFilesAreKeptBesideThemselves) {
    const std::string cut = kDefaultLastData.substr(0, 60);
    WriteFileBytes(session.lastDataPath, cut + std::string(5000, 'x'));
    WriteFileBytes(session.prefFilePath, "4003 1 1");
    WriteFileBytes(DamagedCopyPath(session.prefFilePath), "an older copy");
    PlainDocument doc;
    ChartData chart;
    const StartOutcome outcome = LoadChartAndPreferences(session, doc, chart);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.damagedCopies,
              (std::vector<std::string>{DamagedCopyPath(session.lastDataPath),
                                        DamagedCopyPath(session.prefFilePath)}));
    EXPECT_EQ(ReadFileBytes(DamagedCopyPath(session.lastDataPath)), cut + std::string(5000, 'x'));
    EXPECT_EQ(ReadFileBytes(DamagedCopyPath(session.prefFilePath)), "4003 1 1");
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), kDefaultLastData);
    EXPECT_EQ(ReadFileBytes(session.prefFilePath), kDefaultPrefs);

    // Sound files, and then a missing one, keep nothing; an empty one is kept, as any damage.
    PlainDocument later, fresh;
    session.preferencesRead = false;  // each a run of its own
    EXPECT_TRUE(LoadChartAndPreferences(session, later, chart).damagedCopies.empty());
    std::filesystem::remove(session.lastDataPath);
    WriteFileBytes(session.prefFilePath, "");
    session.preferencesRead = false;
    EXPECT_EQ(LoadChartAndPreferences(session, fresh, chart).damagedCopies,
              std::vector<std::string>{DamagedCopyPath(session.prefFilePath)});
    EXPECT_EQ(ReadFileBytes(DamagedCopyPath(session.prefFilePath)), "");

#ifndef _WIN32
    // When the defaults cannot be written, the damaged file stays where it was, and no copy is
    // claimed.
    std::filesystem::remove(DamagedCopyPath(session.lastDataPath));
    WriteFileBytes(session.lastDataPath, cut);
    PlainDocument full;
    const StartOutcome failed = [&] {
        const FileSizeLimit limit(20);
        return LoadChartAndPreferences(session, full, chart);
    }();
    EXPECT_FALSE(failed.written);
    EXPECT_TRUE(failed.damagedCopies.empty());
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), cut);
    EXPECT_FALSE(std::filesystem::exists(DamagedCopyPath(session.lastDataPath)));
#endif
}

// Opening a chart writes it over the last-data file; a damaged one there is kept first.
TEST_F(Files, ADocumentKeepsTheDamagedLastDataItReplaces) {
    const std::string opened = Lines(
        "4002 1980 4 4 17 50.000000 0 5 30.000000 -5.500000 1999 8 22 12 10.000000 1 4 0.000000 "
        "4.000000 1 1999 4 5 9 1 2");
    WriteFileBytes(session.lastDataPath, "notes, not a chart");
    PlainDocument doc;
    doc.SetChartImage(opened);
    doc.SetLoadedFromFile();
    ChartData chart;
    const StartOutcome outcome = LoadChartAndPreferences(session, doc, chart);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.damagedCopies,
              std::vector<std::string>{DamagedCopyPath(session.lastDataPath)});
    EXPECT_EQ(ReadFileBytes(DamagedCopyPath(session.lastDataPath)), "notes, not a chart");
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), opened);
    EXPECT_EQ(chart.birth.year, 1980);
    // A sound last chart is simply replaced, as opening a chart always did.
    PlainDocument again;
    again.SetChartImage(kDefaultLastData);
    again.SetLoadedFromFile();
    EXPECT_TRUE(LoadChartAndPreferences(session, again, chart).damagedCopies.empty());
    EXPECT_EQ(ReadFileBytes(session.lastDataPath), kDefaultLastData);
}

#ifndef _WIN32
// A data file the user cannot read is kept aside like a damaged one, not replaced with its mode
// copied onto the defaults. Root reads anything, so the check runs as another user in a child.
TEST_F(Files, UnreadableDataFilesAreKeptNotLost) {
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms(0777));
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(2);
            const fs::path sub = dir.path() / "user";
            fs::create_directory(sub);
            Session& mine = session;
            mine.lastDataPath = (sub / "lastdata.vkt").string();
            mine.prefFilePath = (sub / "pref.vkp").string();
            WriteFileBytes(mine.lastDataPath, kDefaultLastData);
            WriteFileBytes(mine.prefFilePath, kDefaultPrefs);
            fs::permissions(mine.lastDataPath, fs::perms::none);
            fs::permissions(mine.prefFilePath, fs::perms::none);
            PlainDocument doc;
            ChartData chart;
            const StartOutcome outcome = LoadChartAndPreferences(mine, doc, chart);
            const bool kept = outcome.damagedCopies.size() == 2 &&
                              fs::exists(DamagedCopyPath(mine.lastDataPath)) &&
                              fs::exists(DamagedCopyPath(mine.prefFilePath));
            const bool readable = ReadFilePrefix(mine.lastDataPath, 1000) == kDefaultLastData &&
                                  ReadFilePrefix(mine.prefFilePath, 1000) == kDefaultPrefs;
            std::_Exit(outcome.written && kept && readable ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

TEST_F(Files, WritesKeepToNameLimitsLinksAndModes) {
    // The longest name a directory takes still saves: the temporary name is not longer.
    const std::string longest = dir.File(std::string(251, 'n') + ".vkt");
    ASSERT_TRUE(WriteFileAtomically(longest, kDefaultLastData));
    EXPECT_EQ(ReadFileBytes(longest), kDefaultLastData);
    ASSERT_TRUE(WriteFileAtomically(longest, kDefaultPrefs));
    EXPECT_EQ(ReadFileBytes(longest), kDefaultPrefs);

#ifndef _WIN32  // links and modes
    // A link to the user's file: the file changes, the link stays.
    const std::string real = dir.File("real.vkt"), link = dir.File("link.vkt");
    WriteFileBytes(real, "old");
    std::filesystem::permissions(real, std::filesystem::perms(0640));
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(link, kDefaultLastData));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), kDefaultLastData);
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));

    // A link to a device is replaced by a file of the user's own mode, not the device's.
    const std::string device = dir.File("device.vkt");
    std::filesystem::create_symlink("/dev/null", device);
    const mode_t mask = umask(022);
    ASSERT_TRUE(WriteFileAtomically(device, kDefaultLastData));
    umask(mask);
    EXPECT_FALSE(std::filesystem::is_symlink(device));
    EXPECT_EQ(std::filesystem::status(device).permissions(), std::filesystem::perms(0644));
    EXPECT_EQ(std::filesystem::status("/dev/null").type(), std::filesystem::file_type::character);
#endif
}

TEST_F(Files, LeftoverTemporariesAreRemovedOthersKept) {
    namespace fs = std::filesystem;
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const std::vector<std::string> leftovers = {".tarvella-Ab12Cd.tmp", ".tarvella-QWERTY.tmp"};
    // A name like a backup of the user's is never taken for ours.
    const std::vector<std::string> kept = {
        "lastdata.vkt",         "lastdata.vkt.damaged", ".tarvella-Ab12C.tmp", "notes.vkt.abcdef",
        ".tarvella-fresh1.tmp", "lastdata.vkt.ab-cde",  "lastdata.vkt.backup", "pref.vkp.QWERTY"};
    for (const std::string& name : leftovers) WriteFileBytes(dir.File(name), "x");
    for (const std::string& name : kept) WriteFileBytes(dir.File(name), "x");
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().filename() != ".tarvella-fresh1.tmp") fs::last_write_time(entry, old);
    }
    EXPECT_EQ(RemoveLeftoverTemporaries(dir.path().string()), 2);
    for (const std::string& name : leftovers) EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir.File(name))) << name;

    // Folders outside the data directory that writes went to are remembered, each once, so that
    // a later start finds what a killed export left there; a folder whose temporary is too young
    // stays listed for the start after.
    Session remembering = session;
    remembering.writeFoldersPath = dir.File(kWriteFoldersFileName);
    const std::string exports = dir.File(test::FolderNameWithNewline());
    fs::create_directories(exports);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(WriteFileRemembered(remembering, exports + "/periods.csv",
                                        [](const ByteSink& out) { return out("a,b\r\n"); }));
    }
    EXPECT_EQ(ReadFileBytes(remembering.writeFoldersPath), exports + '\0');
    const std::string killed = exports + "/.tarvella-K1lled.tmp";
    WriteFileBytes(killed, "half an export");
    EXPECT_EQ(RemoveRememberedLeftovers(remembering.writeFoldersPath), 0);
    EXPECT_TRUE(fs::exists(killed));
    EXPECT_EQ(ReadFileBytes(remembering.writeFoldersPath), exports + '\0');
    fs::last_write_time(killed, old);
    EXPECT_EQ(RemoveRememberedLeftovers(remembering.writeFoldersPath), 1);
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(exports + "/periods.csv"));
    EXPECT_FALSE(fs::exists(remembering.writeFoldersPath));
}

TEST_F(Files, ChartFilesAreReadOnlyAsFarAsTheyAreUsed) {
    const std::string sparse = dir.File("sparse.vkt");
    {
        std::ofstream out(sparse, std::ios::binary);
        out << kDefaultLastData;
    }
    std::filesystem::resize_file(sparse, 8ull << 30);  // 8 GiB, taking no disk
    ChartFile read = ReadChartFile(sparse);
    EXPECT_EQ(read.status, ChartFile::Status::Chart);
    EXPECT_EQ(read.bytes.size(), kMaxChartImage);
    EXPECT_EQ(LastDataText(read.chart), kDefaultLastData);

    WriteFileBytes(dir.File("notes.vkt"), "Dear diary,\r\n");
    read = ReadChartFile(dir.File("notes.vkt"));
    EXPECT_EQ(read.status, ChartFile::Status::NotAChart);
    EXPECT_EQ(read.problem, "line 1: the first number is not 4002");
    EXPECT_EQ(ReadChartFile(dir.path().string()).status, ChartFile::Status::Unreadable);
    EXPECT_EQ(ReadChartFile(dir.File("missing.vkt")).status, ChartFile::Status::Unreadable);
}

}  // namespace
}  // namespace tarvella
