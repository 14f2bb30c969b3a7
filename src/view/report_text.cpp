#include "view/report_text.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include "core/calendar.h"
#include "view/report_canvas.h"

namespace tarvella {
namespace {

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

}  // namespace

namespace {

// LocalSeconds in ticks of 1/perSecond s.
std::int64_t LocalTicks(const Boundary& b, std::int64_t perSecond) {
    const std::int64_t minute = 60 * perSecond, day = 86400 * perSecond;
    auto t =
        static_cast<std::int64_t>(std::floor(b.hour * (3600.0 * static_cast<double>(perSecond))));
    const auto m = static_cast<std::int64_t>(std::floor(b.hour * 60.0 + 0.5));
    t = std::clamp(t, minute * m - minute / 2, minute * m + minute / 2 - 1);
    t = std::clamp<std::int64_t>(t, 0, day - 1);
    return DayNumber({b.year, b.month, b.day}) * day + t;
}

}  // namespace

std::int64_t LocalSeconds(const Boundary& b) {
    return LocalTicks(b, 1);
}

std::int64_t LocalHundredths(const Boundary& b) {
    return LocalTicks(b, 100);
}

BoundaryTexts FormatBoundary(const Boundary& b, bool seconds, bool hundredths) {
    BoundaryTexts t;
    if (b.found && seconds) {
        const std::int64_t hs = hundredths ? LocalHundredths(b) : 100 * LocalSeconds(b);
        const std::int64_t s = hs / 100 - (hs % 100 < 0 ? 1 : 0);
        const std::int64_t day = s / 86400 - (s % 86400 < 0 ? 1 : 0);
        const auto rest = static_cast<int>(s - day * 86400);
        const CivilDate date = DateOfDayNumber(day);
        t.when = Format("%2d %s %04d, %02d:%02d:%02d", date.day, MonthName(date.month), date.year,
                        rest / 3600, rest / 60 % 60, rest % 60);
        if (hundredths) t.when += Format(".%02d", static_cast<int>(hs - 100 * s));
        t.when += ' ';
    } else if (b.found) {
        int year = b.year, month = b.month, day = b.day;
        // The nearest whole minute, a half going up; 24:00 is midnight of the next day.
        auto m = static_cast<int>(std::floor(b.hour * 60.0 + 0.5));
        if (m >= 1440) {
            m -= 1440;
            AddDays(1, year, month, day);
        }
        t.when = Format("%2d %s %04d, %02d:%02d ", day, MonthName(month), year, m / 60, m % 60);
    } else {
        // Never a date from unread data; padded to the width of a date so the row keeps its shape.
        t.when = Format("outside %d-%d", kFirstTableYear, kLastTableYear);
        t.when.resize(std::string_view("22 Aug 1999, 12:10 ").size(), ' ');
    }
    const ZodiacPosition& p = b.position;
    const char* sign =
        p.sign >= 0 && p.sign <= 11 ? SignAbbreviations[static_cast<std::size_t>(p.sign)] : "??";
    // A natal Sun that could not be computed leaves no longitude to show.
    if (std::isfinite(b.longitude)) {
        t.position = Format("(%2d %c%c %02d' %02.0f\")", p.degree, sign[0], sign[1], p.arcMinute,
                            p.arcSecond);
        t.plainPosition = Format("(%02d %c%c %02d'%02.0f\")", p.degree, sign[0], sign[1],
                                 p.arcMinute, p.arcSecond);
    } else {
        t.position = "(-- -- --' --\")";
        t.plainPosition = "(-- -- --'--\")";
    }
    return t;
}

std::array<BoundaryTexts, 13> FormatBoundaries(const LevelDivision& division, bool seconds,
                                               bool hundredths) {
    std::array<BoundaryTexts, 13> texts;
    for (std::size_t k = 0; k < texts.size(); ++k)
        texts[k] = FormatBoundary(division.boundaries[k], seconds, hundredths);
    return texts;
}

std::string CaptionText(const ChartData& c) {
    const auto name = [&c](int tier) {
        return OrdinalNames[static_cast<std::size_t>(PathIndex(c, tier))];
    };
    const char *ad = name(kAdTier), *pd = name(kPdTier), *sd = name(kSdTier), *pad = name(kPadTier);
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

std::string ZoneLineText(const ChartData& c) {
    const ZoneSpec& zone = c.eventZone;
    return Format("Times are in 00:00-23:59 format. Time zone used in display is %d:%s %c.\r\n",
                  zone.hours, Minutes(zone.minutes, true).c_str(), zone.west ? 'W' : 'E');
}

std::string BirthLineText(const ChartData& c) {
    return MomentText("Birthdata", c.birth, c.birthZone) +
           Format(" MD of %d years started in %d.\r\n", c.dasaYears, c.dasaStartYear);
}

std::string HintText(int level) {
    return level == 5 ? "Periods cannot be divided further. Click on \"Go one level up\"."
                      : "Click on a period to divide it further into sub-periods.";
}

std::array<std::string, 3> EventDataTexts(const ChartData& c) {
    return {MomentText("Birthdata", c.birth, c.birthZone) + "\r\n",
            Format("MD of %d years started in %d.\r\nSub-periods of an event were sought in this "
                   "MD.\r\n\r\n",
                   c.dasaYears, c.dasaStartYear),
            MomentText("Event data", c.event, c.eventZone) +
                "\r\n\r\nClick on a period below to view its divisions.\r\n\r\n"};
}

std::vector<std::string> EventPathTexts(const EventPath& path) {
    std::vector<std::string> texts{"Given MD "};
    if (path.PathTiersFound() == 0) return texts;
    texts.push_back(Format("%sAD ", EventLabels[static_cast<std::size_t>(path.adIndex)]));
    for (int k = 0; k < std::min(path.tiersFound, kLowerTiers); ++k) {
        const auto tier = static_cast<std::size_t>(k);
        texts.push_back(Format("%s%s ", EventLabels[static_cast<std::size_t>(path.tierIndex[tier])],
                               EventLevelNames[tier]));
    }
    return texts;
}

std::string ReportText(const ReportModel& report) {
    PlainTextMirror text;
    const ChartData& c = report.chart;
    if (report.IsEvent()) {
        text.Append(EventHeading(report.precise));
        text.Append("\r\n\r\n");
        for (const std::string& block : EventDataTexts(c)) text.Append(block);
        for (const std::string& column : EventPathTexts(report.event)) text.Append(column);
        text.Append(report.event.Complete() ? "\r\n\r\n" : kEventErrorPlainText);
        return text.text;
    }
    text.Append(PeriodHeading(report.precise));
    text.Append(CaptionText(c));
    text.Append(ZoneLineText(c));
    text.Append(BirthLineText(c));
    text.Append("\r\n");
    const std::array<BoundaryTexts, 13> b =
        FormatBoundaries(report.division, report.seconds, report.precise);
    for (std::size_t k = 0; k < 12; ++k) {
        const BoundaryTexts& start = b[k];
        const BoundaryTexts& end = b[k + 1];
        text.Append(RowLabels[k]);
        text.Append(start.when);
        text.Append(start.plainPosition);
        text.Append(" - ");
        text.Append(end.when);
        text.Append(end.plainPosition);
        text.Append("\r\n");
    }
    text.Append("\r\n\r\n");
    return text.text;
}

}  // namespace tarvella
