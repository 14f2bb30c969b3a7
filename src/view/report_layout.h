// The report drawn through a ReportCanvas from its model: the twelve sub-periods of levels 1..5,
// and the event report of level 6, on the screen or on a printed page.
#pragma once

#include <string>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "engine/division.h"
#include "engine/report_model.h"
#include "view/report_canvas.h"
#include "view/report_text.h"

namespace tarvella {

// Draws the report. Positions come from kReportGeometry; on a page, DrawReportText moves them.
void DrawReportModel(ReportCanvas& canvas, const PrintState& print, const ReportModel& report);

// The report of the chart's level (6 is the event report) built, applied to the chart (the event
// search stores the indices it finds, and brings any index outside 0..11 into range) and drawn;
// returns its plain text.
std::string DrawReport(ReportCanvas& canvas, const PrintState& print, SunContext& sun,
                       ChartData& chart);

}  // namespace tarvella
