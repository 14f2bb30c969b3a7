// Draws the report's texts on a wx device context: the screen, the printer's page and the
// preview alike. The average character width is honoured on Windows, whose fonts take one;
// elsewhere it is left to the face: Pango has no per-font horizontal scale, and Arial's own width
// is close to what the report asks for. A font or colour is set only when it changes: on GTK each
// setting builds a new Pango font, which would take most of a repaint.
#pragma once

#include <wx/dc.h>

#include <string>
#include <string_view>

#include "view/report_canvas.h"

class DcReportCanvas final : public tarvella::ReportCanvas {
  public:
    // With `measureExtent`, it also finds how far the texts reach, at some cost in speed.
    explicit DcReportCanvas(wxDC& dc, bool measureExtent = false)
        : dc_(dc), measureExtent_(measureExtent) {}

    // The right and bottom edges of everything drawn, in report units.
    wxSize Extent() const { return extent_; }

    void DrawText(std::string_view text, const tarvella::TextRect& r, int align,
                  const tarvella::ReportFont& font, tarvella::Rgb colour) override;
    void FillRect(const tarvella::TextRect& r, tarvella::Rgb fill, tarvella::Rgb outline,
                  std::string_view title) override;
    void DrawLine(int x0, int y0, int x1, int y1, tarvella::Rgb colour) override;

  private:
    struct FontKey {
        std::string face;
        int weight = -1;
        int height = -1;
        int width = -1;
        bool operator==(const FontKey&) const = default;
    };
    wxDC& dc_;
    bool measureExtent_;
    wxSize extent_{0, 0};
    FontKey font_;
    int lineHeight_ = 0;
    tarvella::Rgb colour_{-1, -1, -1};
};
