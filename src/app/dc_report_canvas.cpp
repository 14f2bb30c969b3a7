#include "app/dc_report_canvas.h"

#include "app/platform_shell.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

using namespace tarvella;

// A font height is the whole cell, ascent plus descent, as the report's metrics assume; Pango
// sizes the em, and Arial's cell is 2288/2048 of its em.
int EmPixels(int cellHeight) {
    return static_cast<int>(std::lround(cellHeight * 2048.0 / 2288.0));
}

// Through the graphics state where the DC has one: a DC's own clipping region, once
// destroyed, leaves the DC clipped to its size, and the context of a PDF page has none.
class ClipTo {
  public:
    ClipTo(wxDC& dc, const wxRect& rect) : gc_(dc.GetGraphicsContext()) {
        if (gc_) {
            gc_->PushState();
            gc_->Clip(rect.x, rect.y, rect.width, rect.height);
        } else {
            clipper_.emplace(dc, rect);
        }
    }
    ~ClipTo() {
        if (gc_) gc_->PopState();
    }
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;

  private:
    wxGraphicsContext* gc_;
    std::optional<wxDCClipper> clipper_;
};

}  // namespace

void DcReportCanvas::DrawText(std::string_view text, const TextRect& r, int align,
                              const ReportFont& font, Rgb colour) {
    const int width = FontWidthToAsk(font.width);
    const FontKey key{std::string(font.face), font.weight, font.height, width};
    if (key != font_) {
        font_ = key;
        dc_.SetFont(wxFont(wxFontInfo(wxSize(width, EmPixels(font.height)))
                               .FaceName(wxString(font.face.data(), font.face.size()))
                               .Weight(font.weight)));
        lineHeight_ = dc_.GetCharHeight();
    }
    if (colour != colour_) {
        colour_ = colour;
        dc_.SetTextForeground(wxColour(colour.red, colour.green, colour.blue));
    }
    // One DrawText per line, each aligned in the rectangle and clipped to it.
    const wxRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    const ClipTo clip(dc_, rect);
    int y = rect.y;
    for (std::size_t begin = 0; begin <= text.size() && y < rect.GetBottom();) {
        std::size_t end = text.find("\r\n", begin);
        if (end == std::string_view::npos) end = text.size();
        if (end > begin) {
            wxString line = wxString::FromUTF8(text.data() + begin, end - begin);
            if (line.empty()) line = wxString::From8BitData(text.data() + begin, end - begin);
            int x = rect.x;
            const bool measure = align != kAlignLeft || measureExtent_;
            const int width = measure ? dc_.GetTextExtent(line).x : 0;
            if (align != kAlignLeft) {
                x += align == kAlignCentre ? (rect.width - width) / 2 : rect.width - width;
            }
            dc_.DrawText(line, x, y);
            if (measureExtent_) {
                extent_.x = std::max(extent_.x, std::min(x + width, rect.GetRight() + 1));
                extent_.y = std::max(extent_.y, std::min(y + lineHeight_, rect.GetBottom() + 1));
            }
        }
        begin = end + 2;
        y += lineHeight_;
    }
}

void DcReportCanvas::FillRect(const TextRect& r, Rgb fill, Rgb outline, std::string_view) {
    dc_.SetPen(wxPen(wxColour(outline.red, outline.green, outline.blue), 1));
    dc_.SetBrush(wxBrush(wxColour(fill.red, fill.green, fill.blue)));
    dc_.DrawRectangle(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void DcReportCanvas::DrawLine(int x0, int y0, int x1, int y1, Rgb colour) {
    dc_.SetPen(wxPen(wxColour(colour.red, colour.green, colour.blue), 1));
    dc_.DrawLine(x0, y0, x1, y1);
    dc_.DrawPoint(x1, y1);  // wx leaves the last point out
}
