#include "app/zone_dialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <vector>

#include "core/platform.h"
#include "zone/zone.h"

using namespace tarvella;

namespace {

std::string& PlacesProblem() {
    static std::string problem;
    return problem;
}

class CZoneDlg : public wxDialog {
  public:
    CZoneDlg(wxWindow* parent, const std::string& current)
        : wxDialog(parent, wxID_ANY, "Choose Place or Time Zone", wxDefaultPosition, wxDefaultSize,
                   wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
          zones_(zone::ListZones(zone::ZoneDatabase{})),
          atlas_(PlacesAtlas()) {
        const int gap = FromDIP(4);
        auto* top = new wxBoxSizer(wxVERTICAL);
        top->Add(new wxStaticText(this, wxID_ANY,
                                  "Search by town or city (places first), zone or country:"),
                 0, wxLEFT | wxRIGHT | wxTOP, 2 * gap);
        if (!atlas_) {
            auto* problem = new wxStaticText(
                this, wxID_ANY, wxString::FromUTF8("Places are not available: " + PlacesProblem()));
            problem->SetForegroundColour(wxColour(170, 0, 0));
            top->Add(problem, 0, wxLEFT | wxRIGHT | wxTOP, 2 * gap);
        }
        filter_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                                 wxTE_PROCESS_ENTER);
        top->Add(filter_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 2 * gap);
        list_ = new wxListBox(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(780, 320)));
        top->Add(list_, 1, wxEXPAND | wxALL, 2 * gap);
        top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 2 * gap);
        SetSizerAndFit(top);
        CentreOnParent();

        // A place picked before shows among the places of its name.
        const std::size_t comma = current.find(',');
        if (comma != std::string::npos)
            filter_->ChangeValue(wxString::FromUTF8(current.substr(0, comma)));
        Show(std::string(filter_->GetValue().utf8_str()));
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            if (shown_[i] == current) list_->SetSelection(static_cast<int>(i));
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
        shown_.clear();
        wxArrayString items;
        if (atlas_ && !text.empty()) {
            for (const places::Match& m : atlas_->Search(text)) {
                const places::Place p = atlas_->place(m.index);
                shown_.push_back(places::PlaceReference(p));
                items.Add(wxString::FromUTF8(places::CandidateText(p)));
            }
        }
        for (const zone::ZoneEntry& z : text.empty() ? zones_ : zone::FindZones(zones_, text)) {
            shown_.push_back(z.name);
            items.Add(wxString::FromUTF8(z.name + "  -  " + z.place +
                                         (z.countryNames.empty() ? "" : ", " + z.countryNames)));
        }
        list_->Set(items);
        if (!shown_.empty()) list_->SetSelection(0);
    }

    void Accept() {
        const int selected = list_->GetSelection();
        if (selected == wxNOT_FOUND) return;
        picked_ = shown_[static_cast<std::size_t>(selected)];
        EndModal(wxID_OK);
    }

    std::vector<zone::ZoneEntry> zones_;
    const places::Atlas* atlas_;
    std::vector<std::string> shown_;  // a place's reference or a zone's name, a line each
    wxTextCtrl* filter_;
    wxListBox* list_;
    std::string picked_;
};

}  // namespace

const places::Atlas* PlacesAtlas() {
    static const places::Atlas* atlas = [] {
        static places::Atlas loaded;
        const std::string path = places::PlacesFilePathFor(ExecutablePath());
        const places::PlacesStatus status = loaded.Open(path);
        PlacesProblem() = places::DescribeStatus(status, path, loaded);
        return status == places::PlacesStatus::Ok ? &loaded : nullptr;
    }();
    return atlas;
}

std::string ChooseZone(wxWindow* parent, const std::string& current) {
    CZoneDlg dialog(parent, current);
    if (dialog.ShowModal() != wxID_OK) return {};
    return dialog.Picked();
}
