// What the status bar says of the period under the pointer or the keyboard's highlight: where it
// lies in the path, its start and end in the event's zone as the report shows them, and how long
// it lasts. "3rd PD of 5th AD: 22 Aug 1999, 11:18 to 23 Sep 1999, 08:12, 31 d 20 h 54 m"
#pragma once

#include <string>

#include "core/sun_ephemeris.h"
#include "engine/report_model.h"

namespace tarvella {

// Row 0..11 of a level report; empty for anything else.
std::string RowStatusText(const ReportModel& report, int row);
// The same with the larger uncertainty of its two instants: "..., 31 d 20 h 54 m, ± 4 s".
std::string RowStatusText(const SunContext& sun, const ReportModel& report, int row);

// The MD of a report of its ADs (level 1), as the event report's MD column says it.
std::string MdStatusText(const SunContext& sun, const ReportModel& report);

// Column 0..4 of the event report (the MD, then the periods found below it), with its
// uncertainty; empty for a column the search did not reach.
std::string EventColumnStatusText(SunContext& sun, const ReportModel& report, int column);

// Where the event lies when it is not in the MD: "The event lies before this MD, which runs from
// 4 Apr 1999, 05:12 to 4 Apr 2000, 11:20." Empty when it lies in it, or when the MD's ends lie
// outside the Sun table. The chart's Sun fields must be computed.
std::string EventOutsideMdText(SunContext& sun, const ChartData& chart);

// "31 d 20 h 54 m", from one instant to another in Universal Time, to the nearest minute.
std::string DurationText(const CivilInstant& from, const CivilInstant& to);

}  // namespace tarvella
