// POSIX and GTK: the signals that end the program, and the dialogs GTK runs itself.
#include <X11/XKBlib.h>
#include <glib-object.h>
#include <signal.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/toplevel.h>
#include <wx/utils.h>
// Xlib's macro for int would turn wx's Status names into nonsense.
#undef Status

#include <csignal>

#include "app/orvo_app.h"
#include "app/platform_shell.h"

namespace {

// GTK's GTK_RESPONSE_CANCEL: ends a dialog that GTK runs itself, as its Cancel button would.
constexpr int kGtkResponseCancel = -6;

}  // namespace

void EndNativeDialog(wxDialog& dialog) {
    auto* widget = static_cast<GObject*>(static_cast<void*>(dialog.GetHandle()));
    // Message boxes and the like, run by GTK outside wx's modal loop.
    if (widget && g_signal_lookup("response", G_OBJECT_TYPE(widget)) != 0) {
        g_signal_emit_by_name(widget, "response", kGtkResponseCancel);
    }
}

void IgnoreFileSizeLimitSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

// A signal to end closes the program as Exit does, from the event loop. Signals ignored when the
// program started (as under nohup) stay ignored.
void COrvoApp::HandleEndSignals() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        SetSignalHandler(signal, &COrvoApp::OnEndSignal);
    }
}

long MainFrameStyle() {
    return wxDEFAULT_FRAME_STYLE;
}

// The tabs of GTK need no cascading, tiling or arranging.
void AddWindowArrangement(wxMenu*) {}

int KeyLockStates() {
    const wxDisplayInfo info = wxGetDisplayInfo();
    if (info.type != wxDisplayX11) return 0;
    auto* display = static_cast<Display*>(info.dpy);
    const char* const indicators[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    int states = 0;
    for (int i = 0; i < 3; ++i) {
        Bool on = False;
        const Atom atom = XInternAtom(display, indicators[i], True);
        if (atom != None) XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr);
        states |= (on ? 1 : 0) << i;
    }
    return states;
}

int FontWidthToAsk(int) {
    return 0;
}
