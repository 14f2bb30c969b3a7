#include "core/sun_ephemeris.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "core/calendar.h"
#include "test_support.h"

namespace tarvella {
namespace {

using test::ScratchDir;

std::string Hex(double value) {
    unsigned char b[8];
    EncodeSunValue(value, b);
    std::string s;
    char part[4];
    for (unsigned char c : b) {
        std::snprintf(part, sizeof part, "%02X ", c);
        s += part;
    }
    s.pop_back();
    return s;
}

TEST(SunTable, WordSwappedEncoding) {
    EXPECT_EQ(Hex(1.0), "00 00 00 00 3F F0 00 00");
    EXPECT_EQ(Hex(280.25), "00 00 00 00 40 71 84 00");
    EXPECT_EQ(Hex(279.8591), "DF A4 3F E6 40 71 7D BE");
    const unsigned char b[8] = {0xDF, 0xA4, 0x3F, 0xE6, 0x40, 0x71, 0x7D, 0xBE};
    EXPECT_EQ(DecodeSunValue(b), 279.8591);
}

TEST(SunTable, SlotOffsets) {
    EXPECT_EQ(SlotOffset(1800, 1, 1), 0);
    EXPECT_EQ(SlotOffset(2000, 1, 1), 1190400);
    EXPECT_EQ(SlotOffset(2099, 12, 31), 1785584);
    EXPECT_EQ(SlotOffset(2099, 12, 31) + 16, kSunFileSize);
}

// Stepping slot by slot visits every day number 1..31 of every month, in the order of the file.
TEST(SunTable, SlotNumbersStepThroughEveryDayNumberOfEveryMonth) {
    EXPECT_EQ(SlotNumber({1799, 12, 30}), -2);
    EXPECT_EQ(SlotDate(-2), (CivilDate{1799, 12, 30}));
    EXPECT_EQ(SlotDate(-373), (CivilDate{1798, 12, 31}));
    std::int64_t slot = 0;
    for (int year = 1800; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day, ++slot) {
                ASSERT_EQ(SlotDate(slot), (CivilDate{year, month, day})) << slot;
                ASSERT_EQ(SlotNumber({year, month, day}), slot);
                ASSERT_EQ(SlotOffset(year, month, day), 16 * slot);
            }
        }
    }
}

TEST(SunTable, GeneratedFileHoldsTheSunOfEveryDay) {
    EXPECT_EQ(std::filesystem::file_size(test::SunFilePath()), 1785600u);
    const SunEphemeris& table = test::GeneratedTable();
    double v[2];
    // Almanac: apparent longitude 2000 January 1, 0h UT.
    ASSERT_TRUE(table.ReadValues(SlotOffset(2000, 1, 1), 2, v));
    EXPECT_NEAR(v[0], 279.859, 0.0005);
    EXPECT_NEAR(v[1] - v[0], 0.5094, 0.001);
    // The slot after a short month's last day opens with the next month's first 0h value, and
    // so does every slot February lacks.
    for (int year : {1800, 1900, 1999, 2000, 2099}) {
        double first[2];
        ASSERT_TRUE(table.ReadValues(SlotOffset(year, 3, 1), 2, first));
        for (int day = DaysInMonth(year, 2) + 1; day <= 31; ++day) {
            ASSERT_TRUE(table.ReadValues(SlotOffset(year, 2, day), 2, v));
            EXPECT_EQ(v[0], first[0]);
            EXPECT_EQ(v[1], first[0]);
        }
        ASSERT_TRUE(table.ReadValues(SlotOffset(year, 5, 1), 1, first));
        ASSERT_TRUE(table.ReadValues(SlotOffset(year, 4, 31), 2, v));
        EXPECT_EQ(v[0], first[0]);
    }
    // Every value is reduced and the Sun moves about half a degree each half day.
    double all[2 * 372];
    for (int year = kFirstTableYear; year <= kLastTableYear; ++year) {
        ASSERT_TRUE(table.ReadValues(SlotOffset(year, 1, 1), 2 * 372, all));
        for (double value : all) ASSERT_TRUE(value >= 0.0 && value < 360.0) << year;
    }
}

TEST(SunTable, ReadsOutsideTheTableAreRefused) {
    const SunEphemeris& table = test::GeneratedTable();
    double v[2];
    EXPECT_FALSE(table.ReadValues(-8, 2, v));
    EXPECT_FALSE(table.ReadValues(kSunFileSize - 8, 2, v));
    EXPECT_TRUE(table.ReadValues(kSunFileSize - 16, 2, v));
}

