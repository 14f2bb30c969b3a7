// Command ids of Tarvella's own commands; the framework's commands use wx's standard ids.
#pragma once

namespace tarvella::app {

enum CommandId {
    ID_ENTER_DATA_BUTTON = 32771,
    ID_ENTER_DATA = 32772,
    ID_AYANAMSA = 32773,
    ID_COPY_PLAIN_TEXT = 32775,
    ID_EMAIL_SCREEN = 32777,
    ID_EMAIL_DATA_FILE = 57612,
    // Close and Exit: not wx's stock ids, which GTK would give its stock keys Ctrl+W and Ctrl+Q.
    ID_FILE_CLOSE = 57602,
    ID_APP_EXIT = 57665,
    ID_NEW_WINDOW = 57648,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

}  // namespace tarvella::app
