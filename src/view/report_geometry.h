// Where the parts of a report lie on the screen, in report units. The layout draws from this one
// table, and the click areas and hover boxes of navigation are computed from it.
#pragma once

#include <array>

namespace tarvella {

struct ReportGeometry {
    int screenRowTop = 90;  // row 0 of a level on the screen
    int printRowTop = 130;  // and on the page, below the birth-data line
    int rowPitch = 24;
    int rows = 12;
    // The report's text column, which the click area of a row spans.
    int columnLeft = 8;
    int columnRight = 500;
    // Left edges of a row's texts: label, start, " - ", end. Each boundary's position follows
    // its date and time at positionOffset.
    int labelLeft = 8;
    int startLeft = 56;
    int dashLeft = 268;
    int endLeft = 292;
    int positionOffset = 120;
    // What the seconds of View > Show seconds add to a time, and so move along what follows it.
    int secondsWidth = 22;
    int hundredthsWidth = 22;  // and the hundredths of precise instants
    // "Go one level up" sits in row slot 13, one slot below the last row's; slot 12 stays empty.
    // Its text is centred in the column, and its click area is the middle of that.
    int linkSlot = 13;
    int linkLeft = 168;
    int linkRight = 340;
    // The event path: one line, a column of pathPitch per tier from pathLeft. Only the first
    // pathColumns (MD, AD, PD, SD, PAD) open a level; the sixth tier divides no further.
    int pathTop = 298;
    int pathHeight = 24;
    int pathLeft = 50;
    int pathPitch = 80;
    int pathColumns = 5;

    int RowTop(int row, bool printing) const {
        return (printing ? printRowTop : screenRowTop) + rowPitch * row;
    }
    int PathColumnLeft(int column) const { return pathLeft + pathPitch * column; }
};

inline constexpr ReportGeometry kReportGeometry{};

// The report's area on the screen at 100%; it grows where something is drawn beyond it.
inline constexpr int kReportWidth = 550;
inline constexpr int kReportHeight = 460;

// The zoom of the report on the screen, in percent: these steps from 50 to 300.
inline constexpr std::array<int, 12> kZoomSteps{50,  67,  75,  90,  100, 110,
                                                125, 150, 175, 200, 250, 300};
inline constexpr int kActualSize = 100;

// The step `steps` away from `percent` (a value between steps counts as the next one in that
// direction), held within 50..300.
int ZoomStep(int percent, int steps);

}  // namespace tarvella
