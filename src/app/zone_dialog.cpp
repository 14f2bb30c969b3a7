#include "app/zone_dialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <vector>

#include "zone/zone.h"

using namespace tarvella;

namespace {

class CZoneDlg : public wxDialog {
  public:
    CZoneDlg(wxWindow* parent, const std::string& current)
        : wxDialog(parent, wxID_ANY, "Choose Time Zone", wxDefaultPosition, wxDefaultSize,
                   wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
          zones_(zone::ListZones(zone::ZoneDatabase{})) {
        const int gap = FromDIP(4);
        auto* top = new wxBoxSizer(wxVERTICAL);
        top->Add(new wxStaticText(this, wxID_ANY, "Search by zone, place or country:"), 0,
                 wxLEFT | wxRIGHT | wxTOP, 2 * gap);
        filter_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                                 wxTE_PROCESS_ENTER);
        top->Add(filter_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 2 * gap);
        list_ = new wxListBox(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(480, 320)));
        top->Add(list_, 1, wxEXPAND | wxALL, 2 * gap);
        top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 2 * gap);
        SetSizerAndFit(top);
        CentreOnParent();

        Show("");
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            if (shown_[i].name == current) list_->SetSelection(static_cast<int>(i));
        }
        filter_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
            Show(std::string(filter_->GetValue().utf8_str()));
        });
        // Return in the search field takes the zone shown first, or the one selected.
        filter_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Accept(); });
        list_->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { Accept(); });
        Bind(
            wxEVT_BUTTON, [this](wxCommandEvent&) { Accept(); }, wxID_OK);
        filter_->SetFocus();
    }

    const std::string& Picked() const { return picked_; }

  private:
    void Show(const std::string& text) {
        shown_ = text.empty() ? zones_ : zone::FindZones(zones_, text);
        wxArrayString items;
        for (const zone::ZoneEntry& z : shown_) {
            items.Add(wxString::FromUTF8(z.name + "  -  " + z.place +
                                         (z.countryNames.empty() ? "" : ", " + z.countryNames)));
        }
        list_->Set(items);
        if (!shown_.empty()) list_->SetSelection(0);
    }

    void Accept() {
        const int selected = list_->GetSelection();
        if (selected == wxNOT_FOUND) return;
        picked_ = shown_[static_cast<std::size_t>(selected)].name;
        EndModal(wxID_OK);
    }

    std::vector<zone::ZoneEntry> zones_;
    std::vector<zone::ZoneEntry> shown_;
    wxTextCtrl* filter_;
    wxListBox* list_;
    std::string picked_;
};

}  // namespace

std::string ChooseZone(wxWindow* parent, const std::string& current) {
    CZoneDlg dialog(parent, current);
    if (dialog.ShowModal() != wxID_OK) return {};
    return dialog.Picked();
}
