// "Settings for printing": colour or black, the current level or every level from the ADs down.
#pragma once

#include "document/session.h"

#include "document/chart_data.h"

class wxWindow;

// Shows the dialog with the options in force; on OK stores them and returns true. Cancel keeps
// them; printing goes on either way.
bool RunPrintSettingsDialog(wxWindow* parent, tarvella::Preferences& preferences);

// The dialog over the session's preferences, which are saved when it is confirmed (a failure to
// save is told).
void AskPrintSettings(wxWindow* parent, tarvella::Session& session);
