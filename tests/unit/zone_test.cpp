#include "zone/zone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "test_support.h"

namespace tarvella::zone {
namespace {

const ZoneDatabase kSystem;

Lookup At(std::string_view name, int y, int mo, int d, int h, double mi) {
    return LookupOffset(kSystem, name, LocalTime{y, mo, d, h, mi});
}

// The offset in force, in seconds east, or a marker for anything but a single offset.
int East(std::string_view name, int y, int mo, int d, int h = 12, double mi = 0) {
    const Lookup l = At(name, y, mo, d, h, mi);
    return l.kind == Lookup::Kind::Unique ? l.first.eastSeconds : -999999;
}

constexpr int H = 3600, M = 60;

TEST(ZoneHistory, WarTimeDoubleSummerTimeAndRuleChanges) {
    // India: standard time, and the war time of 1942 to 1945 an hour ahead of it.
    EXPECT_EQ(East("Asia/Kolkata", 1940, 6, 1), 5 * H + 30 * M);
    EXPECT_EQ(East("Asia/Kolkata", 1943, 6, 1), 6 * H + 30 * M);
    EXPECT_EQ(East("Asia/Kolkata", 1970, 4, 4), 5 * H + 30 * M);
    // London: summer time all through the winter of 1940-41, double summer time in 1941, and
    // British Standard Time from 1968 to 1971.
    EXPECT_EQ(East("Europe/London", 1941, 1, 15), 1 * H);
    EXPECT_EQ(East("Europe/London", 1941, 6, 15), 2 * H);
    EXPECT_EQ(East("Europe/London", 1969, 1, 15), 1 * H);
    EXPECT_EQ(East("Europe/London", 1973, 1, 15), 0);
    EXPECT_TRUE(At("Europe/London", 1941, 6, 15, 12, 0).first.daylightSaving);
    // New York: the rules of 2007 moved the start of daylight saving from April to March.
    EXPECT_EQ(East("America/New_York", 2006, 3, 20), -5 * H);
    EXPECT_EQ(East("America/New_York", 2007, 3, 20), -4 * H);
    EXPECT_EQ(East("America/New_York", 2007, 11, 2), -4 * H);
    EXPECT_EQ(East("America/New_York", 2006, 11, 2), -5 * H);
}

// Where the database's local mean time of a zone ends: the places take their own mean time
// until then.
TEST(ZoneHistory, TheEndOfLocalMeanTimeAndLocalSeconds) {
    const std::optional<MeanTimeEnd> kolkata = LocalMeanTimeEnd(kSystem, "Asia/Kolkata");
    ASSERT_TRUE(kolkata);
    // Howrah time from 18:06:32 UT on 27 Jun 1854, midnight by the mean time of Kolkata.
    EXPECT_EQ(kolkata->instant, LocalSeconds({1854, 6, 27, 18, 6 + 32 / 60.0}));
    EXPECT_EQ(kolkata->to.eastSeconds, 5 * H + 53 * M + 20);
    EXPECT_EQ(kolkata->to.abbreviation, "HMT");
    const std::optional<MeanTimeEnd> chicago = LocalMeanTimeEnd(kSystem, "America/Chicago");
    ASSERT_TRUE(chicago);
    EXPECT_EQ(chicago->instant, LocalSeconds({1883, 11, 18, 18, 0}));
    EXPECT_EQ(chicago->to.abbreviation, "CST");
    EXPECT_FALSE(LocalMeanTimeEnd(kSystem, "UTC"));
    EXPECT_FALSE(LocalMeanTimeEnd(kSystem, "Europe/Atlantis"));
    EXPECT_FALSE(LocalMeanTimeEnd(kSystem, "../../etc/passwd"));
    EXPECT_EQ(LocalSeconds({1970, 1, 1, 0, 0}), 0);
    EXPECT_EQ(LocalSeconds({1970, 1, 2, 1, 30.5}), 86400 + 3600 + 30 * 60 + 30);
    EXPECT_EQ(LocalTimeText({1999, 10, 31, 1, 30.9}), "1:30 on 31 Oct 1999");
}

TEST(ZoneHistory, LocalMeanTimeKeepsItsFractionOfAMinute) {
    const Lookup ny = At("America/New_York", 1880, 1, 1, 12, 0);
    ASSERT_EQ(ny.kind, Lookup::Kind::Unique);
    EXPECT_EQ(ny.first.eastSeconds, -(4 * H + 56 * M + 2));
    EXPECT_EQ(ny.first.abbreviation, "LMT");
    EXPECT_EQ(ny.zone.west, 1);
    EXPECT_EQ(ny.zone.hours, 4);
    EXPECT_DOUBLE_EQ(ny.zone.minutes, 56.0 + 2.0 / 60.0);
    EXPECT_DOUBLE_EQ(ny.zone.utOffset, 4.0 + (56.0 + 2.0 / 60.0) / 60.0);
    // East of Greenwich the offset is negative, as the dialog makes it.
    const Lookup kolkata = At("Asia/Kolkata", 1970, 4, 4, 17, 50);
    EXPECT_EQ(kolkata.zone.west, 0);
    EXPECT_EQ(kolkata.zone.hours, 5);
    EXPECT_EQ(kolkata.zone.minutes, 30.0);
    EXPECT_EQ(kolkata.zone.utOffset, -5.5);
    EXPECT_EQ(FormatOffset(ny.first.eastSeconds), "4:56:02 W");
    EXPECT_EQ(FormatOffset(kolkata.first.eastSeconds), "5:30 E");
}

// Both edges of a change, north and south: a time skipped in spring, a time twice in autumn.
TEST(ZoneHistory, DaylightSavingEdgesAreToldNotGuessed) {
    Lookup l = At("Europe/London", 1999, 10, 31, 1, 30);
    ASSERT_EQ(l.kind, Lookup::Kind::Ambiguous);
    EXPECT_EQ(l.first.eastSeconds, 1 * H);
    EXPECT_TRUE(l.first.daylightSaving);
    EXPECT_EQ(l.second.eastSeconds, 0);
    EXPECT_EQ(DescribeProblem("Europe/London", {1999, 10, 31, 1, 30}, l),
              "1:30 on 31 Oct 1999 happens twice in Europe/London: at 1:00 E (daylight saving) "
              "and at 0:00 E.");
    EXPECT_EQ(East("Europe/London", 1999, 10, 31, 0, 59), 1 * H);
    EXPECT_EQ(East("Europe/London", 1999, 10, 31, 2, 0), 0);

    l = At("Europe/London", 2000, 3, 26, 1, 30);
    ASSERT_EQ(l.kind, Lookup::Kind::Nonexistent);
    EXPECT_EQ(l.first.eastSeconds, 0);
    EXPECT_EQ(l.second.eastSeconds, 1 * H);
    EXPECT_EQ(DescribeProblem("Europe/London", {2000, 3, 26, 1, 30}, l),
              "1:30 on 26 Mar 2000 does not exist in Europe/London: the clocks went from 0:00 E "
              "to 1:00 E (daylight saving).");

    // Sydney: forward on the first Sunday of October, back on the first Sunday of April.
    l = At("Australia/Sydney", 2020, 10, 4, 2, 30);
    ASSERT_EQ(l.kind, Lookup::Kind::Nonexistent);
    EXPECT_EQ(l.first.eastSeconds, 10 * H);
    EXPECT_EQ(l.second.eastSeconds, 11 * H);
    l = At("Australia/Sydney", 2021, 4, 4, 2, 30);
    ASSERT_EQ(l.kind, Lookup::Kind::Ambiguous);
    EXPECT_EQ(l.first.eastSeconds, 11 * H);
    EXPECT_EQ(l.second.eastSeconds, 10 * H);
    EXPECT_EQ(East("Australia/Sydney", 2021, 1, 15), 11 * H);
    EXPECT_EQ(East("Australia/Sydney", 2021, 7, 15), 10 * H);
}

TEST(ZoneHistory, UnknownNamesAndOffsetsTheFieldsCannotHold) {
    for (const char* name : {"Mars/Olympus_Mons", "", "/etc/passwd", "../../etc/passwd",
                             "Europe/../../../etc/passwd", "Europe//London", "Europe/London/"}) {
        const Lookup l = At(name, 2000, 1, 1, 12, 0);
        EXPECT_EQ(l.kind, Lookup::Kind::UnknownZone) << name;
    }
    EXPECT_EQ(DescribeProblem("Mars/Olympus_Mons", {}, At("Mars/Olympus_Mons", 2000, 1, 1, 0, 0)),
              "There is no time zone \"Mars/Olympus_Mons\".");
    const Lookup kiritimati = At("Pacific/Kiritimati", 2000, 1, 1, 12, 0);
    EXPECT_EQ(kiritimati.kind, Lookup::Kind::Unrepresentable);
    EXPECT_EQ(kiritimati.first.eastSeconds, 14 * H);
    EXPECT_EQ(DescribeProblem("Pacific/Kiritimati", {2000, 1, 1, 12, 0}, kiritimati),
              "Pacific/Kiritimati is 14:00 E at 12:00 on 1 Jan 2000, more than the 12 hours a "
              "zone can be entered with.");
    // Twelve hours and more minutes still fit the fields.
    EXPECT_EQ(At("Pacific/Chatham", 2000, 6, 1, 12, 0).kind, Lookup::Kind::Unique);
    EXPECT_EQ(At("UTC", 2000, 6, 1, 12, 0).zone.utOffset, 0.0);
    // Whatever is half typed in a minute field is asked about safely.
    for (double minute : {1e300, -1e300, std::nan(""), 75.0}) {
        const LocalTime local{2000, 6, 1, 12, minute};
        const Lookup l = LookupOffset(kSystem, "Europe/London", local);
        EXPECT_EQ(l.kind, Lookup::Kind::Unique) << minute;
        const Lookup twice = At("Europe/London", 1999, 10, 31, 1, 30);
        EXPECT_NE(DescribeProblem("Europe/London", local, twice).find(" happens twice in "),
                  std::string::npos);
    }
}

TEST(ZoneList, NamesPlacesAndCountriesCanBeSearched) {
    const std::vector<ZoneEntry> zones = ListZones(kSystem);
    EXPECT_GT(zones.size(), 300u);
    EXPECT_TRUE(std::is_sorted(zones.begin(), zones.end(),
                               [](const auto& a, const auto& b) { return a.name < b.name; }));
    const auto names = [&](std::string_view text) {
        std::vector<std::string> n;
        for (const ZoneEntry& z : FindZones(zones, text)) n.push_back(z.name);
        return n;
    };
    EXPECT_EQ(names("kolkata"), std::vector<std::string>{"Asia/Kolkata"});
    const auto has = [&](std::string_view text, const std::string& name) {
        const auto n = names(text);
        return std::find(n.begin(), n.end(), name) != n.end();
    };
    EXPECT_TRUE(has("India", "Asia/Kolkata"));
    EXPECT_TRUE(has("Britain", "Europe/London"));
    const auto newYork = FindZones(zones, "new york");
    ASSERT_FALSE(newYork.empty());
    EXPECT_EQ(newYork.front().name, "America/New_York");
    EXPECT_EQ(newYork.front().countryCodes, "US");
    EXPECT_EQ(newYork.front().countryNames, "United States");
    EXPECT_TRUE(newYork.front().place.starts_with("New York"));
    // A zone that serves several countries names them all; an older name of one stays listed.
    EXPECT_TRUE(has("Norway", "Europe/Berlin"));
    EXPECT_TRUE(has("Oslo", "Europe/Oslo"));
    EXPECT_TRUE(names("no such place").empty());
    EXPECT_TRUE(ListZones(ZoneDatabase{"/nonexistent"}).empty());
}

}  // namespace
}  // namespace tarvella::zone
