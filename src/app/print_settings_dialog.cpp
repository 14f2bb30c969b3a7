#include "app/print_settings_dialog.h"

#include "document/chart_files.h"

#include <wx/log.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

bool RunPrintSettingsDialog(wxWindow* parent, tarvella::Preferences& preferences) {
    wxDialog dialog(parent, wxID_ANY, "Settings for printing");
    const int gap = dialog.FromDIP(4);
    auto* top = new wxBoxSizer(wxVERTICAL);
    // OK comes first in the Tab order, so it has the focus when the dialog opens.
    auto* ok = new wxButton(&dialog, wxID_OK, "OK");
    auto* color = new wxCheckBox(&dialog, 1012, "Use color printing");
    auto* colorNote = new wxStaticText(&dialog, wxID_ANY,
                                       "If you use this on some printers, printout may look dull.");
    auto* all =
        new wxCheckBox(&dialog, 1015, "Print from antardasa level to the currently selected level");
    auto* allNote = new wxStaticText(&dialog, wxID_ANY,
                                     "If you just want the current screen and not all the higher "
                                     "levels, uncheck this.");
    auto* cancel = new wxButton(&dialog, wxID_CANCEL, "Cancel");
    auto* cancelNote = new wxStaticText(
        &dialog, wxID_ANY,
        "If you press \"Cancel\", the settings stay as they were.\nPrinting/print preview is not "
        "cancelled.",
        wxDefaultPosition, wxDefaultSize, wxALIGN_CENTER_HORIZONTAL);
    color->SetValue(preferences.colorPrinting == 1);
    all->SetValue(preferences.printAllLevels == 1);
    allNote->Wrap(dialog.FromDIP(360));
    top->Add(color, 0, wxLEFT | wxRIGHT | wxTOP, 6 * gap);
    top->Add(colorNote, 0, wxLEFT | wxRIGHT, 9 * gap);
    top->Add(all, 0, wxLEFT | wxRIGHT | wxTOP, 6 * gap);
    top->Add(allNote, 0, wxLEFT | wxRIGHT, 9 * gap);
    top->Add(cancelNote, 0, wxALIGN_CENTER | wxALL, 6 * gap);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(ok, 0, wxRIGHT, 12 * gap);
    buttons->Add(cancel);
    top->Add(buttons, 0, wxALIGN_CENTER | wxBOTTOM, 4 * gap);
    ok->SetDefault();
    ok->SetFocus();
    dialog.SetSizerAndFit(top);
    dialog.CentreOnParent();
    if (dialog.ShowModal() != wxID_OK) return false;
    preferences.printAllLevels = all->GetValue() ? 1 : 0;
    preferences.colorPrinting = color->GetValue() ? 1 : 0;
    return true;
}

void AskPrintSettings(wxWindow* parent, tarvella::Session& session) {
    if (RunPrintSettingsDialog(parent, session.preferences) &&
        !tarvella::SavePreferences(session)) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.",
                   session.prefFilePath);
    }
}
