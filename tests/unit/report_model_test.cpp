#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "document/chart_files.h"
#include "engine/report_model.h"
#include "test_support.h"
#include "view/navigation.h"
#include "view/report_layout.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

class ReportModelTest : public ::testing::Test {
  protected:
    ChartData Chart(int level) { return test::DefaultChartAt(sun_, level); }
    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
};

std::uint64_t Fnv1a(const std::string& s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The golden file holds, for 400 random charts (a few with the damaged values a hand-edited file
// can hold), the length and hash of the plain text at every level as the layout wrote it while it
// drew, before the report had a model.
TEST_F(ReportModelTest, PlainTextIsTheOldLayoutsTextForRandomChartsAtEveryLevel) {
    std::ifstream in(TARVELLA_TEST_DATA_DIR "/report_text_golden.txt");
    ASSERT_TRUE(in.is_open());
    std::string line;
    int charts = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        // Reals as written by %.17g, "nan" included.
        auto real = [&fields] {
            std::string word;
            fields >> word;
            return std::strtod(word.c_str(), nullptr);
        };
        ChartData c = DefaultChart();
        Ayanamsa ayanamsa;
        ayanamsa.deviation = real();
        for (ChartMoment* m : {&c.birth, &c.event}) {
            fields >> m->year >> m->month >> m->day >> m->hour;
            m->minute = real();
        }
        for (ZoneSpec* z : {&c.birthZone, &c.eventZone}) {
            fields >> z->west >> z->hours;
            z->minutes = real();
            z->utOffset = real();
        }
        fields >> c.dasaYears >> c.dasaStartYear >> c.adIndex >> c.pdIndex >> c.sdIndex >>
            c.padIndex;
        SunContext sun{test::GeneratedTable(), ayanamsa};
        ComputeSunPosition(sun, c.birth, c.birthZone);
        ComputeSunPosition(sun, c.event, c.eventZone);
        for (int level = 1; level <= kEventLevel; ++level) {
            std::size_t size = 0;
            std::string hash;
            fields >> size >> hash;
            ASSERT_FALSE(fields.fail()) << line;
            const ChartData before = c;
            const std::string text = ReportText(BuildReport(sun, c, level));
            char mine[17];
            std::snprintf(mine, sizeof mine, "%016" PRIx64, Fnv1a(text));
            EXPECT_EQ(text.size(), size) << "chart " << charts << " level " << level << "\n"
                                         << text;
            EXPECT_EQ(mine, hash) << "chart " << charts << " level " << level << "\n" << text;
            EXPECT_EQ(LastDataText(c), LastDataText(before)) << "building changed the chart";
        }
        ++charts;
    }
    EXPECT_EQ(charts, 400);
}

// What the screen shows is what the model holds: the drawing's text, and the text that Copy and
// mail take, come from one model.
TEST_F(ReportModelTest, DrawingAndTextShareTheModelOnScreenAndPage) {
    for (int level = 1; level <= kEventLevel; ++level) {
        SCOPED_TRACE(level);
        ChartData c = Chart(level);
        const ReportModel report = BuildReport(sun_, c);
        RecordingCanvas canvas;
        EXPECT_EQ(DrawReport(canvas, {}, sun_, c), ReportText(report));
        EXPECT_EQ(DrawReport(canvas, {true, 4800, 6360, true, true}, sun_, c), ReportText(report));
    }
}

TEST_F(ReportModelTest, BoundariesCarryTheirInstantInUniversalAndLocalTime) {
    for (const ZoneSpec& zone : {ZoneSpec{1, 4, 0.0, 4.0}, ZoneSpec{0, 5, 30.0, -5.5},
                                 ZoneSpec{0, 0, 0.0, 0.0}, ZoneSpec{0, 12, 45.0, -12.75}}) {
        ChartData c = Chart(1);
        c.eventZone = zone;
        const ReportModel report = BuildReport(sun_, c);
        EXPECT_EQ(report.division.level, 1);
        EXPECT_EQ(report.division.arc, 30.0);
        for (const Boundary& b : report.division.boundaries) {
            ASSERT_TRUE(b.found);
            const double utDay = JulianDayNumber(b.ut.date.year, b.ut.date.month, b.ut.date.day);
            const double localDay = JulianDayNumber(b.year, b.month, b.day);
            EXPECT_NEAR((utDay - localDay) * 24.0 + b.ut.hour - b.hour, zone.utOffset, 1e-9);
            EXPECT_TRUE(b.ut.hour >= 0.0 && b.ut.hour < 24.0);
        }
    }
}

// The event search leaves the chart alone until the report is applied to it, and applying a
// report of a level changes nothing.
TEST_F(ReportModelTest, OnlyApplyingTheEventReportStoresItsPath) {
    ChartData c = Chart(kEventLevel);
    c.adIndex = c.pdIndex = c.sdIndex = c.padIndex = 0;
    const ReportModel report = BuildReport(sun_, c);
    ASSERT_TRUE(report.event.Complete());
    EXPECT_EQ(report.path, (PeriodPath{kEventLevel, {4, 5, 9, 2}}));
    EXPECT_EQ((std::array{c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}), (std::array{0, 0, 0, 0}));
    ApplyReport(c, report);
    EXPECT_EQ((std::array{c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}), (std::array{4, 5, 9, 2}));

    ChartData level = Chart(3);
    level.padIndex = 40;  // only a damaged chart holds this; the level report never uses it
    const std::string before = LastDataText(level);
    ApplyReport(level, BuildReport(sun_, level));
    EXPECT_EQ(LastDataText(level), before);

    // An event outside the MD stores nothing but brings a damaged index into range.
    ChartData outside = Chart(kEventLevel);
    outside.dasaStartYear = 2001;
    outside.adIndex = 7;
    outside.sdIndex = -3;
    ApplyReport(outside, BuildReport(sun_, outside));
    EXPECT_EQ(outside.adIndex, 7);
    EXPECT_EQ(outside.sdIndex, 0);
}

// Printing several levels builds each level's model from the chart; the chart keeps its level.
TEST_F(ReportModelTest, AnotherLevelOfTheSameChartIsThatLevelsReport) {
    const ChartData c = Chart(4);
    for (int level = 1; level <= 5; ++level) {
        ChartData at = c;
        at.level = level;
        EXPECT_EQ(ReportText(BuildReport(sun_, c, level)), ReportText(BuildReport(sun_, at)));
    }
    EXPECT_EQ(c.level, 4);
}

// The AD search seeks each of the thirteen boundaries once; it must still agree with seeking the
// start and the end of every AD afresh.
TEST_F(ReportModelTest, AntardasaSearchAgreesWithSeekingEveryStartAndEnd) {
    for (int years : {1, 2, 7, 12}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 9, 17, 25}) {
                ChartData c = Chart(kEventLevel);
                c.dasaYears = years;
                c.event.year = 1999 + (month * day) % years;
                c.event.month = month;
                c.event.day = day;
                int expected = kNoAntardasa;
                double t = c.birth.sunLongitude;
                const double h = c.event.hour + c.event.minute / 60.0;
                for (int i = 0; i < 12 && expected == kNoAntardasa; ++i) {
                    int y1, m1, d1, y2, m2, d2;
                    double h1, h2;
                    const bool s = BoundaryInstant(sun_, c, t, y1, m1, d1, h1);
                    t = t + LevelArc(1, years);
                    if (s && BoundaryInstant(sun_, c, t, y2, m2, d2, h2) &&
                        IsEarlier(y1, m1, d1, h1, c.event.year, month, day, h) &&
                        IsEarlier(c.event.year, month, day, h, y2, m2, d2, h2)) {
                        expected = i;
                    }
                }
                EXPECT_EQ(FindAntardasa(sun_, c), expected) << years << " " << month << " " << day;
            }
        }
    }
}

