// A canvas that writes what is drawn on it as an SVG 1.1 document: the timeline's file for
// File > Export timeline and `tarvella-cli timeline`. Numbers are written without the locale, so
// every platform writes the same bytes.
#pragma once

#include <string>
#include <string_view>

#include "view/report_canvas.h"

namespace tarvella {

class SvgCanvas : public ReportCanvas {
  public:
    // A drawing of width x height pixels on a plain background.
    SvgCanvas(int width, int height, Rgb background = {255, 255, 255});

    void DrawText(std::string_view text, const TextRect& rect, int align, const ReportFont& font,
                  Rgb colour) override;
    void FillRect(const TextRect& rect, Rgb fill, Rgb outline, std::string_view title) override;
    void DrawLine(int x0, int y0, int x1, int y1, Rgb colour) override;

    // The whole document, closed; the canvas takes no more after it.
    std::string Finish();

  private:
    std::string svg_;
};

// Text with &, <, >, " and ' as XML's entities, and the characters that XML 1.0 cannot carry
// (controls other than tab and line ends, malformed UTF-8) as U+FFFD.
std::string XmlEscaped(std::string_view text);

}  // namespace tarvella
