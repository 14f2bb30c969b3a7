#include "app/data_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <optional>

#include "app/dialog_buttons.h"
#include "app/zone_dialog.h"
#include "engine/division.h"

using namespace tarvella;

namespace {

const char* const kMonthNames[12] = {"January",   "February", "March",    "April",
                                     "May",       "June",     "July",     "August",
                                     "September", "October",  "November", "December"};

wxArrayString Items(const char* const* names, int count) {
    wxArrayString items;
    for (int i = 0; i < count; ++i) items.Add(names[i]);
    return items;
}

wxArrayString YearItems() {
    wxArrayString items;
    items.Add("1 year");
    for (int i = 2; i <= 12; ++i) items.Add(wxString::Format("%d years", i));
    return items;
}

// The month list that belongs with a day field.
int MonthId(int dayId) {
    return dayId == kBirthDay ? kBirthMonth : kEventMonth;
}

}  // namespace

CDataDlg::CDataDlg(wxWindow* parent, const ChartData& chart, const ZoneNames& names,
                   EventNote eventNote)
    : wxDialog(parent, wxID_ANY, "Enter Data"), result_(chart), eventNote_(std::move(eventNote)) {
    const DataEntryForm form = FormFromChart(chart);
    const wxArrayString months = Items(kMonthNames, 12);
    const wxArrayString ordinals = Items(OrdinalNames.data(), 12);
    // A field wide enough for its longest value at the dialog's font.
    const auto edit = [&](int id, const std::string& text, int chars) {
        auto* t = new wxTextCtrl(this, id, wxString::FromUTF8(text));
        t->SetInitialSize(t->GetSizeFromTextSize(t->GetTextExtent(wxString('0', chars)).x));
        edits_[id] = t;
        return t;
    };
    const auto label = [&](const wxString& text) { return new wxStaticText(this, wxID_ANY, text); };
    const auto choice = [&](int id, const wxArrayString& items, int selection) {
        auto* c = new wxChoice(this, id, wxDefaultPosition, wxDefaultSize, items);
        c->SetSelection(selection);
        return c;
    };
    const int gap = FromDIP(4);
    auto* top = new wxBoxSizer(wxVERTICAL);
    const auto row = [&]() {
        auto* r = new wxBoxSizer(wxHORIZONTAL);
        top->Add(r, 0, wxLEFT | wxRIGHT | wxTOP, 2 * gap);
        return r;
    };
    const auto put = [&](wxSizer* s, wxWindow* w) {
        s->Add(w, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    };
    const auto eastWest = [&](int east, int west, int selected, wxRadioButton*& e,
                              wxRadioButton*& w) {
        e = new wxRadioButton(this, east, "E", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
        w = new wxRadioButton(this, west, "W");
        (selected ? w : e)->SetValue(true);
        auto* pair = new wxBoxSizer(wxVERTICAL);
        pair->Add(e);
        pair->Add(w);
        return pair;
    };
    const auto moment = [&](const char* caption, wxChoice*& month, int monthIndex, int dayId,
                            const std::string& day, int yearId, const std::string& year, int hourId,
                            const std::string& hour, int minuteId, const std::string& minute) {
        wxSizer* r = row();
        put(r, label(caption));
        put(r, month = choice(MonthId(dayId), months, monthIndex));
        put(r, edit(dayId, day, 2));
        put(r, label(","));
        put(r, edit(yearId, year, 4));
        put(r, edit(hourId, hour, 2));
        put(r, label(":"));
        put(r, edit(minuteId, minute, 4));
    };
    const auto zone = [&](const char* caption, int hoursId, const std::string& hours, int minutesId,
                          const std::string& minutes, int east, int west, int selected,
                          wxRadioButton*& e, wxRadioButton*& w) -> wxSizer* {
        wxSizer* r = row();
        r->AddSpacer(15 * gap);
        put(r, label(caption));
        put(r, edit(hoursId, hours, 3));
        put(r, label("hr"));
        put(r, edit(minutesId, minutes, 4));
        put(r, label("min"));
        r->Add(eastWest(east, west, selected, e, w), 0, wxALIGN_CENTER_VERTICAL);
        return r;
    };

    // Controls are made in the order the Tab key visits them.
    top->Add(label("Note: When entering times, enter 5:15 am as 5:15 and 5:15 pm as 17:15"), 0,
             wxALIGN_CENTER | wxLEFT | wxRIGHT | wxTOP, 2 * gap);
    moment("Birthdata:", birthMonth_, form.birthMonth, kBirthDay, form.birthDay, kBirthYear,
           form.birthYear, kBirthHour, form.birthHour, kBirthMinute, form.birthMinute);
    wxSizer* birthZoneRow =
        zone("Time Zone of Birth:", kBirthZoneHours, form.birthZoneHours, kBirthZoneMinutes,
             form.birthZoneMinutes, 1022, 1023, form.birthWest, birthEast_, birthWest_);
    top->Add(MakeZonePicker(birthPick_, birthZoneRow, birthMonth_, birthEast_, birthWest_), 0,
             wxEXPAND | wxLEFT | wxRIGHT, 2 * gap);
    wxSizer* r = row();
    put(r, label("Length of dasa:"));
    put(r, dasaLength_ = choice(kDasaLength, YearItems(), form.dasaLength));
    r->AddSpacer(4 * gap);
    put(r, label("Dasa started in year:"));
    put(r, edit(kDasaStartYear, form.dasaStartYear, 7));

    // The path of sub-periods, then what to show; each division choice stands on the row of the
    // period it divides.
    const char* const pathLabels[4] = {"Look at antardasa #:", "And pratyantardasa #:",
                                       "And sookshma dasa #:", "And prana-antardasa #:"};
    const int pathIds[4] = {kAdNumber, kPdNumber, kSdNumber, kPadNumber};
    const int pathValues[4] = {form.adIndex, form.pdIndex, form.sdIndex, form.padIndex};
    wxStaticText* pathLabel[4];
    for (int i = 0; i < 4; ++i) {
        pathLabel[i] = label(pathLabels[i]);
        path_[i] = choice(pathIds[i], ordinals, pathValues[i]);
    }
    const char* const levelLabels[6] = {
        "Divide this dasa (MD) into AD's",
        "Divide this antardasa (AD) further",
        "Divide this pratyantardasa (PD) further",
        "Divide this sookshma dasa (SD) further",
        "Divide this prana-antardasa (PAD) further",
        "Find sub-periods upto 6th level at the\ndate and time given below."};
    const int levelIds[6] = {1017, 1006, 1008, 1010, 1019, 1015};
    for (int i = 0; i < 6; ++i) {
        levels_[i] = new wxRadioButton(this, levelIds[i], levelLabels[i], wxDefaultPosition,
                                       wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
    }
    levels_[form.levelChoice]->SetValue(true);
    auto* paths = new wxFlexGridSizer(3, gap, 4 * gap);
    paths->AddSpacer(0);
    paths->AddSpacer(0);
    paths->Add(levels_[0]);
    for (int i = 0; i < 4; ++i) {
        paths->Add(pathLabel[i], 0, wxALIGN_CENTER_VERTICAL);
        paths->Add(path_[i], 0, wxALIGN_CENTER_VERTICAL);
        paths->Add(levels_[i + 1], 0, wxALIGN_CENTER_VERTICAL);
    }
    paths->AddSpacer(0);
    paths->AddSpacer(0);
    paths->Add(levels_[5], 0, wxTOP, gap);
    top->Add(paths, 0, wxLEFT | wxRIGHT | wxTOP, 2 * gap);

    moment("Event Data:", eventMonth_, form.eventMonth, kEventDay, form.eventDay, kEventYear,
           form.eventYear, kEventHour, form.eventHour, kEventMinute, form.eventMinute);
    wxSizer* eventZoneRow =
        zone("Time Zone of Event:", kEventZoneHours, form.eventZoneHours, kEventZoneMinutes,
             form.eventZoneMinutes, 1025, 1031, form.eventWest, eventEast_, eventWest_);
    top->Add(MakeZonePicker(eventPick_, eventZoneRow, eventMonth_, eventEast_, eventWest_), 0,
             wxEXPAND | wxLEFT | wxRIGHT, 2 * gap);
    // Told while typing, and never in the way of OK: the event report keeps its own error.
    eventNoteText_ = label("");
    eventNoteText_->SetForegroundColour(wxColour(170, 0, 0));
    top->Add(eventNoteText_, 0, wxLEFT | wxRIGHT | wxTOP, 2 * gap);
    top->Add(label("Note: This time zone will be used when displaying start and end times of "
                   "dasa divisions!"),
             0, wxALIGN_CENTER | wxLEFT | wxRIGHT | wxTOP, 2 * gap);

    top->Add(OkCancelRow(*this, *edits_[kBirthDay]), 0, wxEXPAND | wxALL, 3 * gap);
    SetSizerAndFit(top);
    // Once the sizer is there: a pick shows and hides its row through it.
    KeepPickIfItMatches(birthPick_, names.birth);
    KeepPickIfItMatches(eventPick_, names.event);
    CentreOnParent();
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&) {
            if (Exchange()) EndModal(wxID_OK);
        },
        wxID_OK);
    BindZonePick(birthPick_);
    BindZonePick(eventPick_);
    UpdateEventNote();
    // Any change of any field may move the event into its MD or out of it.
    Bind(wxEVT_TEXT, [this](wxCommandEvent& e) {
        UpdateEventNote();
        e.Skip();
    });
    Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) {
        UpdateEventNote();
        e.Skip();
    });
    Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent& e) {
        UpdateEventNote();
        e.Skip();
    });
}

