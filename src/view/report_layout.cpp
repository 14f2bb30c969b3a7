#include "view/report_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "core/calendar.h"
#include "engine/division.h"
#include "engine/event_location.h"

namespace tarvella {
namespace {

constexpr std::string_view kArial = "Arial";
constexpr ReportFont kRowFont{kArial, 250, 16, 6};
constexpr ReportFont kNoteFont{kArial, 250, 15, 6};
constexpr ReportFont kEventDataFont{kArial, 250, 19, 7};
constexpr ReportFont kPathFont{kArial, 350, 18, 7};
constexpr Rgb kHeadingColour{0, 100, 40};
constexpr Rgb kNoteColour{90, 20, 80};
constexpr Rgb kLabelColour{0, 0, 240};
constexpr Rgb kInstantColour{200, 0, 0};
constexpr Rgb kPositionColour{190, 90, 60};
constexpr Rgb kEventDataColour{30, 20, 100};
constexpr int kAllDown = 800;  // bottom of every text box
constexpr int kWide = 1300;    // right edge of the texts that are not centred

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return std::string(text, static_cast<std::size_t>(std::clamp(n, 0, int{sizeof text} - 1)));
}

const char* MonthName(int month) {
    return month >= 1 && month <= 12 ? MonthAbbreviations[static_cast<std::size_t>(month - 1)]
                                     : "???";
}

// Minutes lie in 0..60; any other value comes from a damaged file and could print without bound,
// so it shows as "??".
std::string Minutes(double minutes, bool truncate) {
    if (!(minutes >= 0.0 && minutes <= 60.0)) return "??";
    return truncate ? Format("%02d", static_cast<int>(minutes)) : Format("%02.0f", minutes);
}

// "%2d %s %04d, %02d:%02.0f" of a moment, with its zone as "(%d:%02d %c)".
std::string MomentText(const char* what, const ChartMoment& m, const ZoneSpec& zone) {
    return Format("%s: %2d %s %04d, %02d:%s (%d:%s %c).", what, m.day, MonthName(m.month), m.year,
                  m.hour, Minutes(m.minute, false).c_str(), zone.hours,
                  Minutes(zone.minutes, true).c_str(), zone.west ? 'W' : 'E');
}

void Draw(ReportTarget& t, std::string_view text, TextRect rect, int align, const ReportFont& font,
          Rgb colour) {
    DrawReportText(t.canvas, t.print, text, rect, align, font, colour);
}

std::string Caption(const ChartData& c) {
    const char* ad = OrdinalNames[static_cast<std::size_t>(c.adIndex)];
    const char* pd = OrdinalNames[static_cast<std::size_t>(c.pdIndex)];
    const char* sd = OrdinalNames[static_cast<std::size_t>(c.sdIndex)];
    const char* pad = OrdinalNames[static_cast<std::size_t>(c.padIndex)];
    switch (c.level) {
        case 1:
            return "Antardasas in MD\r\n\r\n";
        case 2:
            return Format("Pratyantardasas in \"MD - %s AD\"\r\n\r\n", ad);
        case 3:
            return Format("Sookshma-antardasas in \"MD - %s AD - %s PD\"\r\n\r\n", ad, pd);
        case 4:
            return Format("Prana-antardasas in \"MD - %s AD - %s PD - %s SD\"\r\n\r\n", ad, pd, sd);
        default:
            return Format("Deha-antardasas in \"MD - %s AD - %s PD - %s SD - %s PAD\"\r\n\r\n", ad,
                          pd, sd, pad);
    }
}

}  // namespace

