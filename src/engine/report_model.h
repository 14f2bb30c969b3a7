// What a report shows, as a plain value computed from the chart, the Sun table and the ayanamsa:
// the twelve sub-periods of a level with their thirteen boundaries, or the path of the event.
// Building it draws nothing and leaves the chart as it is; the screen, the page, the plain text
// and the click areas are renderings of it.
#pragma once

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "engine/division.h"
#include "engine/event_location.h"

namespace tarvella {

struct ReportModel {
    // The chart as the report shows it: level 1..6, MD length and indices within the tables.
    ChartData chart;
    LevelDivision division;  // levels 1..5
    EventPath event;         // level 6: found tier by tier, or up to the tier that failed
    // The level and the selected periods: those of the chart, and in the event report with the
    // tiers the search found put in.
    PeriodPath path;
    // Times to the second, as View > Show seconds asks; to the minute otherwise.
    bool seconds = false;
    // Found by the precise search, as the heading says.
    bool precise = false;
    bool IsEvent() const { return chart.level == kEventLevel; }
};

// The report of the chart's level.
ReportModel BuildReport(SunContext& sun, const ChartData& chart);

// The report of another level of the same chart, as printing several levels needs.
ReportModel BuildReport(SunContext& sun, const ChartData& chart, int level);

// The step that showing the event report has always taken on the chart: its indices brought into
// the tables' ranges and those the search found stored, so that a click on the path opens a level
// on the way to the event. Nothing for the report of a level.
void ApplyReport(ChartData& chart, const ReportModel& report);

}  // namespace tarvella
