#include "view/navigation.h"

#include "view/report_geometry.h"

namespace tarvella {
namespace {

// Floor division: points above or left of the first slot must not round toward it.
int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

namespace {
constexpr const ReportGeometry& g = kReportGeometry;
}  // namespace
static_assert(g.linkSlot == kLevelUpRow && g.pathColumns == kEventColumns);

int RowAtPoint(ReportPoint p, int level) {
    const int row = FloorDiv(p.y - g.screenRowTop, g.rowPitch);
    if (row < 0 || row > g.linkSlot || (row >= g.rows && row != g.linkSlot)) return kNoHighlight;
    if (p.x < g.columnLeft || p.x > g.columnRight) return kNoHighlight;
    if (row == g.linkSlot && (p.x < g.linkLeft || p.x > g.linkRight || level == 1)) {
        return kNoHighlight;
    }
    return row;
}

int ColumnAtPoint(ReportPoint p) {
    const int col = FloorDiv(p.x - g.pathLeft, g.pathPitch);
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
    const int before = chart.level;
    if (row == kLevelUpRow) {
        if (chart.level >= 2 && chart.level <= 5) --chart.level;
    } else if (row >= 0 && row < 12) {
        switch (chart.level) {
            case 1:
                chart.adIndex = row;
                break;
            case 2:
                chart.pdIndex = row;
                break;
            case 3:
                chart.sdIndex = row;
                break;
            case 4:
                chart.padIndex = row;
                break;
            default:
                return false;  // level 5 and damaged levels lead nowhere
        }
        ++chart.level;
    }
    return chart.level != before;
}

bool EventColumnFound(const EventPath& path, int column) {
    if (column < 0 || column >= kEventColumns) return false;
    if (column == 0) return true;
    return path.adIndex >= 0 && path.adIndex < 12 && path.tiersFound >= column - 1;
}

bool ApplyEventClick(ChartData& chart, int column, const EventPath& path) {
    if (!EventColumnFound(path, column)) return false;
    // The level opened divides the period the path selects, so it takes the path's indices.
    if (column >= 1) chart.adIndex = path.adIndex;
    int* const lower[] = {&chart.pdIndex, &chart.sdIndex, &chart.padIndex};
    for (int tier = 0; tier + 1 < column; ++tier) *lower[tier] = path.tierIndex[tier];
    chart.level = column + 1;
    return true;
}

}  // namespace tarvella
