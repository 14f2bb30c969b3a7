// The report of a chart's level, drawn through a ReportCanvas and mirrored as plain text: the
// twelve sub-periods of levels 1..5, and the event report of level 6.
#pragma once

#include <array>
#include <string>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "engine/division.h"
#include "view/report_canvas.h"

namespace tarvella {

inline constexpr std::array<const char*, 12> RowLabels{
    " 1st: ", " 2nd: ", " 3rd: ", " 4th: ", " 5th: ", " 6th: ",
    " 7th: ", " 8th: ", " 9th: ", "10th: ", "11th: ", "12th: "};
inline constexpr std::array<const char*, 12> EventLabels{
    "-  1st ", "-  2nd ", "-  3rd ", "-  4th ", "-  5th ", "-  6th ",
    "-  7th ", "-  8th ", "-  9th ", "- 10th ", "- 11th ", "- 12th "};
inline constexpr std::array<const char*, 4> EventLevelNames{"PD ", "SD ", "PAD", "DAD"};

// Where a drawing goes: the device, its print state and the plain text built alongside.
struct ReportTarget {
    ReportCanvas& canvas;
    PrintState print;
    PlainTextMirror mirror;
};

// One end of a row: date and time at x, the Sun's position at x + 120. An instant outside the
// Sun table shows that in place of its date and time.
void DrawBoundary(ReportTarget& target, int x, int y, int right, int bottom,
                  const Boundary& boundary);

// The twelve sub-periods of the chart's level, on the screen or for print. A level outside
// 1..5, an index outside 0..11 or an MD length outside 1..12 (only a damaged file holds one) is
// brought to the nearest valid value for the drawing.
void DrawPeriodReport(ReportTarget& target, SunContext& sun, const ChartData& chart);

// The event report. Its search stores the indices it finds in the chart, and an index that was
// outside 0..11 is left at the nearest value in range.
void DrawEventReport(ReportTarget& target, SunContext& sun, ChartData& chart);

// The report of the chart's level (6 is the event report); returns its plain text.
std::string DrawReport(ReportCanvas& canvas, const PrintState& print, SunContext& sun,
                       ChartData& chart);

}  // namespace tarvella