// The centre of a drawn text: left-aligned texts run one average width a character from their
// left edge, centred ones sit about the middle of their box; the line is one font height.
ReportPoint Centre(const DrawnText& t) {
    const int lineEnd = static_cast<int>(t.text.find("\r\n"));
    const int chars = lineEnd < 0 ? static_cast<int>(t.text.size()) : lineEnd;
    const int x = t.align == kAlignCentre ? (t.rect.left + t.rect.right) / 2
                                          : t.rect.left + chars * t.width / 2;
    return {x, t.rect.top + t.height / 2};
}

TEST_F(ReportModelTest, ClickAtTheCentreOfEveryDrawnRowAndLinkHitsIt) {
    for (int level = 1; level <= 5; ++level) {
        SCOPED_TRACE(level);
        ChartData c = Chart(level);
        RecordingCanvas canvas;
        DrawReportModel(canvas, {}, BuildReport(sun_, c));
        int rowTexts = 0, links = 0;
        for (const DrawnText& t : canvas.texts) {
            const ReportPoint p = Centre(t);
            int row = -1;
            for (std::size_t k = 0; k < 12; ++k) {
                if (t.rect.top == canvas.texts[3 + 6 * k].rect.top) row = static_cast<int>(k);
            }
            if (t.text == kLevelUpText) {
                ++links;
                EXPECT_EQ(RowAtPoint(p, level), kLevelUpRow);
                ChartData up = c;
                ASSERT_TRUE(ApplyRowClick(up, RowAtPoint(p, level)));
                EXPECT_EQ(up.level, level - 1);
            } else if (row >= 0) {
                ++rowTexts;
                EXPECT_EQ(RowAtPoint(p, level), row) << t.text << " at " << p.x << "," << p.y;
                EXPECT_EQ(RowOutline(row).top < p.y && p.y < RowOutline(row).bottom, true);
            } else {  // caption, zone line and hint lead nowhere
                EXPECT_EQ(RowAtPoint(p, level), kNoHighlight) << t.text;
            }
        }
        EXPECT_EQ(rowTexts, 72);
        EXPECT_EQ(links, level > 1 ? 1 : 0);
    }
}

