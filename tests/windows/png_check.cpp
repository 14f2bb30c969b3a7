// png_check OUT.png: wxImage writes a PNG and reads it back with the wxWidgets that tarvella.exe
// links. Without libpng and zlib in that build there is no PNG handler to write with.
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/init.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: png_check OUT.png\n");
        return 2;
    }
    wxInitializer init;
    if (!init.IsOk()) return 1;
    wxImage::AddHandler(new wxPNGHandler);
    // An odd width, so that rows are not whole words, and alpha, which PNG keeps and BMP not.
    constexpr int kWidth = 67, kHeight = 45;
    wxImage image(kWidth, kHeight);
    image.SetAlpha();
    const auto red = [](int x, int y) { return static_cast<unsigned char>(x * 3 + y); };
    const auto alpha = [](int x, int y) { return static_cast<unsigned char>((x * y) % 256); };
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            image.SetRGB(x, y, red(x, y), static_cast<unsigned char>(y * 5), 200);
            image.SetAlpha(x, y, alpha(x, y));
        }
    }
    const wxString path = wxString::FromUTF8(argv[1]);
    if (!image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "png_check: cannot write %s\n", argv[1]);
        return 1;
    }
    wxImage back;
    if (!back.LoadFile(path, wxBITMAP_TYPE_PNG) || back.GetWidth() != kWidth ||
        back.GetHeight() != kHeight || !back.HasAlpha()) {
        std::fprintf(stderr, "png_check: cannot read %s back\n", argv[1]);
        return 1;
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (back.GetRed(x, y) != red(x, y) || back.GetGreen(x, y) != y * 5 ||
                back.GetBlue(x, y) != 200 || back.GetAlpha(x, y) != alpha(x, y)) {
                std::fprintf(stderr, "png_check: pixel %d,%d differs when read back\n", x, y);
                return 1;
            }
        }
    }
    std::printf("%dx%d RGBA written and read back\n", kWidth, kHeight);
    return 0;
}
