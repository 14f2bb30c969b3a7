// Windows: no signals end the program there, and wx runs every dialog in its own modal loop.
#include "app/orvo_app.h"
#include "app/platform_shell.h"

#include <wx/menu.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

void EndNativeDialog(wxDialog&) {}

void IgnoreFileSizeLimitSignal() {}

void COrvoApp::HandleEndSignals() {}

long MainFrameStyle() {
    return wxDEFAULT_FRAME_STYLE | wxFRAME_NO_WINDOW_MENU;
}

// Windows' child windows are windows; the parent frame handles these commands.
void AddWindowArrangement(wxMenu* window) {
    window->Append(wxID_MDI_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap");
    window->Append(wxID_MDI_WINDOW_TILE_HORZ, "&Tile", "Arrange windows as non-overlapping tiles");
    window->Append(wxID_MDI_WINDOW_ARRANGE_ICONS, "&Arrange Icons",
                   "Arrange icons at the bottom of the window");
}

int KeyLockStates() {
    const wxKeyCode keys[] = {WXK_CAPITAL, WXK_NUMLOCK, WXK_SCROLL};
    int states = 0;
    for (int i = 0; i < 3; ++i) states |= (wxGetKeyState(keys[i]) ? 1 : 0) << i;
    return states;
}

int FontWidthToAsk(int reportWidth) {
    return reportWidth;
}
