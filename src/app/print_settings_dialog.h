// "Settings for printing": colour or black, the current level or every level from the ADs down.
#pragma once

#include "document/chart_data.h"

class wxWindow;

// Shows the dialog with the options in force; on OK stores them and returns true. Cancel keeps
// them; printing goes on either way.
bool RunPrintSettingsDialog(wxWindow* parent, tarvella::Preferences& preferences);
