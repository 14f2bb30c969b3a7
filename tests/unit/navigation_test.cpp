#include <gtest/gtest.h>

#include "document/chart_files.h"
#include "document/period_path.h"
#include "test_support.h"
#include "view/navigation.h"
#include "view/period_status.h"
#include "view/report_controller.h"

namespace tarvella {
namespace {

TEST(Navigation, RowEdges) {
    EXPECT_EQ(RowAtPoint({100, 89}, 2), kNoHighlight);
    EXPECT_EQ(RowAtPoint({100, 90}, 2), 0);
    EXPECT_EQ(RowAtPoint({100, 113}, 2), 0);
    EXPECT_EQ(RowAtPoint({100, 114}, 2), 1);
    EXPECT_EQ(RowAtPoint({100, 377}, 2), 11);
    for (int y = 378; y <= 401; ++y) EXPECT_EQ(RowAtPoint({250, y}, 2), kNoHighlight) << y;
    for (int y = 402; y <= 425; ++y) {
        EXPECT_EQ(RowAtPoint({168, y}, 2), kLevelUpRow) << y;
        EXPECT_EQ(RowAtPoint({340, y}, 5), kLevelUpRow) << y;
        EXPECT_EQ(RowAtPoint({250, y}, 1), kNoHighlight) << y;
        EXPECT_EQ(RowAtPoint({167, y}, 3), kNoHighlight) << y;
        EXPECT_EQ(RowAtPoint({341, y}, 3), kNoHighlight) << y;
    }
    EXPECT_EQ(RowAtPoint({250, 426}, 2), kNoHighlight);
    // Far above the first row: floor, not truncation toward zero.
    EXPECT_EQ(RowAtPoint({100, 70}, 2), kNoHighlight);
    EXPECT_EQ(RowAtPoint({100, -1000}, 2), kNoHighlight);
}

TEST(Navigation, RowSidesHitNothingAtAnyHeight) {
    for (int y = 80; y < 440; y += 3) {
        for (int level = 1; level <= 6; ++level) {
            EXPECT_EQ(RowAtPoint({7, y}, level), kNoHighlight);
            EXPECT_EQ(RowAtPoint({501, y}, level), kNoHighlight);
        }
    }
    EXPECT_EQ(RowAtPoint({8, 95}, 1), 0);
    EXPECT_EQ(RowAtPoint({500, 95}, 1), 0);
}

TEST(Navigation, ScrolledReportAddsTheScrollPosition) {
    // A client point plus the scroll position: client y 0 scrolled by 100 is report y 100.
    const int scrollY = 100;
    EXPECT_EQ(RowAtPoint({100, 0 + scrollY}, 3), 0);
    EXPECT_EQ(RowAtPoint({100, 14 + scrollY}, 3), 1);
}

TEST(Navigation, EventColumns) {
    EXPECT_EQ(ColumnAtPoint({49, 300}), kNoHighlight);
    EXPECT_EQ(ColumnAtPoint({50, 300}), 0);
    EXPECT_EQ(ColumnAtPoint({129, 300}), 0);
    EXPECT_EQ(ColumnAtPoint({130, 300}), 1);
    EXPECT_EQ(ColumnAtPoint({449, 300}), 4);
    EXPECT_EQ(ColumnAtPoint({450, 300}), kNoHighlight);
    EXPECT_EQ(ColumnAtPoint({10, 300}), kNoHighlight);
    EXPECT_EQ(ColumnAtPoint({100, 297}), kNoHighlight);
    EXPECT_EQ(ColumnAtPoint({100, 298}), 0);
    EXPECT_EQ(ColumnAtPoint({100, 322}), 0);
    EXPECT_EQ(ColumnAtPoint({100, 323}), kNoHighlight);
}

TEST(Navigation, OutlineBoxes) {
    const OutlineBox row0 = RowOutline(0);
    EXPECT_EQ(row0.left, 4);
    EXPECT_EQ(row0.top, 87);
    EXPECT_EQ(row0.right, 504);
    EXPECT_EQ(row0.bottom, 111);
    EXPECT_EQ(RowOutline(11).top, 87 + 24 * 11);
    const OutlineBox link = RowOutline(kLevelUpRow);
    EXPECT_EQ(link.left, 168);
    EXPECT_EQ(link.top, 399);
    EXPECT_EQ(link.right, 340);
    EXPECT_EQ(link.bottom, 423);
    const OutlineBox col4 = ColumnOutline(4);
    EXPECT_EQ(col4.left, 367);
    EXPECT_EQ(col4.top, 294);
    EXPECT_EQ(col4.right, 447);
    EXPECT_EQ(col4.bottom, 326);
    EXPECT_FALSE(RowIsOutlined(5, 3));
    EXPECT_TRUE(RowIsOutlined(5, kLevelUpRow));
    EXPECT_TRUE(RowIsOutlined(4, 3));
    EXPECT_FALSE(RowIsOutlined(4, kNoHighlight));
}

TEST(Navigation, RowClicksWalkDownAndUp) {
    ChartData c = DefaultChart();
    c.level = 1;
    ASSERT_TRUE(ApplyRowClick(c, 0));
    EXPECT_EQ(c.level, 2);
    EXPECT_EQ(c.adIndex, 0);
    ASSERT_TRUE(ApplyRowClick(c, 7));
    EXPECT_EQ(c.level, 3);
    EXPECT_EQ(c.pdIndex, 7);
    ASSERT_TRUE(ApplyRowClick(c, 11));
    EXPECT_EQ(c.sdIndex, 11);
    ASSERT_TRUE(ApplyRowClick(c, 3));
    EXPECT_EQ(c.level, 5);
    EXPECT_EQ(c.padIndex, 3);

    // Level 5 rows lead nowhere; the link goes back up without touching any index.
    const ChartData atFive = c;
    EXPECT_FALSE(ApplyRowClick(c, 2));
    EXPECT_EQ(c.padIndex, atFive.padIndex);
    ASSERT_TRUE(ApplyRowClick(c, kLevelUpRow));
    EXPECT_EQ(c.level, 4);
    EXPECT_EQ(c.padIndex, 3);
    EXPECT_EQ(c.sdIndex, 11);
    for (int up = 3; up >= 1; --up) {
        ASSERT_TRUE(ApplyRowClick(c, kLevelUpRow));
        EXPECT_EQ(c.level, up);
    }
    EXPECT_FALSE(ApplyRowClick(c, kLevelUpRow));
    EXPECT_EQ(c.level, 1);
}

TEST(Navigation, ClicksOutsideRowsAndDamagedLevelsChangeNothing) {
    for (int level : {0, 6, 7, -3}) {
        ChartData c = DefaultChart();
        c.level = level;
        const ChartData before = c;
        for (int row : {0, 11, kLevelUpRow, kNoHighlight, 12, -1}) {
            EXPECT_FALSE(ApplyRowClick(c, row)) << level << " " << row;
        }
        EXPECT_EQ(c.level, before.level);
        EXPECT_EQ(c.adIndex, before.adIndex);
    }
    ChartData c = DefaultChart();
    c.level = 2;
    EXPECT_FALSE(ApplyRowClick(c, 12));
    EXPECT_FALSE(ApplyRowClick(c, kNoHighlight));
    EXPECT_EQ(c.level, 2);
}

TEST(Navigation, EventClicksOpenOnlyFoundPeriods) {
    EventPath full;
    full.adIndex = 3;
    full.tiersFound = kLowerTiers;
    full.tierIndex = {1, 2, 3, 4};
    for (int col = 0; col < kEventColumns; ++col) {
        ChartData c = DefaultChart();
        c.level = 6;
        ASSERT_TRUE(ApplyEventClick(c, col, full));
        EXPECT_EQ(c.level, col + 1);
    }
    ChartData deep = DefaultChart();
    deep.level = 6;
    ASSERT_TRUE(ApplyEventClick(deep, 4, full));
    EXPECT_EQ(deep.adIndex, 3);
    EXPECT_EQ(deep.pdIndex, 1);
    EXPECT_EQ(deep.sdIndex, 2);
    EXPECT_EQ(deep.padIndex, 3);

    // The search found the AD and the PD, then stopped with its error.
    EventPath partial;
    partial.adIndex = 6;
    partial.tiersFound = 1;
    partial.tierIndex = {9, 0, 0, 0};
    ChartData c = DefaultChart();
    c.level = 6;
    ASSERT_TRUE(ApplyEventClick(c, 2, partial));
    EXPECT_EQ(c.level, 3);
    EXPECT_EQ(c.pdIndex, 9);
    for (int col : {3, 4}) {
        ChartData d = DefaultChart();
        d.level = 6;
        EXPECT_FALSE(ApplyEventClick(d, col, partial)) << col;
        EXPECT_EQ(d.level, 6);
    }

    // No AD contains the event: only the MD opens, and no index 12 is ever stored.
    EventPath none;
    ChartData m = DefaultChart();
    m.level = 6;
    EXPECT_FALSE(ApplyEventClick(m, 1, none));
    EXPECT_EQ(m.adIndex, 4);
    ASSERT_TRUE(ApplyEventClick(m, 0, none));
    EXPECT_EQ(m.level, 1);
    EXPECT_EQ(m.adIndex, 4);
    EXPECT_FALSE(ApplyEventClick(m, kNoHighlight, full));
}

// The keyboard walks the rows, then the link; it holds at both ends.
TEST(Navigation, KeyboardHighlightOverRowsAndLink) {
    EXPECT_EQ(NextRowHighlight(2, kNoHighlight, 1), 0);
    EXPECT_EQ(NextRowHighlight(2, kNoHighlight, -1), kLevelUpRow);
    EXPECT_EQ(NextRowHighlight(2, 0, 1), 1);
    EXPECT_EQ(NextRowHighlight(2, 11, 1), kLevelUpRow);
    EXPECT_EQ(NextRowHighlight(2, kLevelUpRow, 1), kLevelUpRow);
    EXPECT_EQ(NextRowHighlight(2, kLevelUpRow, -1), 11);
    EXPECT_EQ(NextRowHighlight(2, 0, -1), 0);
    // Level 1 has no link.
    EXPECT_EQ(NextRowHighlight(1, 11, 1), 11);
    EXPECT_EQ(NextRowHighlight(1, kNoHighlight, -1), 11);
    EXPECT_EQ(NextRowHighlight(1, kLevelUpRow, 1), 0);
    // The keyboard's place is what a click there would hit.
    for (int level = 1; level <= 5; ++level) {
        for (int row = kNoHighlight, i = 0; i < 14; ++i) {
            row = NextRowHighlight(level, row, 1);
            const OutlineBox box = RowOutline(row);
            const ReportPoint centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2 + 3};
            EXPECT_EQ(RowAtPoint(centre, level), row) << level << " " << row;
        }
    }
}

TEST(Navigation, KeyboardHighlightOverTheColumnsFound) {
    EventPath complete;
    complete.adIndex = 4;
    complete.tiersFound = kLowerTiers;
    EXPECT_EQ(NextColumnHighlight(complete, kNoHighlight, 1), 0);
    EXPECT_EQ(NextColumnHighlight(complete, 3, 1), 4);
    EXPECT_EQ(NextColumnHighlight(complete, 4, 1), 4);
    EXPECT_EQ(NextColumnHighlight(complete, kNoHighlight, -1), 4);
    // Found down to the PD only: the SD and PAD columns are not reached.
    EventPath partial = complete;
    partial.tiersFound = 1;
    EXPECT_EQ(NextColumnHighlight(partial, 1, 1), 2);
    EXPECT_EQ(NextColumnHighlight(partial, 2, 1), 2);
    EventPath none;
    EXPECT_EQ(NextColumnHighlight(none, kNoHighlight, 1), 0);
    EXPECT_EQ(NextColumnHighlight(none, 0, 1), 0);
}

// A report window's controller over the default chart at `level`, on the generated table.
struct Controlled {
    Session session;
    ReportController report{session};
    explicit Controlled(int level) {
        session.ephemeris.Open(TARVELLA_TEST_SUN_FILE);
        SunContext sun = session.Sun();
        report.Chart() = test::DefaultChartAt(sun, level);
    }
    // The report point of a row's middle as the screen shows it at `zoom`, scrolled by `scroll`.
    ReportPoint Row(int row, double zoom, int scroll) const {
        const OutlineBox box = RowOutline(row);
        const int x = static_cast<int>(((box.left + box.right) / 2) * zoom);
        const int y = static_cast<int>(((box.top + box.bottom) / 2 + 3) * zoom) - scroll;
        return ReportPointAt(x, y, 0, scroll, zoom);
    }
};

TEST(ReportController, KeysAndClicksWalkAlikeAtEveryZoom) {
    Controlled keys(1);
    const auto press = [&](std::initializer_list<ReportKey> walk) {
        bool changed = false;
        for (ReportKey key : walk) changed = keys.report.KeyPressed(key).chartChanged;
        if (changed) keys.report.StartOver();
        return keys.report.Chart().level;
    };
    using K = ReportKey;
    EXPECT_EQ(press({K::Down, K::Down, K::Down, K::Return}), 2);
    EXPECT_EQ(PathOf(keys.report.Chart()).index[0], 2);
    EXPECT_EQ(press({K::Down, K::Down, K::Return}), 3);
    EXPECT_EQ(press({K::Backspace}), 2);
    EXPECT_EQ(press({K::Up, K::Return}), 1);  // from no highlight, Up goes to the link
    EXPECT_EQ(press({K::Down, K::Return}), 2);
    EXPECT_EQ(press({K::Home}), 1);
    EXPECT_FALSE(keys.report.KeyPressed(K::Left).handled);  // the level reports have no columns
    EXPECT_TRUE(keys.report.KeyPressed(K::Return).handled);

    // The same walk by clicks at each zoom and scroll lands on the same chart.
    for (double zoom : {0.5, 1.0, 1.5, 3.0}) {
        for (int scroll : {0, 37}) {
            Controlled clicks(1);
            for (int row : {2, 1, kLevelUpRow, kLevelUpRow, 0, kLevelUpRow}) {
                EXPECT_TRUE(clicks.report.Clicked(clicks.Row(row, zoom, scroll))) << zoom << row;
                clicks.report.StartOver();
            }
            EXPECT_EQ(LastDataText(clicks.report.Chart()), LastDataText(keys.report.Chart()))
                << zoom << " " << scroll;
        }
    }
    // The box scrolled into view: down to its bottom, up to its top, not at all when in view.
    const OutlineBox row11 = RowOutline(11);
    EXPECT_EQ(ScrollToShow(row11, 2.0, 0, 300), row11.bottom * 2 - 300);
    EXPECT_EQ(ScrollToShow(row11, 2.0, 900, 300), row11.top * 2);
    EXPECT_EQ(ScrollToShow(row11, 1.0, 0, 600), 0);
}

TEST(ReportController, StatusNamesWhatIsPointedAtOnceAndTheHighlightFollowsThePointer) {
    Controlled c(3);
    EXPECT_FALSE(c.report.TakeStatus());
    const ReportController::Move first = c.report.PointerMoved(c.Row(4, 1.0, 0), false);
    EXPECT_TRUE(first.repaint);
    EXPECT_EQ(first.to, 4);
    SunContext sun = c.session.Sun();
    EXPECT_EQ(c.report.TakeStatus(), RowStatusText(sun, c.report.Report(), 4));
    EXPECT_FALSE(c.report.TakeStatus());
    // The paint outlines it; the same place again repaints nothing and says nothing new.
    EXPECT_EQ(c.report.PaintedHighlight(c.Row(4, 1.0, 0)), 4);
    EXPECT_FALSE(c.report.PointerMoved(c.Row(4, 1.0, 0), false).repaint);
    EXPECT_TRUE(c.report.PointerMoved(c.Row(4, 1.0, 0), true).repaint);  // scrolled under it
    EXPECT_FALSE(c.report.TakeStatus());
    // The keys take the highlight; leaving the window then keeps what they named.
    const ReportController::KeyResult down = c.report.KeyPressed(ReportKey::Down);
    EXPECT_TRUE(down.highlightMoved);
    EXPECT_EQ(down.from, 4);
    EXPECT_EQ(down.to, 5);
    EXPECT_EQ(c.report.TakeStatus(), RowStatusText(sun, c.report.Report(), 5));
    c.report.PointerLeft();
    EXPECT_FALSE(c.report.TakeStatus());
    // A click that divides starts over: nothing named, the report that of the new level.
    EXPECT_TRUE(c.report.Clicked(c.Row(0, 1.0, 0)));
    c.report.StartOver();
    EXPECT_EQ(c.report.TakeStatus(), "");
    EXPECT_EQ(c.report.Report().chart.level, 4);
    // The model follows Show seconds without being told.
    c.session.showSeconds = true;
    EXPECT_TRUE(c.report.Report().seconds);
}

TEST(ReportController, TheEventReportWalksItsPathByColumns) {
    Controlled c(kEventLevel);
    EXPECT_FALSE(c.report.KeyPressed(ReportKey::Down).handled);
    const EventPath path = c.report.Report().event;
    ASSERT_EQ(path.tiersFound, kLowerTiers);
    EXPECT_EQ(c.report.KeyPressed(ReportKey::Right).to, 0);
    EXPECT_EQ(c.report.KeyPressed(ReportKey::Right).to, 1);
    SunContext sun = c.session.Sun();
    EXPECT_EQ(c.report.TakeStatus(), EventColumnStatusText(sun, c.report.Report(), 1));
    // Return on the AD column opens the PDs of the event's AD, as a click on it does.
    Controlled clicked(kEventLevel);
    const OutlineBox ad = ColumnOutline(1);
    EXPECT_TRUE(clicked.report.Clicked({(ad.left + ad.right) / 2, (ad.top + ad.bottom) / 2}));
    EXPECT_TRUE(c.report.KeyPressed(ReportKey::Return).chartChanged);
    EXPECT_EQ(c.report.Chart().level, 2);
    EXPECT_EQ(LastDataText(c.report.Chart()), LastDataText(clicked.report.Chart()));
}

}  // namespace
}  // namespace tarvella
