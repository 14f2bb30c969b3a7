// The state that lives for the whole run and is shared by every window: the Sun table, the
// ayanamsa state, the preferences and the paths of the two data files. The application owns the
// one instance and passes it down.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/ayanamsa.h"
#include "core/sun_ephemeris.h"
#include "document/chart_data.h"

namespace tarvella {

// What changed for every window at once.
enum class SessionChange { Ayanamsa, ShowSeconds, Precise, Timeline, Clock };

struct Session {
    SunEphemeris ephemeris;
    Ayanamsa ayanamsa;
    Preferences preferences;
    std::string lastDataPath;
    std::string prefFilePath;
    bool showSeconds = false;  // View > Show seconds, for every window
    bool precise = false;      // View > Precise instants, for every window
    bool timeline = false;     // View > Timeline, for every window
    // Set when a signal asks the program to end: long work under way gives up as by Cancel.
    bool ending = false;
    // Long work under way that lets the event loop run (an export): the end waits for it.
    int busy = 0;
    // The list of folders that writes went to, so that a run killed while writing leaves no
    // temporary file that a later start does not find; empty: none is kept.
    std::string writeFoldersPath;

    SunContext Sun() { return SunContext{ephemeris, ayanamsa, precise}; }

    // Read from the preference file once a run: a window opened later must not bring back a
    // file that an unsaved change left behind.
    bool preferencesRead = false;
    // Told of every change that all windows must follow; the application registers them, since
    // the session knows no window.
    std::vector<std::function<void(SessionChange)>> listeners;

    // The computation reads the deviation from the ayanamsa state; call after the preferences
    // change.
    void ApplyPreferences() { ayanamsa.deviation = preferences.ayanamsaDeviation; }
    void Tell(SessionChange change) {
        for (const auto& listener : listeners) listener(change);
    }
};

}  // namespace tarvella
