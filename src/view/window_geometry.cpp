#include "view/window_geometry.h"

#include <algorithm>

namespace tarvella {
namespace {

// One axis: the window starts a quarter of the spare room in and its far edge comes three
// quarters of it back, each share truncated toward zero, so an odd spare adds a pixel.
void Place(int lo, int hi, int target, int& start, int& length) {
    const int span = hi - lo;
    if (span >= target) {
        start = lo + (span - target) / 4;
        length = hi + ((target - span) * 3) / 4 - start;
    } else {
        start = lo;
        length = span;
    }
}

}  // namespace

WindowRect MainWindowGeometry(int left, int top, int right, int bottom) {
    const int width = right - left;
    const int height = bottom - top;
    const int targetHeight = (width > 800 || height > 600) ? 600 : 550;
    WindowRect r;
    Place(left, right, 600, r.x, r.width);
    Place(top, bottom, targetHeight, r.y, r.height);
    return r;
}

WindowRect ClampToScreen(WindowRect w, const WindowRect& screen) {
    w.width = std::clamp(w.width, 1, std::max(1, screen.width));
    w.height = std::clamp(w.height, 1, std::max(1, screen.height));
    w.x = std::clamp(w.x, screen.x, screen.x + screen.width - w.width);
    w.y = std::clamp(w.y, screen.y, screen.y + screen.height - w.height);
    return w;
}

}  // namespace tarvella
