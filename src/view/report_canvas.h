// The one seam between the report layout and any device (screen, printer, tests), the routine
// through which every report text is drawn, and the bounded plain text of a report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvella {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct TextRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const TextRect&) const = default;
};

// Alignment flags of a text within its rectangle.
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignCentre = 1;
inline constexpr int kAlignRight = 2;

// A font by face, weight (0..1000), height and average character width, in device units.
struct ReportFont {
    std::string_view face;
    int weight = 0;
    int height = 0;
    int width = 0;
};

// One call per text. A CR LF pair in the text starts a new line; output is clipped to the
// rectangle. Rectangles and lines are for drawings beyond the report's texts (the timeline); a
// canvas that only ever draws reports need not draw them.
class ReportCanvas {
  public:
    virtual ~ReportCanvas() = default;
    virtual void DrawText(std::string_view text, const TextRect& rect, int align,
                          const ReportFont& font, Rgb colour) = 0;
    // Filled, with a 1-pixel outline inside the rectangle (right and bottom exclusive); `title`
    // names what it shows, for a device that can tell it on hover.
    virtual void FillRect(const TextRect& /*rect*/, Rgb /*fill*/, Rgb /*outline*/,
                          std::string_view /*title*/) {}
    // 1 pixel wide, both ends included.
    virtual void DrawLine(int /*x0*/, int /*y0*/, int /*x1*/, int /*y1*/, Rgb /*colour*/) {}
};

// For timing the layout alone.
class NullCanvas : public ReportCanvas {
  public:
    void DrawText(std::string_view, const TextRect&, int, const ReportFont&, Rgb) override {}
};

struct DrawnText {
    std::string text;
    TextRect rect;
    int align = kAlignLeft;
    std::string face;
    int weight = 0;
    int height = 0;
    int width = 0;
    Rgb colour;
};

struct DrawnRect {
    TextRect rect;
    Rgb fill;
    Rgb outline;
    std::string title;
};

struct DrawnLine {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    Rgb colour;
};

// Keeps every call, for tests.
class RecordingCanvas : public ReportCanvas {
  public:
    void DrawText(std::string_view text, const TextRect& rect, int align, const ReportFont& font,
                  Rgb colour) override {
        texts.push_back({std::string(text), rect, align, std::string(font.face), font.weight,
                         font.height, font.width, colour});
    }
    void FillRect(const TextRect& rect, Rgb fill, Rgb outline, std::string_view title) override {
        rects.push_back({rect, fill, outline, std::string(title)});
    }
    void DrawLine(int x0, int y0, int x1, int y1, Rgb colour) override {
        lines.push_back({x0, y0, x1, y1, colour});
    }
    std::vector<DrawnText> texts;
    std::vector<DrawnRect> rects;
    std::vector<DrawnLine> lines;
};

// While `printing`, texts are moved onto a 500 x 900 unit sheet fitted to the page.
struct PrintState {
    bool printing = false;
    int pageWidth = 0;  // device pixels
    int pageHeight = 0;
    bool lowerHalf = false;
    bool colorPrinting = false;
};

// Draws one text; in print mode maps the rectangle and font onto the page and, without colour
// printing, draws black.
void DrawReportText(ReportCanvas& canvas, const PrintState& print, std::string_view text,
                    TextRect rect, int align, ReportFont font, Rgb colour);

// The report as plain text, for the clipboard and mail: room for 2048 bytes with the terminating
// zero that the copies carry, so at most 2047 bytes of text; what would not fit is dropped.
inline constexpr std::size_t kMirrorBytes = 2048;

struct PlainTextMirror {
    std::string text;
    void Append(std::string_view t) {
        const std::size_t room = kMirrorBytes - 1 - text.size();
        text.append(t.substr(0, room));
    }
};

}  // namespace tarvella
