#include "view/report_canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvella {
namespace {

// Toward zero, held within int so that no page size can make the conversion undefined.
int Trunc(double x) {
    if (std::isnan(x)) return 0;
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    return static_cast<int>(std::clamp(std::trunc(x), kMin, kMax));
}

}  // namespace

void DrawReportText(ReportCanvas& canvas, const PrintState& print, std::string_view text,
                    TextRect rect, int align, ReportFont font, Rgb colour) {
    if (print.printing) {
        const double right = 10.0, down = print.lowerHalf ? 450.0 : 8.0;
        // The sheet is 500 x 900 report units whichever way the page lies.
        const double s =
            std::min(print.pageWidth * 0.002, print.pageHeight * 0.0022222222222222222 * 0.5);
        font.height = Trunc(font.height * s * 0.8);
        font.width = Trunc(font.width * s * 0.8);
        rect = {Trunc((rect.left + right) * s), Trunc((rect.top + down) * s),
                Trunc((rect.right + right) * s), Trunc((rect.bottom + down) * s)};
        if (!print.colorPrinting) colour = {};
    }
    canvas.DrawText(text, rect, align, font, colour);
}

}  // namespace tarvella
