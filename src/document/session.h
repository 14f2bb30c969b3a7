// The state that lives for the whole run and is shared by every window: the Sun table, the
// ayanamsa state, the preferences and the paths of the two data files. The application owns the
// one instance and passes it down.
#pragma once

#include <string>

#include "core/ayanamsa.h"
#include "core/sun_ephemeris.h"
#include "document/chart_data.h"

namespace tarvella {

struct Session {
    SunEphemeris ephemeris;
    Ayanamsa ayanamsa;
    Preferences preferences;
    std::string lastDataPath;
    std::string prefFilePath;
    bool showSeconds = false;  // View > Show seconds, for every window
    bool precise = false;      // View > Precise instants, for every window

    SunContext Sun() { return SunContext{ephemeris, ayanamsa, precise}; }

    // The computation reads the deviation from the ayanamsa state; call after the preferences
    // change.
    void ApplyPreferences() { ayanamsa.deviation = preferences.ayanamsaDeviation; }
};

}  // namespace tarvella
