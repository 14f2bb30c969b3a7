#include "places/places.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "places/places_file.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tarvella::places {
namespace {

const Atlas& Generated() {
    return test::GeneratedAtlas();
}

std::string Label(std::uint32_t index) {
    return PlaceLabel(Generated().place(index));
}

// The one place the text names, or a marker.
std::string Resolved(std::string_view text) {
    const Resolution r = ResolvePlace(Generated(), text);
    return r.found ? Label(r.chosen) : "(" + std::to_string(r.candidates.size()) + " candidates)";
}

TEST(PlaceSearch, NamesakesAreToldApartByStateCountryOrCoordinates) {
    const Resolution springfield = ResolvePlace(Generated(), "Springfield");
    EXPECT_FALSE(springfield.found);
    EXPECT_GE(springfield.candidates.size(), 8u);
    const std::pair<const char*, const char*> cases[] = {
        {"Springfield, Missouri", "Springfield, Missouri, United States of America"},
        {"springfield , massachusetts, united states",
         "Springfield, Massachusetts, United States of America"},
        {"Springfield, 37.215, -93.298", "Springfield, Missouri, United States of America"},
        {"Springfield, US, 39.93, -75.32", "Springfield, Pennsylvania, United States of America"},
        {"Kochi, Japan", "Kochi, Kochi, Japan"},
        {"Kochi, kerala", "Kochi, Kerala, India"},
        {"Kochi", "(2 candidates)"},
        {"Springfield, Atlantis", "(0 candidates)"},
        {"Springfield, 10.0, 10.0", "(0 candidates)"},
        // West Bengal is "State of West Bengal" in the data.
        {"Kolkata, West Bengal, India", "Kolkata, State of West Bengal, India"},
    };
    for (const auto& [text, label] : cases) EXPECT_EQ(Resolved(text), label) << text;
    // Missouri's and Massachusetts' keep different zones; the candidate text shows what differs.
    const Place mo =
        Generated().place(ResolvePlace(Generated(), "Springfield, Missouri, US").chosen);
    EXPECT_EQ(mo.zone, "America/Chicago");
    EXPECT_EQ(CandidateText(mo),
              "Springfield, Missouri, United States of America (37.21533, "
              "-93.29824; 166810 people; America/Chicago)");
    const Place ma =
        Generated().place(ResolvePlace(Generated(), "Springfield, Massachusetts").chosen);
    EXPECT_EQ(ma.zone, "America/New_York");
}

// What "Enter Data" remembers of a place finds that place again, namesakes of one name, state
// and country included.
TEST(PlaceSearch, AReferenceFindsItsPlaceAgain) {
    const Atlas& atlas = Generated();
    std::map<std::string, int> labels;
    for (std::uint32_t i = 0; i < atlas.size(); ++i) ++labels[PlaceLabel(atlas.place(i))];
    int twins = 0;
    for (std::uint32_t i = 0; i < atlas.size(); ++i) {
        const Place p = atlas.place(i);
        const bool twin = labels[PlaceLabel(p)] > 1;
        if (!twin && i % 97 != 0) continue;
        twins += twin;
        const Resolution r = ResolvePlace(atlas, PlaceReference(p));
        ASSERT_TRUE(r.found) << PlaceReference(p);
        EXPECT_EQ(r.chosen, i) << PlaceReference(p);
    }
    EXPECT_GT(twins, 0);
    EXPECT_EQ(PlaceReference(atlas.place(ResolvePlace(atlas, "Pune").chosen)),
              "Pune, Maharashtra, India, 18.51957, 73.85535");
}

TEST(PlaceSearch, CaseDiacriticsFormerNamesAndOrder) {
    const Atlas& atlas = Generated();
    EXPECT_EQ(atlas.Fold("São Paulo"), "sao paulo");
    EXPECT_EQ(atlas.Fold("BHĪMAVARAM"), "bhimavaram");
    const std::pair<const char*, const char*> firsts[] = {
        {"Bhimavaram", "Bhīmavaram, Andhra Pradesh, India"},
        {"sao paulo", "São Paulo, São Paulo, Brazil"},
        {"SÃO PAULO", "São Paulo, São Paulo, Brazil"},
        {"Sa\u0303o Paulo", "São Paulo, São Paulo, Brazil"},  // the tilde typed on its own
        {"  pune ", "Pune, Maharashtra, India"},
        {"Bombay", "Mumbai, Maharashtra, India"},
        {"poona", "Pune, Maharashtra, India"},
        {"Calcutta", "Kolkata, State of West Bengal, India"},
        {"Madras", "Chennai, Tamil Nadu, India"},
        {"Saigon", "Ho Chi Minh City, Ho Chi Minh City, Vietnam"},
        {"Peking", "Beijing, Beijing Municipality, China"},
        {"Cochin", "Kochi, Kerala, India"},
    };
    for (const auto& [text, label] : firsts) {
        const std::vector<Match> found = atlas.Search(text);
        ASSERT_FALSE(found.empty()) << text;
        EXPECT_EQ(Label(found[0].index), label) << text;
        EXPECT_EQ(found[0].kind, Match::Kind::Exact) << text;
        EXPECT_EQ(Resolved(text), label) << text;
    }
    EXPECT_TRUE(atlas.Search("Bombay")[0].formerName);
    EXPECT_FALSE(atlas.Search("Mumbai")[0].formerName);

    // Exact before prefix before part, each by population: "pune" is a part of other names.
    const std::vector<Match> pun = atlas.Search("pun", 1000);
    ASSERT_GT(pun.size(), 10u);
    EXPECT_EQ(Label(pun[0].index), "Pune, Maharashtra, India");
    EXPECT_EQ(pun[0].kind, Match::Kind::Prefix);
    EXPECT_EQ(pun.back().kind, Match::Kind::Part);
    for (std::size_t i = 1; i < pun.size(); ++i) {
        const bool sameKind = pun[i - 1].kind == pun[i].kind;
        EXPECT_TRUE(pun[i - 1].kind < pun[i].kind ||
                    (sameKind && atlas.place(pun[i - 1].index).population >=
                                     atlas.place(pun[i].index).population))
            << i;
    }
    EXPECT_EQ(atlas.Search("pun", 5).size(), 5u);
    EXPECT_TRUE(atlas.Search("Xqzzyville").empty());
    EXPECT_TRUE(atlas.Search("   ").empty());
    EXPECT_TRUE(ResolvePlace(atlas, "Xqzzyville").candidates.empty());
    EXPECT_GT(atlas.size(), 20000u);
    EXPECT_GT(atlas.keyCount(), atlas.size());
}

constexpr int H = 3600, M = 60;

PlaceLookup At(std::string_view place, int y, int mo, int d, int h, double mi) {
    const Resolution r = ResolvePlace(Generated(), place);
    EXPECT_TRUE(r.found) << place;
    return LookupPlaceOffset(zone::ZoneDatabase{}, Generated().place(r.chosen),
                             zone::LocalTime{y, mo, d, h, mi});
}

TEST(PlaceOffset, LocalMeanTimeOfThePlaceUntilTheZoneLeftItsOwn) {
    const Place pune = Generated().place(ResolvePlace(Generated(), "Pune").chosen);
    const PlaceLookup pune1850 = At("Pune", 1850, 6, 1, 12, 0);
    ASSERT_EQ(pune1850.lookup.kind, zone::Lookup::Kind::Unique);
    EXPECT_TRUE(pune1850.firstMeanTime);
    EXPECT_EQ(pune1850.lookup.first.eastSeconds, 4 * H + 55 * M + 25);
    EXPECT_EQ(pune1850.lookup.zone.hours, 4);
    EXPECT_DOUBLE_EQ(pune1850.lookup.zone.minutes, 55.0 + 25.0 / 60.0);
    EXPECT_EQ(OffsetKindText(pune, pune1850), "local mean time of Pune, 73\u00b051' E");
    // Kolkata's own longitude, not the zone's mean time of 5:53:28.
    const PlaceLookup kolkata1850 = At("Kolkata", 1850, 6, 1, 12, 0);
    EXPECT_TRUE(kolkata1850.firstMeanTime);
    EXPECT_EQ(kolkata1850.lookup.first.eastSeconds, 5 * H + 53 * M + 27);
    // Later eras are the database's: Howrah time from 1854, standard time by 1910.
    for (const char* place : {"Pune", "Kolkata"}) {
        const PlaceLookup howrah = At(place, 1860, 1, 1, 12, 0);
        EXPECT_FALSE(howrah.firstMeanTime) << place;
        EXPECT_EQ(howrah.lookup.first.eastSeconds, 5 * H + 53 * M + 20) << place;
        const PlaceLookup ist = At(place, 1910, 6, 1, 12, 0);
        ASSERT_EQ(ist.lookup.kind, zone::Lookup::Kind::Unique) << place;
        EXPECT_FALSE(ist.firstMeanTime) << place;
        EXPECT_EQ(ist.lookup.first.eastSeconds, 5 * H + 30 * M) << place;
        EXPECT_EQ(OffsetKindText(pune, ist), "Asia/Kolkata, IST");
    }
    // Springfield, Missouri: its own mean time until railway time at noon of 18 Nov 1883.
    const PlaceLookup before = At("Springfield, Missouri", 1880, 1, 1, 12, 0);
    EXPECT_TRUE(before.firstMeanTime);
    EXPECT_EQ(before.lookup.first.eastSeconds, -(6 * H + 13 * M + 12));
    EXPECT_EQ(before.lookup.zone.west, 1);
    const PlaceLookup after = At("Springfield, Missouri", 1884, 1, 1, 12, 0);
    EXPECT_FALSE(after.firstMeanTime);
    EXPECT_EQ(after.lookup.first.eastSeconds, -6 * H);
    // A place of a zone without mean time in the database is the zone's alone.
    const PlaceLookup now = At("Bombay", 1970, 4, 4, 17, 50);
    EXPECT_EQ(now.lookup.zone.utOffset, -5.5);
}

TEST(PlaceOffset, TheChangeFromTheTownsMeanTimeIsSkippedOrDoubledAsItsLongitudeSays) {
    // Howrah time began at 18:06:32 UT on 27 Jun 1854, 23:59:52 by the new clocks. Pune's clocks
    // then read 23:01:57; Kolkata's 23:59:59.
    const PlaceLookup gap = At("Pune", 1854, 6, 27, 23, 30);
    ASSERT_EQ(gap.lookup.kind, zone::Lookup::Kind::Nonexistent);
    EXPECT_TRUE(gap.firstMeanTime);
    EXPECT_EQ(gap.lookup.first.eastSeconds, 4 * H + 55 * M + 25);
    EXPECT_EQ(gap.lookup.second.eastSeconds, 5 * H + 53 * M + 20);
    const zone::LocalTime gapTime{1854, 6, 27, 23, 30};
    EXPECT_EQ(DescribePlaceProblem(Generated().place(ResolvePlace(Generated(), "Pune").chosen),
                                   gapTime, gap),
              "23:30 on 27 Jun 1854 does not exist in Pune, Maharashtra, India: the clocks went "
              "from 4:55:25 E (local mean time) to 5:53:20 E.");
    EXPECT_TRUE(At("Pune", 1854, 6, 27, 23, 0).firstMeanTime);
    const PlaceLookup justAfter = At("Pune", 1854, 6, 27, 23, 59 + 55 / 60.0);
    EXPECT_EQ(justAfter.lookup.kind, zone::Lookup::Kind::Unique);
    EXPECT_FALSE(justAfter.firstMeanTime);

    const PlaceLookup twice = At("Kolkata", 1854, 6, 27, 23, 59 + 55 / 60.0);
    ASSERT_EQ(twice.lookup.kind, zone::Lookup::Kind::Ambiguous);
    EXPECT_TRUE(twice.firstMeanTime);
    EXPECT_FALSE(twice.secondMeanTime);
    EXPECT_EQ(twice.lookup.first.eastSeconds, 5 * H + 53 * M + 27);
    EXPECT_EQ(twice.lookup.second.eastSeconds, 5 * H + 53 * M + 20);

    // Chicago's own clocks went back 9 minutes at railway noon; Springfield's, west of it, forward
    // 13: 11:50 never was there, and 12:05 was once, in standard time.
    const PlaceLookup skipped = At("Springfield, Missouri", 1883, 11, 18, 11, 50);
    EXPECT_EQ(skipped.lookup.kind, zone::Lookup::Kind::Nonexistent);
    EXPECT_EQ(skipped.lookup.second.eastSeconds, -6 * H);
    const PlaceLookup once = At("Springfield, Missouri", 1883, 11, 18, 12, 5);
    EXPECT_EQ(once.lookup.kind, zone::Lookup::Kind::Unique);
    EXPECT_EQ(once.lookup.first.abbreviation, "CST");
    EXPECT_EQ(zone::LookupOffset({}, "America/Chicago", {1883, 11, 18, 12, 5}).kind,
              zone::Lookup::Kind::Ambiguous);
    // A later change of the clocks is the zone's, as before.
    const PlaceLookup spring = At("Springfield, Missouri", 2000, 4, 2, 2, 30);
    EXPECT_EQ(spring.lookup.kind, zone::Lookup::Kind::Nonexistent);
    EXPECT_FALSE(spring.firstMeanTime);
    EXPECT_EQ(spring.lookup.second.eastSeconds, -5 * H);
}

TEST(PlacesFile, FifoCutForeignAndDamagedFilesAreRefused) {
    test::ScratchDir dir;
    const std::string whole = test::ReadFileBytes(TARVELLA_TEST_PLACES_FILE);
    ASSERT_GT(whole.size(), kPlacesHeaderBytes);
    const auto open = [&](const std::string& bytes, PlacesStatus expected, const char* problem) {
        const std::string path = dir.File("places.dat");
        test::WriteFileBytes(path, bytes);
        Atlas atlas;
        EXPECT_EQ(atlas.Open(path), expected) << problem;
        EXPECT_EQ(atlas.problem(), problem);
        EXPECT_FALSE(atlas.IsOpen());
        EXPECT_TRUE(atlas.Search("pune").empty());
        EXPECT_EQ(atlas.Fold("Pune"), "Pune");
        EXPECT_EQ(DescribeStatus(expected, path, atlas),
                  path + " is not a places file: " + problem);
    };
    open("", PlacesStatus::NotAPlacesFile, "It does not begin as a places file.");
    open("Asia/Kolkata\tIN\tKolkata\n", PlacesStatus::NotAPlacesFile,
         "It does not begin as a places file.");
    open(whole.substr(0, whole.size() - 1), PlacesStatus::NotAPlacesFile, "It has been cut short.");
    open(whole.substr(0, kPlacesHeaderBytes + 5), PlacesStatus::NotAPlacesFile,
         "It has been cut short.");
    open(whole + "x", PlacesStatus::NotAPlacesFile, "It is longer than its header says.");
    std::string version = whole;
    version[8] = 2;
    open(version, PlacesStatus::NotAPlacesFile, "It is a places file of another version.");
    std::string offside = whole;
    WriteU32(0xfffffff0u, reinterpret_cast<unsigned char*>(offside.data()) + kPlacesHeaderBytes);
    open(offside, PlacesStatus::NotAPlacesFile, "A place's name lies outside it.");
    std::string pole = whole;
    WriteU32(91000000u, reinterpret_cast<unsigned char*>(pole.data()) + kPlacesHeaderBytes + 20);
    open(pole, PlacesStatus::NotAPlacesFile, "A place lies off the globe.");

    Atlas atlas;
    EXPECT_EQ(atlas.Open(dir.File("none.dat")), PlacesStatus::Missing);
    EXPECT_EQ(atlas.Open(dir.path().string()), PlacesStatus::NotAFile);
    EXPECT_EQ(DescribeStatus(PlacesStatus::NotAFile, "d", atlas),
              "cannot read the places file d: It is not a regular file.");
#ifndef _WIN32
    // A FIFO with no writer would block a reader that opened it.
    const std::string fifo = dir.File("fifo.dat");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(atlas.Open(fifo), PlacesStatus::NotAFile);
#endif
    // A refused file leaves nothing behind, and the good one opens after it.
    EXPECT_EQ(atlas.Open(TARVELLA_TEST_PLACES_FILE), PlacesStatus::Ok);
    EXPECT_EQ(atlas.size(), Generated().size());
    EXPECT_EQ(atlas.fileBytes(), whole.size());
}

}  // namespace
}  // namespace tarvella::places
