// Windows: no signals end the program there, and wx runs every dialog in its own modal loop.
#include "app/orvo_app.h"
#include "app/platform_shell.h"

void EndNativeDialog(wxDialog&) {}

void IgnoreFileSizeLimitSignal() {}

void COrvoApp::HandleEndSignals() {}
