// Ayanamsa > Set ayanamsa, for every window at once.
#pragma once

#include "document/session.h"

class wxWindow;

// The dialog over the session's preferences; once confirmed, the session tells every window
// (whose Sun and periods follow) and the preferences are saved, or the failure said. False when
// cancelled.
bool ChooseAyanamsa(wxWindow* parent, tarvella::Session& session);
