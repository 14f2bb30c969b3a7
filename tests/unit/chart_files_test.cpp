#include "document/chart_files.h"

#include <gtest/gtest.h>

#include <regex>

namespace tarvella {
namespace {

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

}  // namespace
}  // namespace tarvella
