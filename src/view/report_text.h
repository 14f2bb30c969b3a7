// The texts of a report, formatted from its model: each line and each boundary as the screen and
// the page show it, and the whole report as plain text for the clipboard, mail and the
// command-line tool.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/chart_data.h"
#include "engine/division.h"
#include "engine/report_model.h"

namespace tarvella {

inline constexpr std::array<const char*, 12> RowLabels{
    " 1st: ", " 2nd: ", " 3rd: ", " 4th: ", " 5th: ", " 6th: ",
    " 7th: ", " 8th: ", " 9th: ", "10th: ", "11th: ", "12th: "};
inline constexpr std::array<const char*, 12> EventLabels{
    "-  1st ", "-  2nd ", "-  3rd ", "-  4th ", "-  5th ", "-  6th ",
    "-  7th ", "-  8th ", "-  9th ", "- 10th ", "- 11th ", "- 12th "};
inline constexpr std::array<const char*, 4> EventLevelNames{"PD ", "SD ", "PAD", "DAD"};

inline constexpr const char* kPeriodHeading = "Tarvella\r\n\r\n";
inline constexpr const char* kEventHeading = "Tarvella:";
inline constexpr const char* kPrecisePeriodHeading = "Tarvella (precise instants)\r\n\r\n";
inline constexpr const char* kPreciseEventHeading = "Tarvella (precise instants):";
// The heading of a report: the precise search's says so.
inline const char* PeriodHeading(bool precise) {
    return precise ? kPrecisePeriodHeading : kPeriodHeading;
}
inline const char* EventHeading(bool precise) {
    return precise ? kPreciseEventHeading : kEventHeading;
}
inline constexpr const char* kLevelUpText = "Go one level up";
// The error drawn where the event path stops, and the part of it that the plain text keeps.
inline constexpr const char* kEventErrorText =
    "\r\n\r\nERROR!\r\n\r\nPlease check if the given event really falls in the given MD.\r\n\r\n";
inline constexpr const char* kEventErrorPlainText = "\r\n\r\nERROR!\r\n\r\n";

// One end of a row: its date and time (or that it lies outside the Sun table), its position as
// drawn, and its position in the plain text's form, which pads the degrees with a zero and has no
// blank before the seconds.
struct BoundaryTexts {
    std::string when;
    std::string position;
    std::string plainPosition;
};
// With `seconds` the time is "12:10:33", truncated to the second within the minute shown without;
// with `hundredths` too (precise instants) "12:10:33.37".
BoundaryTexts FormatBoundary(const Boundary& boundary, bool seconds = false,
                             bool hundredths = false);
// Each of the thirteen boundaries once: the end of a row is the start of the next.
std::array<BoundaryTexts, 13> FormatBoundaries(const LevelDivision& division, bool seconds = false,
                                               bool hundredths = false);

// A found boundary's local instant in whole seconds from 1970, truncated, and always within the
// minute that the report shows by rounding: the two disagree by a last bit of the hour where it
// lies on a half minute.
std::int64_t LocalSeconds(const Boundary& boundary);
// The same in hundredths of a second, within the same minute.
std::int64_t LocalHundredths(const Boundary& boundary);

// The lines of the report of a level; the chart is one of a report model.
std::string CaptionText(const ChartData& chart);
std::string ZoneLineText(const ChartData& chart);
std::string BirthLineText(const ChartData& chart);
std::string HintText(int level);

// The three blocks above the event path: the birth, the MD, and the event with the click hint.
std::array<std::string, 3> EventDataTexts(const ChartData& chart);
// The texts of the event path from "Given MD " down to the last tier found, one per column.
std::vector<std::string> EventPathTexts(const EventPath& path);

// The report as plain text: CR LF line ends, at most kMirrorBytes - 1 bytes.
std::string ReportText(const ReportModel& report);

}  // namespace tarvella
