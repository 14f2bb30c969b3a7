#include "view/navigation.h"

#include "core/calendar.h"
#include "view/report_geometry.h"

#include <algorithm>

namespace tarvella {
namespace {
constexpr const ReportGeometry& g = kReportGeometry;
}  // namespace
static_assert(g.linkSlot == kLevelUpRow && g.pathColumns == kEventColumns);

int RowAtPoint(ReportPoint p, int level) {
    const auto row = static_cast<int>(FloorDiv(p.y - g.screenRowTop, g.rowPitch));
    if (row < 0 || row > g.linkSlot || (row >= g.rows && row != g.linkSlot)) return kNoHighlight;
    if (p.x < g.columnLeft || p.x > g.columnRight) return kNoHighlight;
    if (row == g.linkSlot && (p.x < g.linkLeft || p.x > g.linkRight || level == 1)) {
        return kNoHighlight;
    }
    return row;
}

int ColumnAtPoint(ReportPoint p) {
    const auto col = static_cast<int>(FloorDiv(p.x - g.pathLeft, g.pathPitch));
    if (col < 0 || col >= g.pathColumns) return kNoHighlight;
    if (p.y < g.pathTop || p.y > g.pathTop + g.pathHeight) return kNoHighlight;
    return col;
}

// The boxes stand a little clear of what they outline: a row's box a few units outside the text
// column and above the row's texts, a column's box around the path's line.
OutlineBox RowOutline(int row) {
    const int top = g.RowTop(row, false) - 3;
    if (row == g.linkSlot) return {g.linkLeft, top, g.linkRight, top + g.rowPitch};
    return {g.columnLeft - 4, top, g.columnRight + 4, top + g.rowPitch};
}

OutlineBox ColumnOutline(int column) {
    const int left = g.PathColumnLeft(column) - 3;
    return {left, g.pathTop - 4, left + g.pathPitch, g.pathTop + g.pathHeight + 4};
}

bool RowIsOutlined(int level, int row) {
    return row != kNoHighlight && (level != 5 || row == kLevelUpRow);
}

bool ApplyRowClick(ChartData& chart, int row) {
    PeriodPath path = PathOf(chart);
    if (row == kLevelUpRow) {
        if (path.level < 2 || path.level > kDeepestLevel) return false;
        --path.level;
    } else {
        // Level 5 and damaged levels lead nowhere.
        if (row < 0 || row >= kPeriodsPerTier || path.level < 1 || path.level >= kDeepestLevel) {
            return false;
        }
        path.index[static_cast<std::size_t>(path.level - 1)] = row;
        ++path.level;
    }
    SetPath(chart, path);
    return true;
}

bool EventColumnFound(const EventPath& path, int column) {
    return column >= 0 && column < kEventColumns && column <= path.PathTiersFound();
}

bool ApplyEventClick(ChartData& chart, int column, const EventPath& path) {
    if (!EventColumnFound(path, column)) return false;
    // The level opened divides the period the path selects, so it takes the path's indices.
    PeriodPath opened = path.Within(PathOf(chart), column);
    opened.level = column + 1;
    SetPath(chart, opened);
    return true;
}

int NextRowHighlight(int level, int current, int step) {
    // The places in order: rows 0..11, then the link, which level 1 does not have.
    const int last = level >= 2 ? g.rows : g.rows - 1;
    const auto place = [](int row) { return row == kLevelUpRow ? g.rows : row; };
    int at;
    if (current == kNoHighlight || place(current) > last || current < 0) {
        at = step > 0 ? 0 : last;
    } else {
        at = std::clamp(place(current) + step, 0, last);
    }
    return at == g.rows ? kLevelUpRow : at;
}

int NextColumnHighlight(const EventPath& path, int current, int step) {
    const int last = std::min(kEventColumns - 1, path.PathTiersFound());
    if (current == kNoHighlight || current < 0 || current > last) return step > 0 ? 0 : last;
    return std::clamp(current + step, 0, last);
}

}  // namespace tarvella
