#include <gtest/gtest.h>

#include "view/navigation.h"

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

}  // namespace
}  // namespace tarvella