TEST(SunTable, MissingShortForeignOrCorruptFilesAreDetectedOnOpen) {
    ScratchDir dir;
    SunEphemeris e;
    EXPECT_EQ(e.Open(dir.File("none.sun")), SunFileStatus::Missing);
    EXPECT_EQ(e.Open(dir.path().string()), SunFileStatus::NotAFile);
    test::WriteFileBytes(dir.File("empty.sun"), "");
    EXPECT_EQ(e.Open(dir.File("empty.sun")), SunFileStatus::WrongSize);
    std::string bytes = test::ReadFileBytes(test::SunFilePath());
    bytes.pop_back();
    test::WriteFileBytes(dir.File("short.sun"), bytes);
    EXPECT_EQ(e.Open(dir.File("short.sun")), SunFileStatus::WrongSize);
    EXPECT_FALSE(e.IsOpen());
    EXPECT_EQ(e.Open(test::SunFilePath()), SunFileStatus::Ok);
    EXPECT_TRUE(e.IsOpen());

    // Of the right size but no table: one value NaN, one a full turn, or bytes of anything else.
    const std::string whole = test::ReadFileBytes(test::SunFilePath());
    unsigned char value[8];
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), 360.0, -0.5}) {
        EncodeSunValue(bad, value);
        bytes = whole;
        bytes.replace(bytes.size() / 2 + 8, 8, reinterpret_cast<const char*>(value), 8);
        test::WriteFileBytes(dir.File("bad.sun"), bytes);
        EXPECT_EQ(e.Open(dir.File("bad.sun")), SunFileStatus::Corrupt) << bad;
        EXPECT_FALSE(e.IsOpen());
    }
    test::WriteFileBytes(dir.File("text.sun"), std::string(whole.size(), 'x'));
    EXPECT_EQ(e.Open(dir.File("text.sun")), SunFileStatus::Corrupt);
}

TEST(SunTable, PathBesideTheExecutable) {
    // As paths: Windows writes them with its own separator.
    EXPECT_EQ(std::filesystem::path(SunFilePathFor("/opt/tarvella/bin/tarvella")),
              std::filesystem::path("/opt/tarvella/share/tarvella/18002099.sun"));
}

// A table whose values say which slot and half they came from: slot s at 0h holds s / 1000
// degrees (reduced), at 12h s / 1000 + 0.0005.
class SyntheticTable : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new ScratchDir;
        test::WriteSyntheticTable(dir_->File("synthetic.sun"), [](int s, int half) {
            return std::fmod(s / 1000.0 + half * 0.0005, 360.0);
        });
        ASSERT_EQ(table_.Open(dir_->File("synthetic.sun")), SunFileStatus::Ok);
    }
    static void TearDownTestSuite() { delete dir_; }

    static double At(int year, int month, int day, int hour, double minute, double utOffset) {
        Ayanamsa tropical{60000.0, 0.0};
        SunContext sun{table_, tropical};
        ChartMoment m;
        m.year = year;
        m.month = month;
        m.day = day;
        m.hour = hour;
        m.minute = minute;
        ZoneSpec zone{0, 0, 0.0, utOffset};
        EXPECT_TRUE(ComputeSunPosition(sun, m, zone));
        EXPECT_EQ(m.year, year);
        EXPECT_EQ(m.hour, hour);
        return m.sunLongitude;
    }
    static int Slot(int year, int month, int day) {
        return static_cast<int>(SlotOffset(year, month, day) / 16);
    }

    static inline SunEphemeris table_;
    static inline ScratchDir* dir_ = nullptr;
};

TEST_F(SyntheticTable, PicksTheHalfDayOfTheUniversalInstant) {
    // 17:50 local at -5.5 is 12:20 UT: the afternoon of 4 April, a third of the way in.
    EXPECT_NEAR(At(1970, 4, 4, 17, 50.0, -5.5),
                Slot(1970, 4, 4) / 1000.0 + 0.0005 + 0.0005 * (1.0 / 3.0) / 12.0, 1e-9);
    // 01:00 on 1 March 2000 at -5.5 is 19:30 UT on 29 February: 12h of the 29th and the 0h
    // value stored after it.
    EXPECT_NEAR(At(2000, 3, 1, 1, 0.0, -5.5),
                Slot(2000, 2, 29) / 1000.0 + 0.0005 + (0.0005) * 7.5 / 12.0, 1e-9);
    // 23:30 on 31 December 1999 at +4 is 03:30 UT on 1 January 2000.
    EXPECT_NEAR(At(1999, 12, 31, 23, 30.0, 4.0), Slot(2000, 1, 1) / 1000.0 + 0.0005 * 3.5 / 12.0,
                1e-9);
    // Exactly 0h and 12h UT take the stored values themselves.
    EXPECT_DOUBLE_EQ(At(1950, 6, 10, 0, 0.0, 0.0), Slot(1950, 6, 10) / 1000.0);
    EXPECT_DOUBLE_EQ(At(1950, 6, 10, 12, 0.0, 0.0), Slot(1950, 6, 10) / 1000.0 + 0.0005);
}

