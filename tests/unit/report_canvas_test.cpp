#include "view/report_canvas.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarvella {
namespace {

// The page heading's box (8, -5, 500, 30) and 12/4 font on a printed page.
TEST(DrawReportText, PrintingMovesAndScalesOntoThePage) {
    struct Case {
        PrintState print;
        TextRect rect;
        int height, width;
        Rgb colour;
    };
    const Case cases[] = {
        // s = min(9.6, 7.0666): the height limits a portrait page; 12 x s x 0.8 = 67.84.
        {{true, 4800, 6360, false, false}, {127, 21, 3604, 268}, 67, 22, {}},
        {{true, 4800, 6360, true, true}, {127, 3144, 3604, 3392}, 67, 22, {190, 90, 60}},
        // s = min(12.72, 5.3333): the sheet keeps its shape on a landscape page.
        {{true, 6360, 4800, false, true}, {96, 16, 2720, 202}, 51, 17, {190, 90, 60}},
        {{false, 6360, 4800, true, false}, {8, -5, 500, 30}, 12, 4, {190, 90, 60}},
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas;
        DrawReportText(canvas, c.print, "x", {8, -5, 500, 30}, kAlignRight, {"Arial", 250, 12, 4},
                       {190, 90, 60});
        const DrawnText& t = canvas.texts.at(0);
        EXPECT_EQ(t.rect, c.rect) << c.print.pageWidth;
        EXPECT_EQ(t.height, c.height);
        EXPECT_EQ(t.width, c.width);
        EXPECT_EQ(t.colour, c.colour);
        EXPECT_EQ(t.align, kAlignRight);
        EXPECT_EQ(t.weight, 250);
    }
    // A page no printer has still gives ints.
    RecordingCanvas canvas;
    DrawReportText(canvas, {true, INT_MAX, INT_MAX, true, false}, "x", {8, 90, 1300, 800}, 0,
                   {"Arial", 250, 16, 6}, {});
    EXPECT_EQ(canvas.texts.at(0).rect.right, INT_MAX);
}

TEST(PlainTextMirror, NeverHoldsMoreThan2047Bytes) {
    PlainTextMirror mirror;
    mirror.Append(std::string(2000, 'a'));
    EXPECT_EQ(mirror.text.size(), 2000u);
    mirror.Append(std::string(100, 'b'));
    mirror.Append("more");
    EXPECT_EQ(mirror.text.size(), kMirrorBytes - 1);
    EXPECT_EQ(mirror.text.back(), 'b');
}

}  // namespace
}  // namespace tarvella
