#include "view/period_status.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "view/navigation.h"
#include "view/report_geometry.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

class PeriodStatus : public ::testing::Test {
  protected:
    ChartData Chart(int level) { return test::DefaultChartAt(sun_, level); }
    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
};

TEST_F(PeriodStatus, RowsNameTheirPathAndShowTheReportsTimes) {
    const ReportModel ads = BuildReport(sun_, Chart(1));
    const std::string first = RowStatusText(ads, 0);
    EXPECT_TRUE(first.starts_with("1st AD: ")) << first;
    const ReportModel pads = BuildReport(sun_, Chart(4));
    const std::string row = RowStatusText(pads, 2);
    EXPECT_TRUE(row.starts_with("3rd PAD of 10th SD of 6th PD of 5th AD: ")) << row;
    // The start and end are the row's own texts, so pointing never shows another minute.
    const std::string text = ReportText(pads);
    const auto b = FormatBoundaries(pads.division);
    for (const std::string& when : {b[2].when, b[3].when}) {
        const std::string trimmed = when.substr(when.find_first_not_of(' '));
        EXPECT_NE(row.find(trimmed.substr(0, trimmed.find_last_not_of(' ') + 1)), std::string::npos)
            << row;
    }
    EXPECT_TRUE(row.ends_with(" m")) << row;
    // With the Sun's context the larger uncertainty of the two ends follows: a few seconds in
    // 1999, a twentieth when precise.
    const std::string sure = RowStatusText(sun_, pads, 2);
    EXPECT_TRUE(sure.starts_with(row + ", \u00b1 ")) << sure;
    EXPECT_TRUE(sure.ends_with(" s")) << sure;
    Ayanamsa ayanamsa;
    SunContext precise{test::GeneratedTable(), ayanamsa, true};
    EXPECT_TRUE(
        RowStatusText(precise, BuildReport(precise, Chart(4)), 2).ends_with(", \u00b1 0.05 s"))
        << RowStatusText(precise, BuildReport(precise, Chart(4)), 2);
    EXPECT_EQ(RowStatusText(pads, 12), "");
    EXPECT_EQ(RowStatusText(pads, kLevelUpRow), "");
    EXPECT_EQ(RowStatusText(BuildReport(sun_, Chart(kEventLevel)), 0), "");
}

// A column of the event path says what the row of that period says in its own level.
TEST_F(PeriodStatus, EventColumnsAgreeWithTheLevelsTheyOpen) {
    const ReportModel event = BuildReport(sun_, Chart(kEventLevel));
    ASSERT_TRUE(event.event.Complete());
    EXPECT_TRUE(EventColumnStatusText(sun_, event, 0).starts_with("MD: "));
    for (int column = 1; column < kEventColumns; ++column) {
        ChartData opened = event.chart;
        ASSERT_TRUE(ApplyEventClick(opened, column, event.event));
        // The level a click opens divides the column's parent; the column is one of its rows.
        ChartData parent = opened;
        parent.level = column;
        const ReportModel level = BuildReport(sun_, parent);
        const int row = level.path.index[static_cast<std::size_t>(column - 1)];
        EXPECT_EQ(EventColumnStatusText(sun_, event, column), RowStatusText(sun_, level, row))
            << column;
    }
    EXPECT_EQ(EventColumnStatusText(sun_, event, kEventColumns), "");
    // An event outside the MD: only the MD itself can be pointed at.
    ChartData outside = Chart(kEventLevel);
    outside.event.year = 1990;
    ComputeSunPosition(sun_, outside.event, outside.eventZone);
    const ReportModel lost = BuildReport(sun_, outside);
    EXPECT_FALSE(EventColumnStatusText(sun_, lost, 0).empty());
    EXPECT_EQ(EventColumnStatusText(sun_, lost, 1), "");
}

// Entered outside its MD, the event is told where it lies, with the MD's span; inside, nothing.
TEST_F(PeriodStatus, AnEventOutsideTheMdIsToldWhere) {
    ChartData chart = Chart(kEventLevel);
    EXPECT_EQ(EventOutsideMdText(sun_, chart), "");
    const ReportModel ads = BuildReport(sun_, chart, 1);
    const std::string span = FormatBoundary(ads.division.boundaries[0]).when;
    for (const auto& [year, where] : {std::pair{1990, "before"}, std::pair{2003, "after"}}) {
        chart.event.year = year;
        ComputeSunPosition(sun_, chart.event, chart.eventZone);
        const std::string text = EventOutsideMdText(sun_, chart);
        EXPECT_TRUE(
            text.starts_with(std::string("The event lies ") + where + " this MD, which runs from "))
            << text;
        EXPECT_NE(text.find(span.substr(span.find_first_not_of(' '), 18)), std::string::npos)
            << text;
        // The event report says the same: no AD of this MD holds the event.
        EXPECT_EQ(BuildReport(sun_, chart).event.PathTiersFound(), 0) << year;
    }
    // An MD whose ends lie beyond the Sun table has no span to tell.
    chart.dasaStartYear = 2099;
    chart.dasaYears = 12;
    EXPECT_EQ(EventOutsideMdText(sun_, chart), "");
}

TEST(PeriodStatusText, DurationsToTheMinute) {
    EXPECT_EQ(DurationText({{1999, 8, 22}, 11.0}, {{1999, 9, 12}, 24.0}), "21 d 13 h 0 m");
    EXPECT_EQ(DurationText({{1999, 12, 31}, 23.5}, {{2000, 1, 1}, 0.25}), "45 m");
    EXPECT_EQ(DurationText({{2000, 2, 28}, 22.0}, {{2000, 3, 1}, 1.0}), "1 d 3 h 0 m");
    EXPECT_EQ(DurationText({{2000, 1, 1}, 1.0}, {{2000, 1, 1}, 3.5}), "2 h 30 m");
}

TEST(Zoom, StepsFromHalfToThreeTimes) {
    EXPECT_EQ(ZoomStep(100, 1), 110);
    EXPECT_EQ(ZoomStep(100, -1), 90);
    EXPECT_EQ(ZoomStep(100, 3), 150);
    EXPECT_EQ(ZoomStep(300, 1), 300);
    EXPECT_EQ(ZoomStep(50, -1), 50);
    // A value between steps, as a hand-edited configuration could hold.
    EXPECT_EQ(ZoomStep(105, 1), 110);
    EXPECT_EQ(ZoomStep(105, -1), 100);
    EXPECT_EQ(ZoomStep(105, 0), 110);
    EXPECT_EQ(ZoomStep(1000, -1), 300);
    EXPECT_EQ(ZoomStep(-5, 1), 50);
}

}  // namespace
}  // namespace tarvella
