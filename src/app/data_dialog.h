// "Enter Data": the one place where the user types a chart.
#pragma once

#include <wx/dialog.h>

#include <map>

#include "document/field_exchange.h"

class wxChoice;
class wxRadioButton;
class wxTextCtrl;

class CDataDlg : public wxDialog {
  public:
    CDataDlg(wxWindow* parent, const tarvella::ChartData& chart);

    // The chart with the entered values; complete once the dialog ended with OK.
    const tarvella::ChartData& Result() const { return result_; }

    // Reads the controls into the result; on a failure shows its message, puts the focus in that
    // field with its text selected and returns false, leaving the result as it was.
    bool Exchange();

  private:
    tarvella::DataEntryForm ReadControls() const;

    tarvella::ChartData result_;
    std::map<int, wxTextCtrl*> edits_;
    wxChoice *birthMonth_, *eventMonth_, *dasaLength_;
    wxChoice* path_[4];
    wxRadioButton *birthEast_, *birthWest_, *eventEast_, *eventWest_;
    wxRadioButton* levels_[6];
};

// Shows the dialog on the chart; on OK stores the new values (zone offsets derived, Sun fields
// untouched) and returns true.
bool RunDataDialog(wxWindow* parent, tarvella::ChartData& chart);
