#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_support.h"
#include "zone/zone.h"

namespace tarvella::zone {
namespace {

TEST(ZoneList, PipesAreRefused) {
    // Pipes in place of a zone and of the tables are refused at once, not read until killed.
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "Europe");
    for (const char* name : {"Europe/London", "zone1970.tab", "zone.tab", "iso3166.tab"}) {
        ASSERT_EQ(mkfifo(dir.File(name).c_str(), 0600), 0) << name;
    }
    const ZoneDatabase pipes{dir.path().string()};
    EXPECT_EQ(LookupOffset(pipes, "Europe/London", {2000, 1, 1, 12, 0}).kind,
              Lookup::Kind::UnknownZone);
    EXPECT_TRUE(ListZones(pipes).empty());
}

}  // namespace
}  // namespace tarvella::zone
