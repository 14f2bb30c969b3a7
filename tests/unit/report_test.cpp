#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "test_support.h"
#include "view/report_layout.h"

namespace tarvella {
namespace {

class Report : public ::testing::Test {
  protected:
    ChartData Chart(int level) { return test::DefaultChartAt(sun_, level); }
    std::string Draw(ChartData& c, const PrintState& print = {}) {
        canvas_.texts.clear();
        return DrawReport(canvas_, print, sun_, c);
    }
    const DrawnText& At(std::size_t i) const { return canvas_.texts.at(i); }
    // Text j (label, start, its position, " - ", end, its position) of row k.
    const DrawnText& Row(std::size_t k, std::size_t j) const { return At(3 + 6 * k + j); }

    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
    RecordingCanvas canvas_;
};

// The screen's position "( 5 Le 07' 09")" in the mirror's form "(05 Le 07'09")".
std::string MirrorForm(std::string drawn) {
    if (drawn[1] == ' ') drawn[1] = '0';
    return drawn.erase(drawn.find("' ") + 1, 1);
}

TEST_F(Report, DefaultChartOnTheScreenAtEveryLevel) {
    const std::string captions[] = {
        "Antardasas in MD", "Pratyantardasas in \"MD - 5th AD\"",
        "Sookshma-antardasas in \"MD - 5th AD - 6th PD\"",
        "Prana-antardasas in \"MD - 5th AD - 6th PD - 10th SD\"",
        "Deha-antardasas in \"MD - 5th AD - 6th PD - 10th SD - 2nd PAD\""};
    const std::string zone =
        "Times are in 00:00-23:59 format. Time zone used in display is 4:00 W.\r\n";
    const std::string birth =
        "Birthdata:  4 Apr 1970, 17:50 (5:30 E). MD of 1 years started in 1999.\r\n";
    for (std::size_t level = 1; level <= 5; ++level) {
        SCOPED_TRACE(level);
        ChartData c = Chart(static_cast<int>(level));
        const std::string text = Draw(c);
        ASSERT_EQ(canvas_.texts.size(), level == 1 ? 75u : 76u);
        EXPECT_EQ(At(0).text, captions[level - 1] + "\r\n\r\n");
        EXPECT_EQ(At(1).text, zone);
        EXPECT_EQ(At(2).text,
                  level == 5 ? "Periods cannot be divided further. Click on \"Go one level up\"."
                             : "Click on a period to divide it further into sub-periods.");
        EXPECT_EQ((std::array{At(0).rect.top, At(1).rect.top, At(2).rect.top}),
                  (std::array{8, 40, 56}));
        std::string rows;
        for (std::size_t k = 0; k < 12; ++k) {
            const int lefts[] = {8, 56, 176, 268, 292, 412};
            for (std::size_t j = 0; j < 6; ++j) {
                EXPECT_EQ(Row(k, j).rect, (TextRect{lefts[j], 90 + 24 * int(k), 1300, 800}));
            }
            EXPECT_EQ(Row(k, 0).text, RowLabels[k]);
            EXPECT_EQ(Row(k, 1).colour, (Rgb{200, 0, 0}));
            EXPECT_EQ(Row(k, 2).colour, (Rgb{190, 90, 60}));
            if (k < 11) {  // the end of a row is the start of the next
                EXPECT_EQ(Row(k, 4).text, Row(k + 1, 1).text);
                EXPECT_EQ(Row(k, 5).text, Row(k + 1, 2).text);
            }
            rows += Row(k, 0).text + Row(k, 1).text + MirrorForm(Row(k, 2).text) + " - " +
                    Row(k, 4).text + MirrorForm(Row(k, 5).text) + "\r\n";
        }
        if (level > 1) {
            EXPECT_EQ(At(75).text, "Go one level up");
            EXPECT_EQ(At(75).rect, (TextRect{8, 402, 500, 800}));
        }
        EXPECT_EQ(text, "Tarvella\r\n\r\n" + captions[level - 1] + "\r\n\r\n" + zone + birth +
                            "\r\n" + rows + "\r\n\r\n");
        EXPECT_EQ(text.find("60\""), std::string::npos);
        EXPECT_LT(text.size(), 1400u);
    }
}

// This boundary lies at 5 Le 19' 59.94", which once read 19'60".
TEST_F(Report, SecondsCarryIntoTheMinute) {
    ChartData c = Chart(4);
    EXPECT_NE(Draw(c).find(" 13:02 (05 Le 18'57\") - 22 Aug 1999, 13:28 (05 Le 20'00\")"),
              std::string::npos);
}

TEST_F(Report, PrintFormHasHeadingAndBirthDataButNoHintOrLink) {
    ChartData c = Chart(4);
    const std::string screen = Draw(c);
    // On a 500 x 900 page the scale is 1: only the shift and the font factor remain.
    EXPECT_EQ(Draw(c, {true, 500, 900, false, false}), screen);
    ASSERT_EQ(canvas_.texts.size(), 76u);
    EXPECT_EQ(At(0).text, "Tarvella\r\n\r\n");
    EXPECT_EQ(At(0).rect, (TextRect{18, 16, 510, 808}));
    EXPECT_EQ(At(0).height, 19);
    EXPECT_EQ((std::array{At(1).rect.top, At(2).rect.top, At(3).rect.top, At(4).rect.top}),
              (std::array{56, 88, 104, 138}));
    EXPECT_TRUE(At(3).text.starts_with("Birthdata:  4 Apr 1970"));
    EXPECT_EQ(At(75).rect.top, 138 + 24 * 11);  // the last row's end position, not a link
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
    for (std::size_t k = 0; k < 12; ++k) {
        EXPECT_EQ(Row(k, 2).text, expected);
        EXPECT_EQ(Row(k, 5).text, expected);
        EXPECT_EQ(Row(k, 1).text.substr(3, 8), "Apr " + std::to_string(1999 + k));
    }
}

TEST_F(Report, BoundariesRoundToTheMinute) {
    Boundary b{0.0, true, 1999, 12, 31, 23 + 59 / 60.0 + 40 / 3600.0, {4, 5, 7, 9.0}};
    std::string plain;
    for (double seconds : {29.9, 30.1}) {
        const BoundaryTexts texts = FormatBoundary(b);
        plain += texts.when + texts.plainPosition;
        b.hour = 10 + 59 / 60.0 + seconds / 3600.0;
    }
    const BoundaryTexts last = FormatBoundary(b);
    plain += last.when + last.plainPosition;
    EXPECT_EQ(last.position, "( 5 Le 07' 09\")");
    EXPECT_EQ(plain,
              " 1 Jan 2000, 00:00 (05 Le 07'09\")31 Dec 1999, 10:59 (05 Le 07'09\")"
              "31 Dec 1999, 11:00 (05 Le 07'09\")");
}

TEST_F(Report, InstantsOutsideTheSunTableShowNoDateFromUnreadData) {
    for (int year : {1500, 2099, 2200, 1700}) {
        SCOPED_TRACE(year);
        ChartData c = Chart(1);
        if (year == 1700) {  // a birth outside the table: no natal Sun at all
            c.birth.year = year;
            ComputeSunPosition(sun_, c.birth, c.birthZone);
        } else {
            c.dasaStartYear = year;
        }
        const std::string text = Draw(c);
        int outside = 0;
        for (std::size_t k = 0; k < 12; ++k) {
            outside += Row(k, 1).text == "outside 1800-2099  ";
            EXPECT_EQ(Row(k, 2).text.size(), 15u);
            const std::size_t row = text.find(RowLabels[k]);
            EXPECT_EQ(text.find("\r\n", row) - row, 75u);  // every row keeps its width
        }
        EXPECT_EQ(outside, year == 2099 ? 3 : 12);  // the table ends within the MD of 2099
        EXPECT_EQ(Row(0, 2).text == "(-- -- --' --\")", year == 1700);
        c.level = kEventLevel;
        EXPECT_TRUE(Draw(c).ends_with("Given MD \r\n\r\nERROR!\r\n\r\n"));
        EXPECT_EQ(canvas_.texts.back().rect.left, 130);
    }
}

TEST_F(Report, DefaultEventIsPlacedDownToTheSixthTier) {
    ChartData c = Chart(kEventLevel);
    c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = 0;
    const std::string text = Draw(c);
    const std::string path[] = {"Given MD ",   "-  5th AD ",  "-  6th PD  ",
                                "- 10th SD  ", "-  3rd PAD ", "-  1st DAD "};
    ASSERT_EQ(canvas_.texts.size(), 10u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(At(4 + i).text, path[i]);
        EXPECT_EQ(At(4 + i).rect, (TextRect{i == 0 ? 50 : 50 + 80 * int(i), 298, 1300, 800}));
    }
    EXPECT_EQ(At(0).rect, (TextRect{30, 50, 1300, 800}));
    EXPECT_EQ(At(3).rect, (TextRect{50, 194, 450, 800}));
    EXPECT_EQ(text,
              "Tarvella:\r\n\r\nBirthdata:  4 Apr 1970, 17:50 (5:30 E).\r\nMD of 1 years started "
              "in 1999.\r\nSub-periods of an event were sought in this MD.\r\n\r\nEvent data: 22 "
              "Aug 1999, 12:10 (4:00 W).\r\n\r\nClick on a period below to view its "
              "divisions.\r\n\r\nGiven MD -  5th AD -  6th PD  - 10th SD  -  3rd PAD -  1st DAD "
              "\r\n\r\n");
    EXPECT_EQ((std::array{c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}), (std::array{4, 5, 9, 2}));
}

TEST_F(Report, UnplacedEventShowsTheErrorWhereThePathStops) {
    ChartData c = Chart(kEventLevel);
    c.adIndex = 7;
    c.event.month = 3;  // before the Sun's return to its natal longitude in April 1999
    ComputeSunPosition(sun_, c.event, c.eventZone);
    EXPECT_TRUE(Draw(c).ends_with("\r\n\r\nGiven MD \r\n\r\nERROR!\r\n\r\n"));
    ASSERT_EQ(canvas_.texts.size(), 6u);
    EXPECT_EQ(At(5).text,
              "\r\n\r\nERROR!\r\n\r\nPlease check if the given event really falls in the given "
              "MD.\r\n\r\n");
    EXPECT_EQ(At(5).rect, (TextRect{130, 298, 1300, 800}));
    EXPECT_EQ(At(5).face, "Courier New");
    EXPECT_EQ(c.adIndex, 7);

    // The AD is found by instants, the PD by the Sun's longitude: make them disagree.
    c = Chart(kEventLevel);
    c.pdIndex = 8;
    c.event.sunLongitude = ReduceDegrees(c.birth.sunLongitude + 10.0);
    EXPECT_TRUE(Draw(c).ends_with("Given MD -  5th AD \r\n\r\nERROR!\r\n\r\n"));
    EXPECT_EQ(canvas_.texts.back().rect.left, 210);
    EXPECT_EQ(c.pdIndex, 8);
}

// Only a damaged file holds such values; the drawing stays inside its tables and its room.
TEST_F(Report, DamagedAndExtremeChartsAreDrawnSafelyAndBriefly) {
    for (int level : {INT_MIN, 0, 1, 5, 6, 7, INT_MAX}) {
        for (int extreme : {INT_MIN, -5000, -1, 12, 13, 100000, INT_MAX}) {
            ChartData c = Chart(level);
            c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = c.dasaYears = extreme;
            c.dasaStartYear = c.birth.year = c.event.year = c.birth.day = c.event.hour = extreme;
            c.birth.month = c.event.month = extreme;
            c.birth.minute = extreme < 0 ? NAN : 1e300;
            c.eventZone = {extreme, extreme, extreme < 0 ? -1e300 : NAN, 99.0};
            c.birthZone.hours = 99;
            EXPECT_LT(Draw(c).size(), level >= 6 ? 500u : 1400u) << level << " " << extreme;
            if (level < kEventLevel) continue;
            for (int index : {c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}) {
                EXPECT_TRUE(index >= 0 && index <= 11) << index;  // the search stores them
            }
        }
    }
    ChartData c = Chart(0);
    c.adIndex = 12;
    c.birth.month = 13;
    c.birth.minute = NAN;
    EXPECT_TRUE(Draw(c).starts_with("Tarvella\r\n\r\nAntardasas in MD\r\n\r\n"));
    c.level = 9;
    EXPECT_TRUE(Draw(c).starts_with("Tarvella:\r\n\r\nBirthdata:  4 ??? 1970, 17:?? (5:30 E)."));
}

}  // namespace
}  // namespace tarvella
