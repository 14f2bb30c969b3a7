#include "view/period_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>

#include "engine/report_model.h"
#include "test_support.h"
#include "view/report_text.h"

namespace tarvella {
namespace {

Boundary At(int year, int month, int day, double hour, double utOffset) {
    Boundary b;
    b.found = true;
    b.year = year;
    b.month = month;
    b.day = day;
    b.hour = hour;
    double h = hour + utOffset;
    int y = year, m = month, d = day;
    CarryHours(y, m, d, h);
    b.ut = {{y, m, d}, h};
    b.longitude = 125.24638;
    b.position = SplitLongitude(b.longitude);
    return b;
}

ZoneSpec Zone(double utOffset) {
    ZoneSpec z;
    z.utOffset = utOffset;
    return z;
}

// The report's minute of a local text: seconds 30 and over go up, as the report rounds.
std::string MinuteOf(const std::string& local) {
    int y, mo, d, h, mi, s;
    std::sscanf(local.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    int minutes = h * 60 + mi + (s >= 30 ? 1 : 0);
    if (minutes >= 1440) {
        minutes -= 1440;
        AddDays(1, y, mo, d);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%2d %s %04d, %02d:%02d ", d, MonthAbbreviations[mo - 1], y,
                  minutes / 60, minutes % 60);
    return text;
}

TEST(PeriodExport, InstantsTruncateToTheSecondWithTheZonesOffset) {
    const Boundary b = At(1999, 8, 22, 11.0 + 48.0 / 60 + 12.9 / 3600, 4.0);
    EXPECT_EQ(LocalText(b, Zone(4.0)), "1999-08-22T11:48:12-04:00");
    EXPECT_EQ(UtcText(b, Zone(4.0)), "1999-08-22T15:48:12Z");
    const Boundary late = At(1999, 12, 31, 23.0 + 59.0 / 60 + 59.99 / 3600, -5.5);
    EXPECT_EQ(LocalText(late, Zone(-5.5)), "1999-12-31T23:59:59+05:30");
    EXPECT_EQ(UtcText(late, Zone(-5.5)), "1999-12-31T18:29:59Z");
    // A local mean time of seconds, and an offset that is no whole second.
    EXPECT_EQ(OffsetText(Zone(-(5.0 + 53.0 / 60 + 28.0 / 3600))), "+05:53:28");
    EXPECT_EQ(OffsetText(Zone(0.0)), "+00:00");
    Boundary odd = At(2000, 1, 1, 0.5, 0.123456789);
    odd.ut = {{1999, 12, 31}, 24.0};
    EXPECT_EQ(UtcText(odd, Zone(0.123456789)), "2000-01-01T00:00:00Z");
    Boundary outside;
    EXPECT_EQ(UtcText(outside, Zone(0)), kOutsideTableText);
    EXPECT_EQ(LocalText(outside, Zone(0)), kOutsideTableText);
}

TEST(PeriodExport, PreciseInstantsToTheHundredth) {
    const Boundary b = At(1999, 8, 22, 11.0 + 48.0 / 60 + 12.376 / 3600, 4.0);
    EXPECT_EQ(UtcText(b, Zone(4.0), true), "1999-08-22T15:48:12.37Z");
    EXPECT_EQ(LocalText(b, Zone(4.0), true), "1999-08-22T11:48:12.37-04:00");
    EXPECT_EQ(FormatBoundary(b, true, true).when, "22 Aug 1999, 11:48:12.37 ");
    EXPECT_EQ(FormatBoundary(b, true).when, "22 Aug 1999, 11:48:12 ");
    // A hair below the half minute stays in the minute the report rounds to.
    const Boundary half = At(2001, 2, 28, std::nextafter(10.5 / 60, 0.0), 0.0);
    EXPECT_EQ(LocalText(half, Zone(0.0), true), "2001-02-28T00:10:29.99+00:00");
}

// The figures as the exports and the status bar write them, always rounded up.
TEST(PeriodExport, UncertaintyTextsAndAlarmArguments) {
    const std::pair<double, const char*> shortTexts[] = {
        {4.01, "\u00b1 5 s"},        {4.0, "\u00b1 4 s"},     {0.031, "\u00b1 0.04 s"},
        {90.0, "\u00b1 1 min 30 s"}, {120.0, "\u00b1 2 min"}, {NAN, ""}};
    for (const auto& [seconds, text] : shortTexts) EXPECT_EQ(UncertaintyShortText(seconds), text);
    EXPECT_EQ(UncertaintyFieldText(4.271), "4.28");
    EXPECT_EQ(UncertaintyFieldText(1.5), "1.5");
    EXPECT_EQ(UncertaintyFieldText(NAN), "");

    const std::pair<const char*, std::int64_t> leads[] = {
        {"1d", 86400}, {"2h", 7200}, {"30m", 1800}, {"1w", 604800}, {"0d", -1}, {"d", -1},
        {"1y", -1},    {"-1h", -1},  {"1.5h", -1},  {"400d", -1},   {"", -1}};
    for (const auto& [text, seconds] : leads) {
        std::int64_t got = -1;
        EXPECT_EQ(ParseAlarmLead(text, got), seconds > 0) << text;
        if (seconds > 0) {
            EXPECT_EQ(got, seconds) << text;
            EXPECT_EQ(AlarmLeadText(seconds), text);
        }
    }
    const std::pair<const char*, unsigned> tiers[] = {
        {"AD", 1}, {"AD,PD", 3}, {"DAD,SD", 20}, {"AD,AD", 0}, {"", 0}, {"AD,", 0}, {"ad", 0}};
    for (const auto& [text, mask] : tiers) {
        unsigned got = 0;
        EXPECT_EQ(ParseAlarmTiers(text, got), mask != 0) << text;
        if (mask != 0) {
            EXPECT_EQ(got, mask) << text;
        }
    }
}

// Each row of the JSON as written by hand reads back as the object nlohmann would have made, and
// every figure covers the search's bound, Delta T's and the truncated second; the file's largest
// closes it.
TEST(PeriodExport, JsonRowsAndTheirUncertainties) {
    Ayanamsa ayanamsa;
    SunContext sun{test::GeneratedTable(), ayanamsa};
    ChartData chart = DefaultChart();
    chart.dasaYears = 12;
    chart.dasaStartYear = 2088;  // its last periods lie past the table
    ComputeSunPosition(sun, chart.birth, chart.birthZone);
    std::string text;
    ASSERT_EQ(WritePeriods(sun, chart, Preferences{}, 2, ExportFormat::Json,
                           [&](std::string_view bytes) {
                               text += bytes;
                               return true;
                           }),
              ExportResult::Written);
    const auto json = nlohmann::json::parse(text);
    double largest = 0.0;
    int outside = 0;
    for (const auto& p : json["periods"]) {
        for (const char* end : {"start", "end"}) {
            const auto& u = p[std::string(end) + "_uncertainty_s"];
            if (p[std::string(end) + "_utc"].is_null()) {
                EXPECT_TRUE(u.is_null());
                ++outside;
                continue;
            }
            EXPECT_GT(u.get<double>(), 1.0);
            largest = std::max(largest, u.get<double>());
        }
    }
    // One row a line: each as nlohmann writes the object it reads.
    std::size_t rows = 0;
    for (std::size_t at = text.find("\n{"); at != std::string::npos;
         at = text.find("\n{", at + 1)) {
        std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
        if (line.back() == ',') line.pop_back();
        ASSERT_EQ(nlohmann::ordered_json::parse(line).dump(), line);
        ++rows;
    }
    EXPECT_EQ(rows, json["periods"].size());
    EXPECT_GT(outside, 0);
    EXPECT_EQ(json["uncertainty_seconds"].get<double>(), largest);
    EXPECT_GT(largest, 60.0);
    EXPECT_GT(json["birth"]["sun_uncertainty_seconds"].get<double>(), 0.0);
}

TEST(PeriodExport, LongitudesAsSignDegreesMinutesSecondsAndDecimal) {
    Boundary b;
    b.longitude = 125.0 + 14.0 / 60 + 47.2 / 3600 + 360.0;
    b.position = SplitLongitude(b.longitude);
    EXPECT_EQ(PositionText(b), "Le 05 14 47");
    EXPECT_EQ(DegreesText(b.longitude), "125.246444");
    EXPECT_EQ(DegreesText(720.0 - 1e-9), "0.000000");
    PeriodRow row;
    row.tier = 3;
    row.path = {4, 5, 9, 0, 0};
    EXPECT_EQ(PathText(row), "5.6.10");
    EXPECT_EQ(SummaryText(row), "5th AD / 6th PD / 10th SD");
}

// Whatever the last bits of the hour, the second written rounds to the minute the report shows,
// also where the hour lies a hair below a half minute.
TEST(PeriodExport, LocalSecondRoundsToTheReportsMinute) {
    std::mt19937_64 random(15);
    std::uniform_real_distribution<double> hour(0.0, 24.0);
    for (int i = 0; i < 200000; ++i) {
        double h = hour(random);
        if (i % 2) h = std::nextafter((std::floor(h * 60.0) + 0.5) / 60.0, i % 4 == 1 ? 0.0 : 24.0);
        const Boundary b = At(2001, 2, 28, h, 3.0);
        ASSERT_EQ(MinuteOf(LocalText(b, Zone(3.0))), FormatBoundary(b).when) << h;
    }
}

TEST(PeriodExport, WriteFailureAndCancelStopTheWalk) {
    Ayanamsa ayanamsa;
    SunContext sun{test::GeneratedTable(), ayanamsa};
    ChartData chart = DefaultChart();
    ComputeSunPosition(sun, chart.birth, chart.birthZone);
    int writes = 0;
    EXPECT_EQ(WritePeriods(sun, chart, Preferences{}, 5, ExportFormat::Csv,
                           [&](std::string_view) { return ++writes < 10; }),
              ExportResult::WriteFailed);
    EXPECT_EQ(writes, 10);
    std::int64_t seen = 0;
    EXPECT_EQ(
        WritePeriods(
            sun, chart, Preferences{}, 5, ExportFormat::Json, [](std::string_view) { return true; },
            [&](std::int64_t rows) {
                seen = rows;
                return rows < 8192;
            }),
        ExportResult::Cancelled);
    EXPECT_EQ(seen, 8192);
}

// Show seconds changes the times and nothing else of the text, and each time rounds to the minute
// shown without it.
TEST(PeriodExport, ReportTextWithSecondsRoundsToTheTextWithout) {
    Ayanamsa ayanamsa;
    SunContext sun{test::GeneratedTable(), ayanamsa};
    ChartData chart = DefaultChart();
    ComputeSunPosition(sun, chart.birth, chart.birthZone);
    for (int level = 1; level <= 5; ++level) {
        ReportModel report = BuildReport(sun, chart, level);
        const std::string minutes = ReportText(report);
        report.seconds = true;
        const std::string seconds = ReportText(report);
        ASSERT_NE(seconds, minutes);
        for (std::size_t k = 0; k < 13; ++k) {
            const Boundary& b = report.division.boundaries[k];
            const std::string with = FormatBoundary(b, true).when;
            EXPECT_NE(seconds.find(with), std::string::npos);
            int day, year, h, m, sec;
            char month[4];
            ASSERT_EQ(
                std::sscanf(with.c_str(), "%d %3s %d, %d:%d:%d", &day, month, &year, &h, &m, &sec),
                6);
            const int mo = static_cast<int>(
                std::find_if(MonthAbbreviations.begin(), MonthAbbreviations.end(),
                             [&](const char* a) { return std::string(a) == month; }) -
                MonthAbbreviations.begin() + 1);
            char iso[32];
            std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT%02d:%02d:%02d", year, mo, day, h, m,
                          sec);
            EXPECT_EQ(MinuteOf(iso), FormatBoundary(b).when);
        }
    }
}

}  // namespace
}  // namespace tarvella
