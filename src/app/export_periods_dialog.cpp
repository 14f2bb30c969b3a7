#include "app/export_periods_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>
#include <vector>

#include "app/file_names.h"
#include "document/chart_files.h"

namespace {

using namespace tarvella;

// Trees larger than this show their progress; smaller ones are written before it would show.
constexpr std::int64_t kProgressFrom = 20000;

wxString RowsText(int depth) {
    return wxString::Format("%s rows will be written.", GroupedCount(PeriodCount(depth)));
}

}  // namespace

bool RunExportPeriodsDialog(wxWindow* parent, PeriodExportChoice& choice) {
    wxDialog dialog(parent, wxID_ANY, "Export periods");
    const int gap = dialog.FromDIP(4);
    wxArrayString depths;
    for (int d = 1; d <= kTreeTiers; ++d) depths.Add(DepthChoiceText(d));
    auto* depth = new wxRadioBox(&dialog, wxID_ANY, "Periods down to", wxDefaultPosition,
                                 wxDefaultSize, depths, 1, wxRA_SPECIFY_COLS);
    const wxString formats[] = {"CS&V, for spreadsheets", "&JSON, for programs",
                                "&iCalendar, for calendars"};
    auto* format = new wxRadioBox(&dialog, wxID_ANY, "Format", wxDefaultPosition, wxDefaultSize, 3,
                                  formats, 1, wxRA_SPECIFY_COLS);
    auto* rows = new wxStaticText(&dialog, wxID_ANY, RowsText(kTreeTiers));
    depth->SetSelection(choice.depth - 1);
    format->SetSelection(static_cast<int>(choice.format));
    rows->SetLabel(RowsText(choice.depth));
    depth->Bind(wxEVT_RADIOBOX,
                [&](wxCommandEvent&) { rows->SetLabel(RowsText(depth->GetSelection() + 1)); });

    // The calendar's reminder: a lead as tarvella-cli's --alarm takes it, and the tiers it is for.
    auto* leadLabel =
        new wxStaticText(&dialog, wxID_ANY, "Re&mind before each start (30m, 2h, 1d, 1w):");
    auto* lead = new wxTextCtrl(&dialog, wxID_ANY, "");
    auto* tierRow = new wxBoxSizer(wxHORIZONTAL);
    std::vector<wxCheckBox*> tiers;
    for (int t = 0; t < kTreeTiers; ++t) {
        tiers.push_back(new wxCheckBox(&dialog, wxID_ANY, TierNames[static_cast<std::size_t>(t)]));
        tiers.back()->SetValue(choice.alarm.tiers == 0 || (choice.alarm.tiers >> t & 1u));
        tierRow->Add(tiers.back(), 0, wxRIGHT, 2 * gap);
    }
    if (choice.alarm.leadSeconds > 0) lead->SetValue(AlarmLeadText(choice.alarm.leadSeconds));
    const auto enableAlarm = [&] {
        const bool ics = format->GetSelection() == static_cast<int>(ExportFormat::Ics);
        leadLabel->Enable(ics);
        lead->Enable(ics);
        for (wxCheckBox* box : tiers) box->Enable(ics);
    };
    enableAlarm();
    format->Bind(wxEVT_RADIOBOX, [&](wxCommandEvent&) { enableAlarm(); });
    PeriodAlarm alarm;
    dialog.Bind(
        wxEVT_BUTTON,
        [&](wxCommandEvent& event) {
            alarm = {};
            const std::string text = lead->GetValue().Trim().Trim(false).ToStdString();
            if (lead->IsEnabled() && !text.empty()) {
                for (int t = 0; t < kTreeTiers; ++t) {
                    if (tiers[static_cast<std::size_t>(t)]->GetValue()) alarm.tiers |= 1u << t;
                }
                if (!ParseAlarmLead(text, alarm.leadSeconds) || alarm.tiers == 0) {
                    wxMessageBox(
                        "Give the reminder as a number of minutes, hours, days or weeks "
                        "(30m, 2h, 1d, 1w), for at least one tier.",
                        "Export periods", wxOK | wxICON_EXCLAMATION, &dialog);
                    lead->SetFocus();
                    return;
                }
            }
            event.Skip();
        },
        wxID_OK);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(depth, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4 * gap);
    top->Add(format, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4 * gap);
    top->Add(leadLabel, 0, wxLEFT | wxRIGHT | wxTOP, 4 * gap);
    top->Add(lead, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4 * gap);
    top->Add(tierRow, 0, wxLEFT | wxRIGHT | wxTOP, 4 * gap);
    top->Add(rows, 0, wxLEFT | wxRIGHT | wxTOP, 4 * gap);
    top->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 4 * gap);
    dialog.SetSizerAndFit(top);
    dialog.CentreOnParent();
    depth->SetFocus();
    if (dialog.ShowModal() != wxID_OK) return false;
    choice.depth = depth->GetSelection() + 1;
    choice.format = static_cast<ExportFormat>(format->GetSelection());
    choice.alarm = alarm;
    return true;
}

void ExportPeriods(wxWindow* parent, Session& session, const ChartData& chart,
                   const PeriodExportChoice& choice, const std::string& documentName) {
    const char* extension = ExportExtension(choice.format);
    const wxString wildcard[] = {"CSV files (*.csv)|*.csv", "JSON files (*.json)|*.json",
                                 "iCalendar files (*.ics)|*.ics"};
    wxFileDialog files(parent, "Export periods", "",
                       wxFileName(wxString::FromUTF8(documentName)).GetName() + "." + extension,
                       wildcard[static_cast<int>(choice.format)] + "|All files (*)|*",
                       wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (files.ShowModal() != wxID_OK || session.ending) return;
    const wxString path = files.GetPath();
    // The progress dialog lets the event loop run, and a signal's end with it: that end must not
    // tear the windows down under the export.
    struct Busy {
        int& count;
        explicit Busy(int& c) : count(++c) {}
        ~Busy() { --count; }
    } busy(session.busy);

    const std::int64_t total = PeriodCount(choice.depth);
    std::unique_ptr<wxProgressDialog> progress;
    if (total > kProgressFrom) {
        progress = std::make_unique<wxProgressDialog>(
            "Export periods", wxString::Format("Writing %s periods...", GroupedCount(total)), 1000,
            parent, wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
    }
    ExportResult result = ExportResult::WriteFailed;
    SunContext sun = session.Sun();
    const auto goOn = [&](std::int64_t done) {
        if (session.ending) return false;
        if (progress && !progress->Update(static_cast<int>(done * 1000 / total))) return false;
        return !session.ending;
    };
    const bool written =
        WriteFileRemembered(session, app::FileNameBytes(path), [&](const ByteSink& out) {
            result = WritePeriods(sun, chart, session.preferences, choice.depth, choice.format, out,
                                  goOn, choice.alarm);
            return result == ExportResult::Written;
        });
    progress.reset();
    if (session.ending) return;
    if (result == ExportResult::Cancelled) {
        wxLogStatus("The export was cancelled; \"%s\" is as it was.", path);
    } else if (!written) {
        wxLogError("Could not write the periods to \"%s\"; the file on disk is unchanged.", path);
    } else {
        wxLogStatus("%s periods written to \"%s\".", GroupedCount(total), path);
    }
}
