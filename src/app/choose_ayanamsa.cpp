#include "app/choose_ayanamsa.h"

#include <wx/log.h>

#include "app/ayanamsa_dialog.h"
#include "document/chart_files.h"

bool ChooseAyanamsa(wxWindow* parent, tarvella::Session& session) {
    if (!RunAyanamsaDialog(parent, session.preferences)) return false;
    session.ApplyPreferences();
    // Every chart's Sun was placed under the old ayanamsa, and the periods are measured from it:
    // a window left with its old Sun would show times that belong to neither setting.
    session.Tell(tarvella::SessionChange::Ayanamsa);
    if (!tarvella::SavePreferences(session)) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.",
                   session.prefFilePath);
    }
    return true;
}
