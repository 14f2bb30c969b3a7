#include "view/report_canvas.h"

#include <gtest/gtest.h>

#include <limits>

namespace tarvella {
namespace {

DrawnText DrawOne(const PrintState& print, TextRect rect, ReportFont font, Rgb colour) {
    RecordingCanvas canvas;
    DrawReportText(canvas, print, "x", rect, kAlignRight, font, colour);
    EXPECT_EQ(canvas.texts.size(), 1u);
    return canvas.texts.at(0);
}

TEST(DrawReportText, ScreenPassesEverythingThrough) {
    const DrawnText t = DrawOne({}, {8, -5, 500, 30}, {"Arial", 250, 12, 4}, {190, 90, 60});
    EXPECT_EQ(t.rect, (TextRect{8, -5, 500, 30}));
    EXPECT_EQ(t.align, kAlignRight);
    EXPECT_EQ(t.face, "Arial");
    EXPECT_EQ(t.weight, 250);
    EXPECT_EQ(t.height, 12);
    EXPECT_EQ(t.width, 4);
    EXPECT_EQ(t.colour, (Rgb{190, 90, 60}));
}

// s = min(4800 / 500, 6360 / 900) = 7.0666...: the page's height limits the sheet.
TEST(DrawReportText, PortraitPageScalesByItsHeight) {
    PrintState print{true, 4800, 6360, false, false};
    DrawnText t = DrawOne(print, {8, -5, 500, 30}, {"Arial", 250, 12, 4}, {190, 90, 60});
    EXPECT_EQ(t.height, 67);                            // trunc(12 x 7.0666 x 0.8) = trunc(67.84)
    EXPECT_EQ(t.width, 22);                             // trunc(22.61)
    EXPECT_EQ(t.rect, (TextRect{127, 21, 3604, 268}));  // (18, 3, 510, 38) x s, truncated
    EXPECT_EQ(t.colour, (Rgb{0, 0, 0}));
    EXPECT_EQ(t.weight, 250);

    print.lowerHalf = true;
    print.colorPrinting = true;
    t = DrawOne(print, {8, -5, 500, 30}, {"Arial", 250, 12, 4}, {190, 90, 60});
    EXPECT_EQ(t.rect, (TextRect{127, 3144, 3604, 3392}));  // 445 and 480 units down
    EXPECT_EQ(t.colour, (Rgb{190, 90, 60}));
}

// s = min(6360 / 500, 4800 / 900) = 5.3333...: the sheet keeps its shape on a landscape page.
TEST(DrawReportText, LandscapePageKeepsTheSheetsProportions) {
    const PrintState print{true, 6360, 4800, false, true};
    const DrawnText t = DrawOne(print, {8, 90, 1300, 800}, {"Arial", 250, 16, 6}, {0, 0, 240});
    EXPECT_EQ(t.height, 68);  // trunc(16 x 5.3333 x 0.8) = trunc(68.27)
    EXPECT_EQ(t.width, 25);   // trunc(25.6)
    EXPECT_EQ(t.rect, (TextRect{96, 522, 6986, 4309}));
    EXPECT_EQ(t.colour, (Rgb{0, 0, 240}));
}

TEST(DrawReportText, AbsurdPageSizesStayWithinInt) {
    const PrintState print{true, 2000000000, 2000000000, true, false};
    const DrawnText t = DrawOne(print, {8, 90, 1300, 800}, {"Arial", 250, 16, 6}, {});
    EXPECT_EQ(t.rect.right, std::numeric_limits<int>::max());
    EXPECT_GT(t.height, 0);
}

TEST(PlainTextMirror, NeverHoldsMoreThan2047Bytes) {
    PlainTextMirror mirror;
    mirror.Append(std::string(2000, 'a'));
    mirror.Append("\r\n");
    EXPECT_EQ(mirror.text.size(), 2002u);
    mirror.Append(std::string(100, 'b'));
    EXPECT_EQ(mirror.text.size(), kMirrorBytes - 1);
    EXPECT_EQ(mirror.text.back(), 'b');
    mirror.Append("more");
    EXPECT_EQ(mirror.text.size(), kMirrorBytes - 1);
}

}  // namespace
}  // namespace tarvella
