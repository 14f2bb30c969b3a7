// Mouse navigation through the levels: which row, link or event-path column lies under a point of
// the report, the box that outlines it, and what a click on it does to the chart.
#pragma once

#include "document/chart_data.h"
#include "engine/event_location.h"
#include "view/report_canvas.h"

namespace tarvella {

inline constexpr int kNoHighlight = 100;
inline constexpr int kLevelUpRow = 13;  // row slot of "Go one level up"
inline constexpr int kEventColumns = 5;

// Points are in report units: client coordinates plus the scroll position.
struct ReportPoint {
    int x = 0;
    int y = 0;
};

// In the units of the report's texts, which the outline is drawn around.
using OutlineBox = TextRect;

// Row 0..11, 13 for the link (never at level 1), or kNoHighlight.
int RowAtPoint(ReportPoint p, int level);

// Event-path column 0..4 (MD, AD, PD, SD, PAD), or kNoHighlight.
int ColumnAtPoint(ReportPoint p);

OutlineBox RowOutline(int row);
OutlineBox ColumnOutline(int column);

// Whether the hover box is drawn for this row: the rows of level 5 lead nowhere.
bool RowIsOutlined(int level, int row);

// A click on a row or the link of a period report; true when the chart changed.
bool ApplyRowClick(ChartData& chart, int row);

// Whether the event search found the period that a column opens: each deeper column needs the
// tiers above it, since its level divides the period they select.
bool EventColumnFound(const EventPath& path, int column);

// A click on an event-path column; true when the chart changed. A column whose period was not
// found does nothing, so the indices the level would use are always ones the search stored.
bool ApplyEventClick(ChartData& chart, int column, const EventPath& path);

// The keyboard's highlight in a level report, `step` rows down (negative: up): the twelve rows,
// then the link below them where there is one. From no highlight Down goes to the first row and
// Up to the last place; the ends hold.
int NextRowHighlight(int level, int current, int step);

// In the event report, `step` columns right (negative: left) over the columns that open a level.
int NextColumnHighlight(const EventPath& path, int current, int step);

}  // namespace tarvella
