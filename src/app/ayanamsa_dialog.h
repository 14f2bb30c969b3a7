// "Choose Ayanamsa": the eight choices and the deviation from Lahiri.
#pragma once

#include <wx/dialog.h>

#include "document/field_exchange.h"

class wxRadioButton;
class wxTextCtrl;

class CAyanamsaDlg : public wxDialog {
  public:
    CAyanamsaDlg(wxWindow* parent, const tarvella::Preferences& preferences);

    const tarvella::Preferences& Result() const { return result_; }

  private:
    tarvella::AyanamsaForm ReadControls() const;
    void WriteControls(const tarvella::AyanamsaForm& form);
    void OnChoice(int choice);
    void OnDeviationEdited();
    bool Exchange();

    tarvella::Preferences result_;
    wxRadioButton* choices_[8];
    wxRadioButton *add_, *subtract_;
    wxTextCtrl *degrees_, *minutes_, *seconds_;
};

// Shows the dialog; on OK stores the choice and deviation in the preferences and returns true.
bool RunAyanamsaDialog(wxWindow* parent, tarvella::Preferences& preferences);
