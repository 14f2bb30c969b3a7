#include "view/zone_pick.h"

#include <gtest/gtest.h>

#include "document/field_exchange.h"
#include "test_support.h"

namespace tarvella {
namespace {

constexpr int H = 3600, M = 60;

const places::Atlas& Atlas() {
    return test::GeneratedAtlas();
}

places::Place Named(std::string_view text) {
    const places::Resolution r = places::ResolvePlace(Atlas(), text);
    EXPECT_TRUE(r.found) << text;
    return Atlas().place(r.chosen);
}

// The zone fields as the dialog fills them for an offset.
struct Fields {
    std::string hours, minutes;
    int west = 0;
};
Fields FieldsFor(int eastSeconds) {
    ZoneSpec spec;
    EXPECT_TRUE(zone::ZoneSpecFromOffset(eastSeconds, spec));
    Fields f;
    FillZoneFields(spec, f.hours, f.minutes, f.west);
    return f;
}

TEST(ZonePick, APlaceFollowsTheMomentIntoItsOwnMeanTime) {
    ZonePick pick;
    EXPECT_FALSE(pick.Picked());
    EXPECT_EQ(pick.Update(zone::LocalTime{1970, 4, 4, 17, 50}), std::nullopt);
    pick.PickPlace(Named("Pune"));
    EXPECT_EQ(pick.Label(), "Pune, Maharashtra, India: Asia/Kolkata");
    EXPECT_EQ(pick.Update(zone::LocalTime{1970, 4, 4, 17, 50}), 5 * H + 30 * M);
    EXPECT_EQ(pick.Label(), "Pune, Maharashtra, India: Asia/Kolkata, IST");
    EXPECT_EQ(pick.Update(zone::LocalTime{1850, 4, 4, 17, 50}), 4 * H + 55 * M + 25);
    EXPECT_EQ(pick.Label(), "Pune, Maharashtra, India: local mean time of Pune, 73\u00b051' E");
    EXPECT_FALSE(pick.Unresolved());
    // A moment still being typed keeps the fields as they are.
    EXPECT_EQ(pick.Update(std::nullopt), std::nullopt);
    EXPECT_TRUE(pick.Picked());

    // Remembered as text, and found again from it.
    const std::string reference = pick.Reference();
    EXPECT_EQ(reference, "Pune, Maharashtra, India, 18.51957, 73.85535");
    ZonePick again;
    EXPECT_TRUE(again.PickReference(reference, &Atlas()));
    EXPECT_EQ(again.Update(zone::LocalTime{1850, 4, 4, 17, 50}), 4 * H + 55 * M + 25);
    EXPECT_FALSE(again.PickReference(reference, nullptr));
    EXPECT_FALSE(again.Picked());
    EXPECT_FALSE(again.PickReference("Xqzzyville, Nowhere, 1, 2", &Atlas()));
    EXPECT_TRUE(again.PickReference("Asia/Kolkata", nullptr));
    EXPECT_EQ(again.Reference(), "Asia/Kolkata");
    EXPECT_EQ(again.Label(), "Asia/Kolkata");
    EXPECT_EQ(again.Update(zone::LocalTime{1850, 4, 4, 17, 50}), 5 * H + 53 * M + 28);

    // Typing in the zone fields drops the pick.
    pick.Drop();
    EXPECT_FALSE(pick.Picked());
    EXPECT_EQ(pick.Reference(), "");
    EXPECT_EQ(pick.Label(), "");
    EXPECT_EQ(pick.Update(zone::LocalTime{1970, 4, 4, 17, 50}), std::nullopt);
}

TEST(ZonePick, ASkippedOrDoubledTimeWaitsForAChoice) {
    ZonePick pick;
    pick.PickPlace(Named("Pune"));
    const zone::LocalTime gap{1854, 6, 27, 23, 30};
    EXPECT_EQ(pick.Update(gap), std::nullopt);
    EXPECT_TRUE(pick.Choosing());
    EXPECT_TRUE(pick.Unresolved());
    EXPECT_EQ(pick.Problem(),
              "23:30 on 27 Jun 1854 does not exist in Pune, Maharashtra, India: the clocks went "
              "from 4:55:25 E (local mean time) to 5:53:20 E. Choose one.");
    EXPECT_EQ(pick.OptionLabel(0), "4:55:25 E (local mean time)");
    EXPECT_EQ(pick.OptionLabel(1), "5:53:20 E");
    EXPECT_EQ(pick.Choose(1), 5 * H + 53 * M + 20);
    EXPECT_FALSE(pick.Unresolved());
    EXPECT_EQ(pick.OptionLabel(1), "\u2713 5:53:20 E");
    EXPECT_EQ(pick.Problem().find("Choose one."), std::string::npos);
    // The choice holds while the same moment is looked up again, not once it moves.
    EXPECT_EQ(pick.Update(gap), std::nullopt);
    EXPECT_FALSE(pick.Unresolved());
    pick.ResetOption();
    pick.Update(gap);
    EXPECT_TRUE(pick.Unresolved());
    EXPECT_EQ(pick.Choose(2), std::nullopt);
    EXPECT_EQ(pick.Update(zone::LocalTime{1854, 6, 27, 23, 0}), 4 * H + 55 * M + 25);
    EXPECT_FALSE(pick.Choosing());
    EXPECT_EQ(pick.Choose(0), std::nullopt);

    // A zone that does not exist gives nothing to choose, and OK waits.
    ZonePick atlantis;
    atlantis.PickZone("Europe/Atlantis");
    EXPECT_EQ(atlantis.Update(gap), std::nullopt);
    EXPECT_EQ(atlantis.Problem(), "There is no time zone \"Europe/Atlantis\".");
    EXPECT_FALSE(atlantis.Choosing());
    EXPECT_TRUE(atlantis.Unresolved());
}

TEST(ZonePick, OnOpeningAPickStaysOnlyWhereItGivesTheFieldsOffset) {
    const zone::LocalTime birth{1850, 4, 4, 17, 50};
    const std::string pune = "Pune, Maharashtra, India, 18.51957, 73.85535";
    ZonePick pick;
    const Fields own = FieldsFor(4 * H + 55 * M + 25);
    pick.KeepIfItMatches(pune, &Atlas(), birth, own.hours, own.minutes, own.west);
    EXPECT_EQ(pick.Reference(), pune);
    EXPECT_EQ(pick.Label(), "Pune, Maharashtra, India: local mean time of Pune, 73\u00b051' E");
    // The zone's mean time of Kolkata is not Pune's.
    const Fields kolkata = FieldsFor(5 * H + 53 * M + 28);
    pick.KeepIfItMatches(pune, &Atlas(), birth, kolkata.hours, kolkata.minutes, kolkata.west);
    EXPECT_FALSE(pick.Picked());
    pick.KeepIfItMatches("Asia/Kolkata", &Atlas(), birth, kolkata.hours, kolkata.minutes,
                         kolkata.west);
    EXPECT_TRUE(pick.Picked());
    pick.KeepIfItMatches(pune, &Atlas(), std::nullopt, own.hours, own.minutes, own.west);
    EXPECT_FALSE(pick.Picked());
    // At a skipped time, either offset keeps the pick with that one chosen.
    const Fields after = FieldsFor(5 * H + 53 * M + 20);
    pick.KeepIfItMatches(pune, &Atlas(), zone::LocalTime{1854, 6, 27, 23, 30}, after.hours,
                         after.minutes, after.west);
    EXPECT_TRUE(pick.Picked());
    EXPECT_EQ(pick.Option(), 1);
    EXPECT_FALSE(pick.Unresolved());
}

}  // namespace
}  // namespace tarvella
