// Where the main window opens: 600 wide, a quarter of the spare room from the screen's top-left,
// unless it comes back where the user left it.
#pragma once

namespace tarvella {

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The screen's rectangle given by its left, top, right and bottom edges.
WindowRect MainWindowGeometry(int left, int top, int right, int bottom);

// A window brought back where it was, made no larger than the screen and moved wholly onto it:
// the screen may have shrunk or moved since.
WindowRect ClampToScreen(WindowRect window, const WindowRect& screen);

}  // namespace tarvella