void CDataDlg::UpdateEventNote() {
    if (!eventNoteText_ || !eventNote_) return;
    ChartData entered = result_;
    const bool complete = !ChartFromForm(ReadControls(), entered);
    const wxString note = complete ? wxString::FromUTF8(eventNote_(entered)) : wxString();
    if (note == eventNoteText_->GetLabel()) return;
    eventNoteText_->SetLabel(note);
    eventNoteText_->Wrap(FromDIP(520));
    Layout();
    GetSizer()->SetSizeHints(this);
}

// At the end of a zone row: the zone picked by name; below it, a line for a local time that the
// zone skipped or had twice, with its two offsets to choose from.
wxSizer* CDataDlg::MakeZonePicker(ZonePick& pick, wxSizer* zoneRow, wxChoice* month,
                                  wxRadioButton* east, wxRadioButton* west) {
    const int gap = FromDIP(4);
    pick.month = month;
    pick.east = east;
    pick.west = west;
    // Each with a key of its own: Alt+Z for the birth, Alt+N for the event.
    auto* choose = new wxButton(this, wxID_ANY,
                                &pick == &birthPick_ ? "Place or &zone..." : "Place or zo&ne...");
    choose->Bind(wxEVT_BUTTON, [this, &pick](wxCommandEvent&) {
        const std::string reference = ChooseZone(this, pick.state.Reference());
        if (reference.empty() || !pick.state.PickReference(reference, PlacesAtlas())) return;
        UpdatePick(pick);
    });
    zoneRow->Add(choose, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 3 * gap);
    pick.nameLabel = new wxStaticText(this, wxID_ANY, "");
    zoneRow->Add(pick.nameLabel, 0, wxALIGN_CENTER_VERTICAL);
    pick.problemRow = new wxBoxSizer(wxHORIZONTAL);
    pick.problemRow->AddSpacer(15 * gap);
    pick.problemText = new wxStaticText(this, wxID_ANY, "");
    pick.problemText->SetForegroundColour(wxColour(170, 0, 0));
    pick.problemRow->Add(pick.problemText, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2 * gap);
    for (int i = 0; i < 2; ++i) {
        pick.options[i] = new wxButton(this, wxID_ANY, "");
        pick.options[i]->Bind(wxEVT_BUTTON, [this, &pick, i](wxCommandEvent&) {
            if (const std::optional<int> east = pick.state.Choose(i)) FillZone(pick, *east);
            UpdatePick(pick);
        });
        pick.problemRow->Add(pick.options[i], 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    }
    auto* rows = new wxBoxSizer(wxVERTICAL);
    rows->Add(pick.problemRow, 0, wxEXPAND | wxTOP, gap);
    rows->Hide(pick.problemRow);
    return rows;
}

void CDataDlg::BindZonePick(ZonePick& pick) {
    // A change of the moment moves the offset with it; the zone typed by hand drops the pick.
    // Each passes the event on, for the note under the event.
    for (int id : {pick.dayId, pick.yearId, pick.hourId, pick.minuteId}) {
        edits_.at(id)->Bind(wxEVT_TEXT, [this, &pick](wxCommandEvent& e) {
            pick.state.ResetOption();
            UpdatePick(pick);
            e.Skip();
        });
    }
    pick.month->Bind(wxEVT_CHOICE, [this, &pick](wxCommandEvent& e) {
        pick.state.ResetOption();
        UpdatePick(pick);
        e.Skip();
    });
    for (int id : {pick.hoursId, pick.minutesId}) {
        edits_.at(id)->Bind(wxEVT_TEXT, [this, &pick](wxCommandEvent& e) {
            DropPick(pick);
            e.Skip();
        });
    }
    for (wxRadioButton* side : {pick.east, pick.west}) {
        side->Bind(wxEVT_RADIOBUTTON, [this, &pick](wxCommandEvent& e) {
            DropPick(pick);
            e.Skip();
        });
    }
}

std::optional<zone::LocalTime> CDataDlg::LocalTimeOf(const ZonePick& pick) const {
    const auto field = [&](int id) { return std::string(edits_.at(id)->GetValue().utf8_str()); };
    const std::optional<int> day = ParseIntegerField(field(pick.dayId));
    const std::optional<int> year = ParseIntegerField(field(pick.yearId));
    const std::optional<int> hour = ParseIntegerField(field(pick.hourId));
    const std::optional<double> minute = ParseRealField(field(pick.minuteId));
    if (!day || !year || !hour || !minute) return std::nullopt;
    return zone::LocalTime{*year, pick.month->GetSelection() + 1, *day, *hour, *minute};
}

void CDataDlg::UpdatePick(ZonePick& pick) {
    if (const std::optional<int> east = pick.state.Update(LocalTimeOf(pick))) {
        FillZone(pick, *east);
    }
    pick.nameLabel->SetLabel(wxString::FromUTF8(pick.state.Label()));
    pick.problemText->SetLabel(wxString::FromUTF8(pick.state.Problem()));
    pick.problemText->Wrap(FromDIP(360));
    for (int i = 0; i < 2; ++i) {
        pick.options[i]->SetLabel(wxString::FromUTF8(pick.state.OptionLabel(i)));
        pick.options[i]->Show(pick.state.Choosing());
    }
    GetSizer()->Show(pick.problemRow, !pick.state.Problem().empty(), true);
    Layout();
    GetSizer()->SetSizeHints(this);
}

void CDataDlg::FillZone(ZonePick& pick, int eastSeconds) {
    ZoneSpec spec;
    if (!zone::ZoneSpecFromOffset(eastSeconds, spec)) return;
    std::string hours, minutes;
    int west = 0;
    FillZoneFields(spec, hours, minutes, west);
    // ChangeValue sends no event: filling is not typing, and keeps the pick.
    edits_.at(pick.hoursId)->ChangeValue(wxString::FromUTF8(hours));
    edits_.at(pick.minutesId)->ChangeValue(wxString::FromUTF8(minutes));
    (west ? pick.west : pick.east)->SetValue(true);
}

void CDataDlg::DropPick(ZonePick& pick) {
    if (!pick.state.Picked()) return;
    pick.state.Drop();
    UpdatePick(pick);
}

void CDataDlg::KeepPickIfItMatches(ZonePick& pick, const std::string& reference) {
    if (reference.empty()) return;
    pick.state.KeepIfItMatches(reference, PlacesAtlas(), LocalTimeOf(pick),
                               std::string(edits_.at(pick.hoursId)->GetValue().utf8_str()),
                               std::string(edits_.at(pick.minutesId)->GetValue().utf8_str()),
                               pick.west->GetValue() ? 1 : 0);
    if (pick.state.Picked()) UpdatePick(pick);
}

DataEntryForm CDataDlg::ReadControls() const {
    DataEntryForm f;
    const auto text = [&](int id) { return std::string(edits_.at(id)->GetValue().utf8_str()); };
    f.birthDay = text(kBirthDay);
    f.birthYear = text(kBirthYear);
    f.birthHour = text(kBirthHour);
    f.birthMinute = text(kBirthMinute);
    f.birthZoneHours = text(kBirthZoneHours);
    f.birthZoneMinutes = text(kBirthZoneMinutes);
    f.dasaStartYear = text(kDasaStartYear);
    f.eventDay = text(kEventDay);
    f.eventYear = text(kEventYear);
    f.eventHour = text(kEventHour);
    f.eventMinute = text(kEventMinute);
    f.eventZoneHours = text(kEventZoneHours);
    f.eventZoneMinutes = text(kEventZoneMinutes);
    f.birthMonth = birthMonth_->GetSelection();
    f.eventMonth = eventMonth_->GetSelection();
    f.dasaLength = dasaLength_->GetSelection();
    f.adIndex = path_[0]->GetSelection();
    f.pdIndex = path_[1]->GetSelection();
    f.sdIndex = path_[2]->GetSelection();
    f.padIndex = path_[3]->GetSelection();
    for (int i = 0; i < 6; ++i) {
        if (levels_[i]->GetValue()) f.levelChoice = i;
    }
    f.birthWest = birthWest_->GetValue() ? 1 : 0;
    f.eventWest = eventWest_->GetValue() ? 1 : 0;
    return f;
}

bool CDataDlg::Exchange() {
    // A zone or place picked gives no offset by itself where the time is skipped or repeated.
    for (const ZonePick* pick : {&birthPick_, &eventPick_}) {
        if (!pick->state.Unresolved()) continue;
        wxMessageBox(wxString::FromUTF8(pick->state.Problem()), "Tarvella",
                     wxOK | wxICON_EXCLAMATION, this);
        return false;
    }
    const std::optional<FieldFailure> failure = ChartFromForm(ReadControls(), result_);
    if (!failure) return true;
    wxMessageBox(wxString::FromUTF8(failure->message), "Tarvella", wxOK | wxICON_EXCLAMATION, this);
    if (auto field = edits_.find(failure->control); field != edits_.end()) {
        field->second->SetFocus();
        field->second->SelectAll();
    }
    return false;
}

bool RunDataDialog(wxWindow* parent, ChartData& chart, ZoneNames& names,
                   CDataDlg::EventNote eventNote) {
    CDataDlg dialog(parent, chart, names, std::move(eventNote));
    if (dialog.ShowModal() != wxID_OK) return false;
    chart = dialog.Result();
    names = dialog.PickedZones();
    return true;
}