TEST_F(ReportModelTest, ClickAtTheCentreOfEveryDrawnPeriodOfTheEventPathHitsItsColumn) {
    for (int years : {1, 5, 12}) {
        ChartData c = Chart(kEventLevel);
        c.dasaYears = years;
        const ReportModel report = BuildReport(sun_, c);
        ASSERT_TRUE(report.event.Complete());
        RecordingCanvas canvas;
        DrawReportModel(canvas, {}, report);
        const std::vector<std::string> path = EventPathTexts(report.event);
        int columns = 0;
        for (const DrawnText& t : canvas.texts) {
            const ReportPoint p = Centre(t);
            const auto at = std::find(path.begin(), path.end(), t.text);
            if (at == path.end()) {
                EXPECT_EQ(ColumnAtPoint(p), kNoHighlight) << t.text;
                continue;
            }
            const int column = static_cast<int>(at - path.begin());
            if (column == kEventColumns) {  // the sixth tier opens nothing
                EXPECT_EQ(ColumnAtPoint(p), kNoHighlight);
                continue;
            }
            ++columns;
            EXPECT_EQ(ColumnAtPoint(p), column) << t.text;
            const OutlineBox box = ColumnOutline(column);
            EXPECT_TRUE(box.left < p.x && p.x < box.right && box.top < p.y && p.y < box.bottom);
            ChartData opened = c;
            ASSERT_TRUE(ApplyEventClick(opened, ColumnAtPoint(p), report.event));
            EXPECT_EQ(opened.level, column + 1);
        }
        EXPECT_EQ(columns, kEventColumns);
    }
}

}  // namespace
}  // namespace tarvella
