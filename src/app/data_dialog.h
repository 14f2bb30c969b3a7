// "Enter Data": the one place where the user types a chart.
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "document/field_exchange.h"
#include "view/zone_pick.h"
#include "zone/zone.h"

class wxButton;
class wxChoice;
class wxRadioButton;
class wxSizer;
class wxStaticText;
class wxTextCtrl;

// The time zones or places last picked for the birth and the event, as ZonePick::Reference gives
// them; empty where entered by hand.
struct ZoneNames {
    std::string birth;
    std::string event;
};

class CDataDlg : public wxDialog {
  public:
    // What to say under the event of a chart as entered so far; empty when the event lies in its
    // MD.
    using EventNote = std::function<std::string(const tarvella::ChartData&)>;

    // Opens with the zones of `names` picked where they still give the chart's offsets.
    CDataDlg(wxWindow* parent, const tarvella::ChartData& chart, const ZoneNames& names,
             EventNote eventNote);

    // The chart with the entered values; complete once the dialog ended with OK.
    const tarvella::ChartData& Result() const { return result_; }
    ZoneNames PickedZones() const {
        return {birthPick_.state.Reference(), eventPick_.state.Reference()};
    }

    // Reads the controls into the result; on a failure shows its message, puts the focus in that
    // field with its text selected and returns false, leaving the result as it was.
    bool Exchange();

  private:
    // A zone or place picked for one moment, and the controls it reads and fills.
    struct ZonePick {
        ZonePick(int day, int year, int hour, int minute, int zoneHours, int zoneMinutes)
            : dayId(day),
              yearId(year),
              hourId(hour),
              minuteId(minute),
              hoursId(zoneHours),
              minutesId(zoneMinutes) {}
        int dayId, yearId, hourId, minuteId, hoursId, minutesId;
        wxChoice* month = nullptr;
        wxRadioButton* east = nullptr;
        wxRadioButton* west = nullptr;
        tarvella::ZonePick state;
        wxStaticText* nameLabel = nullptr;
        wxStaticText* problemText = nullptr;
        wxButton* options[2] = {nullptr, nullptr};
        wxSizer* problemRow = nullptr;
    };
    // The zone row's moment and sides are the ones `pick` reads and fills.
    wxSizer* MakeZonePicker(ZonePick& pick, wxSizer* zoneRow, wxChoice* month, wxRadioButton* east,
                            wxRadioButton* west);
    std::optional<tarvella::zone::LocalTime> LocalTimeOf(const ZonePick& pick) const;
    void BindZonePick(ZonePick& pick);
    // After the pick or its moment changed: the offset in force, or what keeps it from one.
    void UpdatePick(ZonePick& pick);
    void FillZone(ZonePick& pick, int eastSeconds);
    void DropPick(ZonePick& pick);
    // On opening: the pick stays only where it gives the chart's own offset.
    void KeepPickIfItMatches(ZonePick& pick, const std::string& reference);

    tarvella::DataEntryForm ReadControls() const;
    void UpdateEventNote();

    tarvella::ChartData result_;
    std::map<int, wxTextCtrl*> edits_;
    wxChoice *birthMonth_, *eventMonth_, *dasaLength_;
    wxChoice* path_[4];
    wxRadioButton *birthEast_, *birthWest_, *eventEast_, *eventWest_;
    wxRadioButton* levels_[6];
    EventNote eventNote_;
    wxStaticText* eventNoteText_ = nullptr;
    ZonePick birthPick_{tarvella::kBirthDay,       tarvella::kBirthYear,
                        tarvella::kBirthHour,      tarvella::kBirthMinute,
                        tarvella::kBirthZoneHours, tarvella::kBirthZoneMinutes};
    ZonePick eventPick_{tarvella::kEventDay,       tarvella::kEventYear,
                        tarvella::kEventHour,      tarvella::kEventMinute,
                        tarvella::kEventZoneHours, tarvella::kEventZoneMinutes};
};

// Shows the dialog on the chart; on OK stores the new values (zone offsets derived, Sun fields
// untouched) and the zones picked by name, and returns true.
bool RunDataDialog(wxWindow* parent, tarvella::ChartData& chart, ZoneNames& names,
                   CDataDlg::EventNote eventNote);