TEST_F(SyntheticTable, DayPastTheMonthsEndCountsOnIntoTheNextMonth) {
    // 31 February 2001 is 3 March: never the slot of a day that does not exist.
    EXPECT_DOUBLE_EQ(At(2001, 2, 31, 0, 0.0, 0.0), Slot(2001, 3, 3) / 1000.0);
    EXPECT_DOUBLE_EQ(At(2001, 4, 31, 6, 0.0, 0.0), Slot(2001, 5, 1) / 1000.0 + 0.00025);
}

TEST_F(SyntheticTable, InstantsOutsideTheTableOrNotInstantsFail) {
    Ayanamsa lahiri;
    SunContext sun{table_, lahiri};
    ZoneSpec zone{0, 0, 0.0, 0.0};
    ChartMoment m;
    m.year = 1800, m.month = 1, m.day = 1, m.hour = 0, m.minute = 30.0;
    EXPECT_TRUE(ComputeSunPosition(sun, m, zone));
    zone.utOffset = -1.0;  // 23:30 UT on 31 December 1799
    EXPECT_FALSE(ComputeSunPosition(sun, m, zone));
    EXPECT_TRUE(std::isnan(m.sunLongitude));
    EXPECT_EQ(m.sunSign, 0);
    m.year = 2099, m.month = 12, m.day = 31, m.hour = 11, zone.utOffset = 0.0;
    EXPECT_TRUE(ComputeSunPosition(sun, m, zone));
    m.hour = 12;  // the afternoon needs the first 0h value of 2100
    EXPECT_FALSE(ComputeSunPosition(sun, m, zone));
    m.year = 2000, m.month = 13, m.hour = 0;
    EXPECT_FALSE(ComputeSunPosition(sun, m, zone));
    m.month = 5;
    m.minute = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(ComputeSunPosition(sun, m, zone));
    m.minute = 0.0;
    zone.utOffset = 1e9;
    EXPECT_FALSE(ComputeSunPosition(sun, m, zone));
}

TEST(SunPosition, SplitsIntoSignDegreesMinutesSeconds) {
    ScratchDir dir;
    // Every value 30 degrees: exactly the start of Taurus under the tropical zodiac.
    test::WriteSyntheticTable(dir.File("t.sun"), [](int, int) { return 30.0; });
    SunEphemeris table;
    ASSERT_EQ(table.Open(dir.File("t.sun")), SunFileStatus::Ok);
    Ayanamsa tropical{60000.0, 0.0};
    SunContext sun{table, tropical};
    ChartMoment m;
    m.year = 1990, m.month = 7, m.day = 1, m.hour = 8;
    ASSERT_TRUE(ComputeSunPosition(sun, m, ZoneSpec{}));
    EXPECT_EQ(m.sunSign, 1);
    EXPECT_EQ(m.sunDegree, 0);
    EXPECT_EQ(m.sunMinute, 0);
    EXPECT_EQ(m.sunSecond, 0.0);
    // Under Lahiri the sum is negative and is brought up by a full turn.
    test::WriteSyntheticTable(dir.File("t.sun"), [](int, int) { return 10.0; });
    ASSERT_EQ(table.Open(dir.File("t.sun")), SunFileStatus::Ok);
    Ayanamsa lahiri;
    SunContext sidereal{table, lahiri};
    ASSERT_TRUE(ComputeSunPosition(sidereal, m, ZoneSpec{}));
    EXPECT_NEAR(m.sunLongitude, 360.0 + 10.0 + AyanamsaCorrection(lahiri, 1990, 7, 1), 1e-9);
    EXPECT_EQ(m.sunSign, 11);
    EXPECT_NEAR(m.sunSign * 30 + m.sunDegree + m.sunMinute / 60.0 + m.sunSecond / 3600.0,
                m.sunLongitude, 1e-9);
}

TEST(SunPosition, InterpolatesAcrossZeroDegrees) {
    ScratchDir dir;
    // 359.8 at 0h, 0.2 at 12h: the half day passes 0 degrees, the plain difference would not.
    test::WriteSyntheticTable(dir.File("t.sun"), [](int, int half) { return half ? 0.2 : 359.8; });
    SunEphemeris table;
    ASSERT_EQ(table.Open(dir.File("t.sun")), SunFileStatus::Ok);
    Ayanamsa tropical{60000.0, 0.0};
    SunContext sun{table, tropical};
    ChartMoment m;
    m.year = 1990, m.month = 3, m.day = 20, m.hour = 9;
    ASSERT_TRUE(ComputeSunPosition(sun, m, ZoneSpec{}));
    EXPECT_NEAR(m.sunLongitude, 0.1, 1e-9);
}

TEST(SunPosition, ReduceDegrees) {
    EXPECT_EQ(ReduceDegrees(360.0), 0.0);
    EXPECT_EQ(ReduceDegrees(725.5), 5.5);
    EXPECT_EQ(ReduceDegrees(-10.0), 350.0);
    EXPECT_EQ(ReduceDegrees(-1e-20), 0.0);
    EXPECT_TRUE(std::isnan(ReduceDegrees(std::numeric_limits<double>::infinity())));
}

}  // namespace
}  // namespace tarvella
