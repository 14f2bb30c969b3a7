#include "app/art.h"

#include <wx/bmpbndl.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <memory>

#include "art_svg.h"

namespace tarvella::app {
namespace {

constexpr int kSplashWidth = 479;
constexpr int kSplashHeight = 274;

wxIconBundle IconsFromSvg(const char* svg) {
    const wxBitmapBundle bundle = wxBitmapBundle::FromSVG(svg, wxSize(64, 64));
    wxIconBundle icons;
    for (int size : {16, 32, 48, 64, 128}) icons.AddIcon(bundle.GetIcon(wxSize(size, size)));
    return icons;
}

void DrawSplash(wxBitmap& picture) {
    wxMemoryDC dc(picture);
    dc.GradientFillLinear(wxRect(0, 0, kSplashWidth, kSplashHeight), wxColour(0x3b, 0x3f, 0x8f),
                          wxColour(0x14, 0x15, 0x3a), wxSOUTH);
    const wxBitmap sun =
        wxBitmapBundle::FromSVG(kApplicationSvg, wxSize(64, 64)).GetBitmap(wxSize(150, 150));
    dc.DrawBitmap(sun, 34, (kSplashHeight - 150) / 2, true);

    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (!gc) return;
    gc->SetFont(wxFontInfo(wxSize(0, 54)).FaceName("Liberation Serif").Bold(), *wxWHITE);
    gc->DrawText("Tarvella", 208, 78);
    gc->SetFont(wxFontInfo(wxSize(0, 17)).FaceName("Liberation Sans"), wxColour(0xc9, 0xb8, 0xff));
    gc->DrawText("Dasa periods by the Sun's transits", 210, 150);
    gc->SetFont(wxFontInfo(wxSize(0, 13)).FaceName("Liberation Sans"), wxColour(0x9a, 0x9c, 0xd0));
    gc->DrawText("Version 2.0", 210, 236);
}

}  // namespace

wxIconBundle ApplicationIcon() {
    return IconsFromSvg(kApplicationSvg);
}
wxIconBundle DocumentIcon() {
    return IconsFromSvg(kDocumentSvg);
}

wxBitmap SplashPicture() {
    wxBitmap picture(kSplashWidth, kSplashHeight, 24);
    DrawSplash(picture);
    return picture;
}

}  // namespace tarvella::app
