#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <regex>

#include "engine/event_location.h"
#include "test_support.h"
#include "view/report_layout.h"

namespace tarvella {
namespace {

class Report : public ::testing::Test {
  protected:
    ChartData Chart(int level) {
        ChartData c = DefaultChart();
        c.level = level;
        EXPECT_TRUE(ComputeSunPosition(sun_, c.birth, c.birthZone));
        EXPECT_TRUE(ComputeSunPosition(sun_, c.event, c.eventZone));
        return c;
    }
    std::string Draw(ChartData& c, const PrintState& print = {}) {
        canvas_.texts.clear();
        return DrawReport(canvas_, print, sun_, c);
    }
    const DrawnText& At(std::size_t i) const { return canvas_.texts.at(i); }

    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
    RecordingCanvas canvas_;
};

// The screen form's position "( 5 Le 07' 09")" in the mirror's form "(05 Le 07'09")".
std::string MirrorForm(std::string drawn) {
    if (drawn[1] == ' ') drawn[1] = '0';
    return drawn.erase(drawn.find("' ") + 1, 1);
}

const char* const kCaptions[] = {
    "Antardasas in MD\r\n\r\n", "Pratyantardasas in \"MD - 5th AD\"\r\n\r\n",
    "Sookshma-antardasas in \"MD - 5th AD - 6th PD\"\r\n\r\n",
    "Prana-antardasas in \"MD - 5th AD - 6th PD - 10th SD\"\r\n\r\n",
    "Deha-antardasas in \"MD - 5th AD - 6th PD - 10th SD - 2nd PAD\"\r\n\r\n"};
const std::string kZoneLine =
    "Times are in 00:00-23:59 format. Time zone used in display is 4:00 W.\r\n";
const std::string kBirthLine =
    "Birthdata:  4 Apr 1970, 17:50 (5:30 E). MD of 1 years started in 1999.\r\n";

TEST_F(Report, DefaultChartOnTheScreenAtEveryLevel) {
    for (int level = 1; level <= 5; ++level) {
        SCOPED_TRACE(level);
        ChartData c = Chart(level);
        const std::string text = Draw(c);
        EXPECT_EQ(At(0).text, kCaptions[level - 1]);
        EXPECT_EQ(At(0).rect, (TextRect{8, 8, 500, 800}));
        EXPECT_EQ(At(0).colour, (Rgb{0, 100, 100}));
        EXPECT_EQ(At(1).text, kZoneLine);
        EXPECT_EQ(At(1).rect.top, 40);
        EXPECT_EQ(At(2).text,
                  level == 5 ? "Periods cannot be divided further. Click on \"Go one level up\"."
                             : "Click on a period to divide it further into sub-periods.");
        EXPECT_EQ(At(2).rect.top, 56);

        std::string rows;
        for (std::size_t k = 0; k < 12; ++k) {
            const std::size_t i = 3 + 6 * k;
            const int y = 90 + 24 * static_cast<int>(k);
            const int lefts[] = {8, 56, 176, 268, 292, 412};
            for (std::size_t j = 0; j < 6; ++j) {
                EXPECT_EQ(At(i + j).rect, (TextRect{lefts[j], y, 1300, 800}));
                EXPECT_EQ(At(i + j).height, 16);
            }
            EXPECT_EQ(At(i).text, RowLabels[k]);
            EXPECT_EQ(At(i + 1).colour, (Rgb{200, 0, 0}));
            EXPECT_EQ(At(i + 2).colour, (Rgb{190, 90, 60}));
            EXPECT_EQ(At(i + 3).text, " - ");
            if (k < 11) {  // the end of a row is the start of the next, to the second
                EXPECT_EQ(At(i + 4).text, At(i + 7).text);
                EXPECT_EQ(At(i + 5).text, At(i + 8).text);
            }
            EXPECT_EQ(At(i + 2).text.find("60\""), std::string::npos);
            rows += At(i).text + At(i + 1).text + MirrorForm(At(i + 2).text) + " - " +
                    At(i + 4).text + MirrorForm(At(i + 5).text) + "\r\n";
        }
        ASSERT_EQ(canvas_.texts.size(), level == 1 ? 75u : 76u);
        if (level > 1) {
            EXPECT_EQ(At(75).text, "Go one level up");
            EXPECT_EQ(At(75).rect, (TextRect{8, 402, 500, 800}));
        }
        EXPECT_EQ(text, "Tarvella\r\n\r\n" + std::string(kCaptions[level - 1]) + kZoneLine +
                            kBirthLine + "\r\n" + rows + "\r\n\r\n");
        EXPECT_LT(text.size(), 1400u);
    }
}

// 59.5 arc-seconds and more once read "60"; this boundary lies at 5 Le 19' 59.9".
TEST_F(Report, SecondsCarryIntoTheMinute) {
    ChartData c = Chart(4);
    const std::string text = Draw(c);
    EXPECT_NE(text.find(" 13:02 (05 Le 18'57\") - 22 Aug 1999, 13:28 (05 Le 20'00\")"),
              std::string::npos);
    EXPECT_FALSE(std::regex_search(text, std::regex("'60\"")));
}

TEST_F(Report, PrintFormHasTheHeadingAndBirthDataAndNoLinkOrHint) {
    ChartData c = Chart(4);
    const std::string screen = Draw(c);
    c.eventZone = {0, 5, 30.0, -5.5};
    Draw(c);
    EXPECT_EQ(At(1).text.substr(At(1).text.size() - 9), "5:30 E.\r\n");
    c = Chart(4);
    // On a 500 x 900 page the scale is 1: only the shift and the font factor remain.
    const std::string printed = Draw(c, {true, 500, 900, false, false});
    EXPECT_EQ(printed, screen);
    ASSERT_EQ(canvas_.texts.size(), 76u);
    EXPECT_EQ(At(0).text, "Tarvella\r\n\r\n");
    EXPECT_EQ(At(0).rect, (TextRect{18, 16, 510, 808}));
    EXPECT_EQ(At(0).height, 19);
    EXPECT_EQ(At(1).rect.top, 56);
    EXPECT_EQ(At(2).rect.top, 88);
    EXPECT_EQ(At(3).text, kBirthLine);
    EXPECT_EQ(At(3).rect.top, 104);
    EXPECT_EQ(At(4).rect, (TextRect{18, 138, 1310, 808}));
    EXPECT_EQ(At(75).rect.top, 138 + 24 * 11);
    for (const DrawnText& t : canvas_.texts) EXPECT_EQ(t.colour, (Rgb{})) << t.text;
}

TEST_F(Report, TwelveYearMdShowsTheNatalPositionAYearApart) {
    ChartData c = Chart(1);
    c.dasaYears = 12;
    Draw(c);
    const ZodiacPosition natal = SplitLongitude(c.birth.sunLongitude);
    char expected[40];
    std::snprintf(expected, sizeof expected, "(%2d %s %02d' %02.0f\")", natal.degree,
                  SignAbbreviations[natal.sign], natal.arcMinute, natal.arcSecond);
    for (int k = 0; k < 12; ++k) {
        const DrawnText& start = At(3 + 6 * k + 1);
        EXPECT_EQ(At(3 + 6 * k + 2).text, expected);
        EXPECT_EQ(At(3 + 6 * k + 5).text, expected);
        EXPECT_EQ(start.text.substr(3, 8), "Apr " + std::to_string(1999 + k));
    }
}

TEST_F(Report, DrawBoundaryRoundsToTheMinuteAndNamesUnreadInstants) {
    RecordingCanvas canvas;
    ReportTarget target{canvas, {}, {}};
    Boundary b{0.0, true, 1999, 12, 31, 23 + 59 / 60.0 + 40 / 3600.0, {4, 5, 7, 9.0}};
    DrawBoundary(target, 56, 90, 1300, 800, b);
    b.hour = 10 + 59 / 60.0 + 29.9 / 3600.0;
    DrawBoundary(target, 56, 90, 1300, 800, b);
    b.hour = 10 + 59 / 60.0 + 30.1 / 3600.0;
    DrawBoundary(target, 56, 90, 1300, 800, b);
    b.found = false;
    DrawBoundary(target, 292, 114, 1300, 800, b);
    EXPECT_EQ(canvas.texts[0].text, " 1 Jan 2000, 00:00 ");
    EXPECT_EQ(canvas.texts[1].text, "( 5 Le 07' 09\")");
    EXPECT_EQ(canvas.texts[1].rect, (TextRect{176, 90, 1300, 800}));
    EXPECT_EQ(canvas.texts[2].text, "31 Dec 1999, 10:59 ");
    EXPECT_EQ(canvas.texts[4].text, "31 Dec 1999, 11:00 ");
    EXPECT_EQ(canvas.texts[6].text, "outside 1800-2099  ");
    EXPECT_EQ(canvas.texts[6].text.size(), canvas.texts[0].text.size());
    EXPECT_EQ(canvas.texts[7].text, "( 5 Le 07' 09\")");
    EXPECT_EQ(target.mirror.text,
              " 1 Jan 2000, 00:00 (05 Le 07'09\")31 Dec 1999, 10:59 (05 Le 07'09\")"
              "31 Dec 1999, 11:00 (05 Le 07'09\")outside 1800-2099  (05 Le 07'09\")");
}

TEST_F(Report, MdOutsideTheTableShowsNoDateFromUnreadData) {
    for (int year : {1500, 2099, 2200}) {
        SCOPED_TRACE(year);
        ChartData c = Chart(1);
        c.dasaStartYear = year;
        const std::string text = Draw(c);
        int outside = 0;
        for (std::size_t k = 0; k < 12; ++k) {
            outside += At(3 + 6 * k + 1).text.starts_with("outside 1800-2099");
            const std::size_t eol = text.find("\r\n", text.find(RowLabels[k]));
            EXPECT_EQ(eol - text.find(RowLabels[k]), 75u);  // every row keeps its width
        }
        EXPECT_EQ(outside, year == 2099 ? 3 : 12);  // the table ends in the MD of 2099
        c.level = kEventLevel;
        Draw(c);
        EXPECT_TRUE(canvas_.texts.back().text.starts_with("\r\n\r\nERROR!"));
        EXPECT_EQ(canvas_.texts.back().rect.left, 130);
    }
}

TEST_F(Report, DefaultEventIsPlacedDownToTheSixthTier) {
    ChartData c = Chart(kEventLevel);
    c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = 0;
    const std::string text = Draw(c);
    const char* const expected[] = {
        "Tarvella:",
        "Birthdata:  4 Apr 1970, 17:50 (5:30 E).\r\n",
        "MD of 1 years started in 1999.\r\nSub-periods of an event were sought in this MD.\r\n\r\n",
        "Event data: 22 Aug 1999, 12:10 (4:00 W).\r\n\r\nClick on a period below to view its "
        "divisions.\r\n\r\n",
        "Given MD ",
        "-  5th AD ",
        "-  6th PD  ",
        "- 10th SD  ",
        "-  3rd PAD ",
        "-  1st DAD "};
    const int lefts[] = {30, 50, 50, 50, 50, 130, 210, 290, 370, 450};
    const int tops[] = {50, 110, 142, 194, 298, 298, 298, 298, 298, 298};
    ASSERT_EQ(canvas_.texts.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(At(i).text, expected[i]);
        EXPECT_EQ(At(i).rect.left, lefts[i]);
        EXPECT_EQ(At(i).rect.top, tops[i]);
        EXPECT_EQ(At(i).height, i == 0 ? 30 : i < 4 ? 19 : 18);
    }
    EXPECT_EQ(text, "Tarvella:\r\n\r\n" + At(1).text + At(2).text + At(3).text +
                        "Given MD -  5th AD -  6th PD  - 10th SD  -  3rd PAD -  1st DAD \r\n\r\n");
    EXPECT_LT(text.size(), 500u);
    EXPECT_EQ((std::array{c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}), (std::array{4, 5, 9, 2}));
}

TEST_F(Report, UnplacedEventShowsTheErrorWhereThePathStops) {
    ChartData c = Chart(kEventLevel);
    c.adIndex = 7;
    c.event.month = 3;  // before the Sun's return to its natal longitude in April 1999
    ASSERT_TRUE(ComputeSunPosition(sun_, c.event, c.eventZone));
    std::string text = Draw(c);
    ASSERT_EQ(canvas_.texts.size(), 6u);
    EXPECT_EQ(At(5).text,
              "\r\n\r\nERROR!\r\n\r\nPlease check if the given event really falls in the given "
              "MD.\r\n\r\n");
    EXPECT_EQ(At(5).rect, (TextRect{130, 298, 1300, 800}));
    EXPECT_EQ(At(5).face, "Courier New");
    EXPECT_EQ(At(5).height, 30);
    EXPECT_TRUE(text.ends_with("\r\n\r\nGiven MD \r\n\r\nERROR!\r\n\r\n"));
    EXPECT_EQ(c.adIndex, 7);

    // The AD is found by instants, the PD by the Sun's longitude: make them disagree.
    c = Chart(kEventLevel);
    c.pdIndex = 8;
    c.event.sunLongitude = ReduceDegrees(c.birth.sunLongitude + 10.0);
    text = Draw(c);
    EXPECT_EQ(canvas_.texts.back().rect.left, 210);
    EXPECT_TRUE(text.ends_with("Given MD -  5th AD \r\n\r\nERROR!\r\n\r\n"));
    EXPECT_EQ(c.pdIndex, 8);
}

// Only a damaged file holds such values; the drawing must stay inside its tables and its room.
TEST_F(Report, DamagedAndExtremeChartsAreDrawnSafelyAndBriefly) {
    const double nan = std::nan("");
    for (int level : {INT_MIN, 0, 1, 5, 6, 7, INT_MAX}) {
        for (int extreme : {INT_MIN, -5000, -1, 12, 13, 100000, INT_MAX}) {
            ChartData c = Chart(level);
            c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = c.dasaYears = extreme;
            c.dasaStartYear = c.birth.year = c.event.year = c.birth.day = c.event.hour = extreme;
            c.birth.month = c.event.month = extreme;
            c.birth.minute = extreme < 0 ? nan : 1e300;
            c.eventZone = {extreme, extreme, extreme < 0 ? -1e300 : nan, 99.0};
            c.birthZone.hours = 99;
            const std::string text = Draw(c);
            EXPECT_LT(text.size(), level >= 6 ? 500u : 1400u) << level << " " << extreme;
            if (level < kEventLevel) continue;
            for (int index : {c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}) {
                EXPECT_TRUE(index >= 0 && index <= 11) << index;  // the search stores them
            }
        }
    }
    ChartData c = Chart(0);
    c.adIndex = 12;
    c.birth.month = 13;
    c.birth.minute = nan;
    EXPECT_TRUE(Draw(c).starts_with("Tarvella\r\n\r\nAntardasas in MD\r\n\r\n"));
    c.level = 9;
    EXPECT_TRUE(Draw(c).starts_with("Tarvella:\r\n\r\nBirthdata:  4 ??? 1970, 17:?? (5:30 E)."));
}

}  // namespace
}  // namespace tarvella
