// Command ids of Tarvella's own commands; the framework's commands use wx's standard ids.
#pragma once

#include <wx/defs.h>

namespace tarvella::app {

// wx takes menu ids only below 32767, and reserves those up to wxID_HIGHEST for itself.
enum CommandId {
    ID_ENTER_DATA_BUTTON = wxID_HIGHEST + 100,
    ID_ENTER_DATA,
    ID_AYANAMSA,
    ID_COPY_PLAIN_TEXT,
    ID_EMAIL_SCREEN,
    ID_EMAIL_DATA_FILE,
    // Close and Exit: not wx's stock ids, which GTK would give its stock keys Ctrl+W and Ctrl+Q.
    ID_FILE_CLOSE,
    ID_APP_EXIT,
    ID_NEW_WINDOW,
    ID_VIEW_TOOLBAR,
    ID_VIEW_STATUS_BAR,
    ID_ZOOM_IN,
    ID_ZOOM_OUT,
    ID_ZOOM_ACTUAL,
    ID_EXPORT_PERIODS,
    ID_VIEW_SECONDS,
    ID_VIEW_PRECISE,
    ID_VIEW_TIMELINE,
    ID_EXPORT_TIMELINE,
};
static_assert(ID_EXPORT_TIMELINE < 0x7fff, "a menu id wx refuses");

}  // namespace tarvella::app
