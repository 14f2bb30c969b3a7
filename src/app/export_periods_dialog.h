// File > Export periods: the depth and the format asked for, then the file, written with a
// progress dialog that can cancel.
#pragma once

#include "document/session.h"
#include "view/period_export.h"

class wxWindow;

struct PeriodExportChoice {
    int depth = 2;  // tiers below the MD, 1..5
    tarvella::ExportFormat format = tarvella::ExportFormat::Csv;
    tarvella::PeriodAlarm alarm;  // the calendar's reminders; none by default
};

// The depth and format dialog; false when cancelled.
bool RunExportPeriodsDialog(wxWindow* parent, PeriodExportChoice& choice);

// Asks for the file with the platform's save dialog and writes the periods of the chart there,
// through a temporary file, so a failed or cancelled export leaves any old file whole. Says how
// it went. A signal to end cancels it as Cancel would; the end waits until it is over.
void ExportPeriods(wxWindow* parent, tarvella::Session& session, const tarvella::ChartData& chart,
                   const PeriodExportChoice& choice, const std::string& documentName);