void DrawBoundary(ReportTarget& t, int x, int y, int right, int bottom, const Boundary& b) {
    std::string when;
    if (b.found) {
        int year = b.year, month = b.month, day = b.day;
        // The nearest whole minute, a half going up; 24:00 is midnight of the next day.
        auto m = static_cast<int>(std::floor(b.hour * 60.0 + 0.5));
        if (m >= 1440) {
            m -= 1440;
            AddDays(1, year, month, day);
        }
        when = Format("%2d %s %04d, %02d:%02d ", day, MonthName(month), year, m / 60, m % 60);
    } else {
        // Never a date from unread data; padded to the width of a date so the row keeps its shape.
        when = Format("outside %d-%d", kFirstTableYear, kLastTableYear);
        when.resize(std::string_view("22 Aug 1999, 12:10 ").size(), ' ');
    }
    Draw(t, when, {x, y, right, bottom}, kAlignLeft, kRowFont, kInstantColour);
    t.mirror.Append(when);

    const ZodiacPosition& p = b.position;
    const char* sign =
        p.sign >= 0 && p.sign <= 11 ? SignAbbreviations[static_cast<std::size_t>(p.sign)] : "??";
    // A natal Sun that could not be computed leaves no longitude to show.
    const bool known = std::isfinite(b.longitude);
    Draw(t,
         known ? Format("(%2d %c%c %02d' %02.0f\")", p.degree, sign[0], sign[1], p.arcMinute,
                        p.arcSecond)
               : "(-- -- --' --\")",
         {x + 120, y, right, bottom}, kAlignLeft, kRowFont, kPositionColour);
    t.mirror.Append(known ? Format("(%02d %c%c %02d'%02.0f\")", p.degree, sign[0], sign[1],
                                   p.arcMinute, p.arcSecond)
                          : "(-- -- --'--\")");
}

void DrawPeriodReport(ReportTarget& t, SunContext& sun, const ChartData& chart) {
    ChartData c = WithinTables(chart);
    c.level = std::min(c.level, 5);
    const bool printing = t.print.printing;
    const int y0 = printing ? 48 : 8;
    t.mirror.text.clear();

    const std::string heading = "Tarvella\r\n\r\n";
    if (printing) {
        Draw(t, heading, {8, 8, 500, kAllDown}, kAlignCentre, {kArial, 250, 24, 8}, kHeadingColour);
    }
    t.mirror.Append(heading);

    const std::string caption = Caption(c);
    Draw(t, caption, {8, y0, 500, kAllDown}, kAlignCentre, {kArial, 350, 20, 7}, {0, 100, 100});
    t.mirror.Append(caption);

    const ZoneSpec& zone = c.eventZone;
    const std::string zoneLine =
        Format("Times are in 00:00-23:59 format. Time zone used in display is %d:%s %c.\r\n",
               zone.hours, Minutes(zone.minutes, true).c_str(), zone.west ? 'W' : 'E');
    Draw(t, zoneLine, {8, y0 + 32, 500, kAllDown}, kAlignCentre, kNoteFont, kNoteColour);
    t.mirror.Append(zoneLine);

    const std::string birthLine =
        MomentText("Birthdata", c.birth, c.birthZone) +
        Format(" MD of %d years started in %d.\r\n", c.dasaYears, c.dasaStartYear);
    const TextRect noteRect{8, y0 + 48, 500, kAllDown};
    if (printing) Draw(t, birthLine, noteRect, kAlignCentre, kNoteFont, kNoteColour);
    t.mirror.Append(birthLine);
    if (!printing) {
        Draw(t,
             c.level == 5 ? "Periods cannot be divided further. Click on \"Go one level up\"."
                          : "Click on a period to divide it further into sub-periods.",
             noteRect, kAlignCentre, kNoteFont, kNoteColour);
    }
    t.mirror.Append("\r\n");

    const LevelDivision d = DivideLevel(sun, c);
    for (int k = 0; k < 12; ++k) {
        const int y = (printing ? 130 : 90) + 24 * k;
        const char* label = RowLabels[static_cast<std::size_t>(k)];
        Draw(t, label, {8, y, kWide, kAllDown}, kAlignLeft, kRowFont, kLabelColour);
        t.mirror.Append(label);
        DrawBoundary(t, 56, y, kWide, kAllDown, d.boundaries[static_cast<std::size_t>(k)]);
        Draw(t, " - ", {268, y, kWide, kAllDown}, kAlignLeft, kRowFont, kLabelColour);
        t.mirror.Append(" - ");
        DrawBoundary(t, 292, y, kWide, kAllDown, d.boundaries[static_cast<std::size_t>(k) + 1]);
        t.mirror.Append("\r\n");
    }
    t.mirror.Append("\r\n\r\n");

    if (!printing && c.level > 1) {
        Draw(t, "Go one level up", {8, 402, 500, kAllDown}, kAlignCentre, {kArial, 500, 20, 8},
             {140, 0, 140});
    }
}

