#include "app/ayanamsa_dialog.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/dialog_buttons.h"

using namespace tarvella;

CAyanamsaDlg::CAyanamsaDlg(wxWindow* parent, const Preferences& preferences)
    : wxDialog(parent, wxID_ANY, "Choose Ayanamsa"), result_(preferences) {
    const AyanamsaForm form = AyanamsaFormFromPreferences(preferences);
    const int gap = FromDIP(4);
    const auto label = [&](const wxString& text, long style = 0) {
        return new wxStaticText(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, style);
    };
    const auto edit = [&](int id) {
        auto* t = new wxTextCtrl(this, id);
        t->SetInitialSize(t->GetSizeFromTextSize(t->GetTextExtent("-360.5").x));
        return t;
    };
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(label("Please choose the ayanamsa to be used.", wxALIGN_CENTER_HORIZONTAL), 0,
             wxALIGN_CENTER | wxLEFT | wxRIGHT | wxTOP, 2 * gap);
    top->Add(label("(When you restart the program, this ayanamsa will be\nremembered and used. If "
                   "you are just playing around,\nmake sure to change it back to whatever you "
                   "prefer.)",
                   wxALIGN_CENTER_HORIZONTAL),
             0, wxALIGN_CENTER | wxALL, 2 * gap);
    for (std::size_t i = 0; i < kAyanamsaChoices.size(); ++i) {
        choices_[i] =
            new wxRadioButton(this, kAyanamsaChoices[i].buttonId, kAyanamsaChoices[i].caption,
                              wxDefaultPosition, wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        top->Add(choices_[i], 0, wxLEFT | wxRIGHT | wxBOTTOM, 2 * gap);
        const int index = static_cast<int>(i);
        choices_[i]->Bind(wxEVT_RADIOBUTTON, [this, index](wxCommandEvent&) { OnChoice(index); });
    }
    top->Add(label("Deviation from Chitrapaksha (Lahiri) ayanamsa:"), 0, wxLEFT | wxRIGHT | wxTOP,
             2 * gap);
    auto* deviation = new wxBoxSizer(wxHORIZONTAL);
    degrees_ = edit(kDeviationDegrees);
    minutes_ = edit(kDeviationMinutes);
    seconds_ = edit(kDeviationSeconds);
    add_ = new wxRadioButton(this, 1001, "Add", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    subtract_ = new wxRadioButton(this, 1008, "Subtract");
    deviation->Add(degrees_, 0, wxALIGN_CENTER_VERTICAL);
    deviation->Add(label(wxString::FromUTF8("\xC2\xB0")), 0, wxALIGN_TOP | wxLEFT | wxRIGHT, gap);
    deviation->Add(minutes_, 0, wxALIGN_CENTER_VERTICAL);
    deviation->Add(label("'"), 0, wxALIGN_TOP | wxLEFT | wxRIGHT, gap);
    deviation->Add(seconds_, 0, wxALIGN_CENTER_VERTICAL);
    deviation->Add(label("\""), 0, wxALIGN_TOP | wxLEFT | wxRIGHT, gap);
    auto* sign = new wxBoxSizer(wxVERTICAL);
    sign->Add(add_);
    sign->Add(subtract_);
    deviation->Add(sign, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2 * gap);
    top->Add(deviation, 0, wxLEFT | wxRIGHT | wxTOP, 4 * gap);

    top->Add(OkCancelRow(*this, *choices_[form.choice]), 0, wxEXPAND | wxALL, 3 * gap);
    SetSizerAndFit(top);
    CentreOnParent();

    WriteControls(form);
    // Any change of the deviation makes the choice custom. The fields are read and checked only
    // on OK, so a text such as a lone minus sign can be typed on the way to "-5".
    for (wxTextCtrl* t : {degrees_, minutes_, seconds_}) {
        t->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnDeviationEdited(); });
    }
    for (wxRadioButton* r : {add_, subtract_}) {
        r->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnDeviationEdited(); });
    }
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&) {
            if (Exchange()) EndModal(wxID_OK);
        },
        wxID_OK);
}

AyanamsaForm CAyanamsaDlg::ReadControls() const {
    AyanamsaForm f;
    for (int i = 0; i < 8; ++i) {
        if (choices_[i]->GetValue()) f.choice = i;
    }
    f.signIndex = subtract_->GetValue() ? 1 : 0;
    f.degrees = degrees_->GetValue().utf8_str();
    f.arcMinutes = minutes_->GetValue().utf8_str();
    f.arcSeconds = seconds_->GetValue().utf8_str();
    return f;
}

// ChangeValue sends no text event, so writing the fields never turns the choice into custom.
void CAyanamsaDlg::WriteControls(const AyanamsaForm& f) {
    choices_[f.choice]->SetValue(true);
    (f.signIndex ? subtract_ : add_)->SetValue(true);
    degrees_->ChangeValue(wxString::FromUTF8(f.degrees));
    minutes_->ChangeValue(wxString::FromUTF8(f.arcMinutes));
    seconds_->ChangeValue(wxString::FromUTF8(f.arcSeconds));
}

void CAyanamsaDlg::OnChoice(int choice) {
    AyanamsaForm form = ReadControls();
    ApplyAyanamsaChoice(form, choice);
    WriteControls(form);
}

void CAyanamsaDlg::OnDeviationEdited() {
    choices_[kCustomChoice]->SetValue(true);
}

bool CAyanamsaDlg::Exchange() {
    const std::optional<FieldFailure> failure =
        PreferencesFromAyanamsaForm(ReadControls(), result_);
    if (!failure) return true;
    wxMessageBox(wxString::FromUTF8(failure->message), "Tarvella", wxOK | wxICON_EXCLAMATION, this);
    wxTextCtrl* field = failure->control == kDeviationDegrees   ? degrees_
                        : failure->control == kDeviationMinutes ? minutes_
                                                                : seconds_;
    field->SetFocus();
    field->SelectAll();
    return false;
}

bool RunAyanamsaDialog(wxWindow* parent, Preferences& preferences) {
    CAyanamsaDlg dialog(parent, preferences);
    if (dialog.ShowModal() != wxID_OK) return false;
    preferences = dialog.Result();
    return true;
}
