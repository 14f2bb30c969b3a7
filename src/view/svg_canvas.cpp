#include "view/svg_canvas.h"

#include <charconv>

namespace tarvella {
namespace {

void PutInt(std::string& out, long long value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void PutAttribute(std::string& out, const char* name, long long value) {
    out += ' ';
    out += name;
    out += "=\"";
    PutInt(out, value);
    out += '"';
}

void PutColour(std::string& out, const char* name, Rgb c) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += ' ';
    out += name;
    out += "=\"#";
    for (int v : {c.red, c.green, c.blue}) {
        const int byte = v < 0 ? 0 : v > 255 ? 255 : v;
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    out += '"';
}

// The length of the well-formed UTF-8 sequence at the start of `s` that XML may carry, or 0.
std::size_t XmlCharLength(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    if (c < 0x80) return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' ? 1 : 0;
    std::size_t n = 0;
    char32_t code = 0;
    if (c >= 0xc2 && c <= 0xdf) {
        n = 2, code = c & 0x1f;
    } else if (c >= 0xe0 && c <= 0xef) {
        n = 3, code = c & 0x0f;
    } else if (c >= 0xf0 && c <= 0xf4) {
        n = 4, code = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xc0) != 0x80) return 0;
        code = code << 6 | (b(i) & 0x3f);
    }
    // Overlong forms, surrogates, beyond Unicode, and U+FFFE/U+FFFF are not characters of XML.
    const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (code < least || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff || code == 0xfffe ||
        code == 0xffff) {
        return 0;
    }
    return n;
}

}  // namespace

std::string XmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t n = XmlCharLength(text);
        if (n == 0) {
            out += "\xef\xbf\xbd";
            text.remove_prefix(1);
            continue;
        }
        switch (text.front()) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out.append(text.substr(0, n));
        }
        text.remove_prefix(n);
    }
    return out;
}

SvgCanvas::SvgCanvas(int width, int height, Rgb background) {
    svg_ =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    PutAttribute(svg_, "width", width);
    PutAttribute(svg_, "height", height);
    svg_ += " viewBox=\"0 0 ";
    PutInt(svg_, width);
    svg_ += ' ';
    PutInt(svg_, height);
    svg_ += "\" font-family=\"Arial, Liberation Sans, sans-serif\">\n<rect";
    PutAttribute(svg_, "width", width);
    PutAttribute(svg_, "height", height);
    PutColour(svg_, "fill", background);
    svg_ += "/>\n";
}

void SvgCanvas::DrawText(std::string_view text, const TextRect& rect, int align,
                         const ReportFont& font, Rgb colour) {
    // One line: a line end is a space here, as the layouts drawn this way never break lines.
    std::string line(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const int x = align == kAlignCentre  ? (rect.left + rect.right) / 2
                  : align == kAlignRight ? rect.right
                                         : rect.left;
    svg_ += "<text";
    PutAttribute(svg_, "x", x);
    // The baseline a font's ascent below the top, as a device draws text from its top.
    PutAttribute(svg_, "y", rect.top + font.height * 4 / 5);
    PutAttribute(svg_, "font-size", font.height);
    if (font.weight >= 600) svg_ += " font-weight=\"bold\"";
    if (align == kAlignCentre) svg_ += " text-anchor=\"middle\"";
    if (align == kAlignRight) svg_ += " text-anchor=\"end\"";
    PutColour(svg_, "fill", colour);
    svg_ += '>';
    svg_ += XmlEscaped(line);
    svg_ += "</text>\n";
}

void SvgCanvas::FillRect(const TextRect& rect, Rgb fill, Rgb outline, std::string_view title) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    const bool outlined = !(outline == fill) && width > 1 && height > 1;
    // An outline 1 pixel wide inside the rectangle: its centre half a pixel in.
    svg_ += "<rect";
    PutAttribute(svg_, "x", rect.left);
    PutAttribute(svg_, "y", rect.top);
    PutAttribute(svg_, "width", outlined ? width - 1 : width);
    PutAttribute(svg_, "height", outlined ? height - 1 : height);
    PutColour(svg_, "fill", fill);
    if (outlined) {
        PutColour(svg_, "stroke", outline);
        svg_ += " transform=\"translate(0.5 0.5)\"";
    }
    if (title.empty()) {
        svg_ += "/>\n";
        return;
    }
    svg_ += "><title>";
    svg_ += XmlEscaped(title);
    svg_ += "</title></rect>\n";
}

void SvgCanvas::DrawLine(int x0, int y0, int x1, int y1, Rgb colour) {
    svg_ += "<line";
    PutAttribute(svg_, "x1", x0);
    PutAttribute(svg_, "y1", y0);
    PutAttribute(svg_, "x2", x1);
    PutAttribute(svg_, "y2", y1);
    PutColour(svg_, "stroke", colour);
    svg_ += " stroke-width=\"1\" transform=\"translate(0.5 0.5)\"/>\n";
}

std::string SvgCanvas::Finish() {
    std::string done = std::move(svg_);
    done += "</svg>\n";
    svg_.clear();
    return done;
}

}  // namespace tarvella
