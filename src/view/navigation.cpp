#include "view/navigation.h"

namespace tarvella {
namespace {

// Floor division: points above or left of the first slot must not round toward it.
int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

int RowAtPoint(ReportPoint p, int level) {
    const int row = FloorDiv(p.y - 90, 24);
    if (row < 0 || row > kLevelUpRow || row == 12) return kNoHighlight;
    if (p.x < 8 || p.x > 500) return kNoHighlight;
    if (row == kLevelUpRow && (p.x < 168 || p.x > 340 || level == 1)) return kNoHighlight;
    return row;
}

int ColumnAtPoint(ReportPoint p) {
    const int col = FloorDiv(p.x - 50, 80);
    if (col < 0 || col >= kEventColumns) return kNoHighlight;
    if (p.y < 298 || p.y > 322) return kNoHighlight;
    return col;
}

OutlineBox RowOutline(int row) {
    if (row == kLevelUpRow) return {168, 399, 340, 423};
    return {4, 87 + 24 * row, 504, 111 + 24 * row};
}

OutlineBox ColumnOutline(int column) {
    return {47 + 80 * column, 294, 127 + 80 * column, 326};
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