void DrawEventReport(ReportTarget& t, SunContext& sun, ChartData& chart) {
    ChartData c = WithinTables(chart);
    t.mirror.text.clear();

    Draw(t, "Tarvella:", {30, 50, kWide, kAllDown}, kAlignLeft, {kArial, 350, 30, 10},
         kHeadingColour);
    t.mirror.Append("Tarvella:\r\n\r\n");

    const std::string birthLine = MomentText("Birthdata", c.birth, c.birthZone) + "\r\n";
    const std::string mdLines = Format(
        "MD of %d years started in %d.\r\nSub-periods of an event were sought in this MD.\r\n\r\n",
        c.dasaYears, c.dasaStartYear);
    const std::string eventLines = MomentText("Event data", c.event, c.eventZone) +
                                   "\r\n\r\nClick on a period below to view its divisions.\r\n\r\n";
    const int tops[] = {110, 142, 194};
    const std::string* texts[] = {&birthLine, &mdLines, &eventLines};
    for (int i = 0; i < 3; ++i) {
        Draw(t, *texts[i], {50, tops[i], 450, kAllDown}, kAlignCentre, kEventDataFont,
             kEventDataColour);
        t.mirror.Append(*texts[i]);
    }

    const int pathTop = 298;
    Draw(t, "Given MD ", {50, pathTop, kWide, kAllDown}, kAlignLeft, kPathFont, kInstantColour);
    t.mirror.Append("Given MD ");

    const EventPath path = LocateEvent(sun, c);
    chart.adIndex = c.adIndex;
    chart.pdIndex = c.pdIndex;
    chart.sdIndex = c.sdIndex;
    chart.padIndex = c.padIndex;

    int errorX = 130;
    if (path.adIndex != kNoAntardasa) {
        const std::string ad = Format("%sAD ", EventLabels[static_cast<std::size_t>(path.adIndex)]);
        Draw(t, ad, {130, pathTop, kWide, kAllDown}, kAlignLeft, kPathFont, kInstantColour);
        t.mirror.Append(ad);
        for (int k = 0; k < path.tiersFound; ++k) {
            const std::string tier =
                Format("%s%s ", EventLabels[static_cast<std::size_t>(path.tierIndex[k])],
                       EventLevelNames[static_cast<std::size_t>(k)]);
            Draw(t, tier, {210 + 80 * k, pathTop, kWide, kAllDown}, kAlignLeft, kPathFont,
                 kInstantColour);
            t.mirror.Append(tier);
        }
        errorX = 210 + 80 * path.tiersFound;
    }
    if (path.Complete()) {
        t.mirror.Append("\r\n\r\n");
        return;
    }
    Draw(t,
         "\r\n\r\nERROR!\r\n\r\nPlease check if the given event really falls in the given "
         "MD.\r\n\r\n",
         {errorX, pathTop, kWide, kAllDown}, kAlignLeft, {"Courier New", 350, 30, 10},
         kInstantColour);
    t.mirror.Append("\r\n\r\nERROR!\r\n\r\n");
}

std::string DrawReport(ReportCanvas& canvas, const PrintState& print, SunContext& sun,
                       ChartData& chart) {
    ReportTarget target{canvas, print, {}};
    if (std::clamp(chart.level, 1, kEventLevel) == kEventLevel) {
        DrawEventReport(target, sun, chart);
    } else {
        DrawPeriodReport(target, sun, chart);
    }
    return target.mirror.text;
}

}  // namespace tarvella
