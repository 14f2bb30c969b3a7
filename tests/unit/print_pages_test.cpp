#include "view/print_pages.h"

#include <gtest/gtest.h>

namespace tarvella {
namespace {

std::string Describe(const std::vector<PrintedLevel>& levels) {
    std::string s;
    for (const PrintedLevel& l : levels) s += std::to_string(l.level) + (l.lowerHalf ? "b " : "a ");
    return s;
}

TEST(PrintPages, PageCountsAndHalves) {
    for (int level = 1; level <= 6; ++level) {
        EXPECT_EQ(PrintPageCount(0, level), 1);
        EXPECT_EQ(Describe(LevelsOnPage(0, level, 1)), std::to_string(level) + "a ");
    }
    EXPECT_EQ(PrintPageCount(1, 1), 1);
    EXPECT_EQ(PrintPageCount(1, 2), 1);
    EXPECT_EQ(PrintPageCount(1, 3), 2);
    EXPECT_EQ(PrintPageCount(1, 4), 2);
    EXPECT_EQ(PrintPageCount(1, 5), 3);
    EXPECT_EQ(PrintPageCount(1, 6), 1);
    EXPECT_EQ(Describe(LevelsOnPage(1, 2, 1)), "1a 2b ");
    EXPECT_EQ(Describe(LevelsOnPage(1, 3, 2)), "3a ");
    EXPECT_EQ(Describe(LevelsOnPage(1, 5, 1)), "1a 2b ");
    EXPECT_EQ(Describe(LevelsOnPage(1, 5, 2)), "3a 4b ");
    EXPECT_EQ(Describe(LevelsOnPage(1, 5, 3)), "5a ");
    EXPECT_EQ(Describe(LevelsOnPage(1, 6, 1)), "6a ");
    EXPECT_EQ(Describe(LevelsOnPage(1, 4, 3)), "");
    // A damaged level never asks for more than five levels or three pages.
    EXPECT_EQ(PrintPageCount(1, 99), 3);
    EXPECT_EQ(PrintPageCount(1, -4), 1);
}

// Every level from the ADs down is printed once, on page (level + 1) / 2, odd levels above and
// even ones below, and no page beyond the count holds anything.
TEST(PrintPages, AllLevelsEachOnceInItsHalf) {
    for (int level = 1; level <= 5; ++level) {
        const int pages = PrintPageCount(1, level);
        std::vector<int> seen(level + 1, 0);
        for (int page = 1; page <= 4; ++page) {
            const std::vector<PrintedLevel> levels = LevelsOnPage(1, level, page);
            if (page > pages) {
                EXPECT_TRUE(levels.empty()) << level << " " << page;
            }
            for (const PrintedLevel& l : levels) {
                ASSERT_GE(l.level, 1);
                ASSERT_LE(l.level, level);
                ++seen[l.level];
                EXPECT_EQ((l.level + 1) / 2, page) << level;
                EXPECT_EQ(l.lowerHalf, l.level % 2 == 0 ? 1 : 0) << level;
            }
        }
        for (int l = 1; l <= level; ++l) EXPECT_EQ(seen[l], 1) << level << " " << l;
    }
}

TEST(PrintPages, TitlesAndAttachmentNames) {
    EXPECT_EQ(HeadingTitle("VKT1"), "VKT1");
    EXPECT_EQ(HeadingTitle("chart.vkt"), "chart");
    EXPECT_EQ(HeadingTitle(".hidden"), ".hidden");
    EXPECT_EQ(HeadingTitle("a.b.vkt"), "a");
    EXPECT_EQ(PageNumberText(1, 2), "Page 1/2");
    EXPECT_EQ(TextAttachmentName("VKT1"), "Tarvella.txt");
    EXPECT_EQ(TextAttachmentName(".hidden"), "Tarvella.txt");
    EXPECT_EQ(TextAttachmentName("chart.vkt"), "chart.txt");
    EXPECT_EQ(DataAttachmentName("VKT1", ""), "VKT1.vkt");
    EXPECT_EQ(DataAttachmentName("chart.vkt", "/home/a/charts/chart.vkt"), "chart.vkt");
}

}  // namespace
}  // namespace tarvella
