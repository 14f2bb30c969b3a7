#include "document/field_exchange.h"

#include <gtest/gtest.h>

#include "core/ayanamsa.h"

namespace tarvella {
namespace {

TEST(FieldExchange, IntegerAcceptanceRule) {
    EXPECT_EQ(ParseIntegerField(" 12"), 12);
    EXPECT_EQ(ParseIntegerField("\t12 \t"), 12);
    EXPECT_EQ(ParseIntegerField("12 "), 12);
    EXPECT_EQ(ParseIntegerField("-1999"), -1999);
    EXPECT_EQ(ParseIntegerField("+7"), 7);
    EXPECT_EQ(ParseIntegerField("0"), 0);
    EXPECT_EQ(ParseIntegerField("00"), 0);
    EXPECT_EQ(ParseIntegerField("2147483647"), 2147483647);
    EXPECT_EQ(ParseIntegerField("-2147483648"), -2147483647 - 1);
    for (const char* refused : {"", "  ", "+0", "-0", "1 2", "12a", "1.0", "1e3", "x", "-",
                                "2147483648", "99999999999999999999", "\n12"}) {
        EXPECT_FALSE(ParseIntegerField(refused)) << '"' << refused << '"';
    }
    // Only the first 31 characters are read: the 32nd and on are never seen.
    EXPECT_EQ(ParseIntegerField(std::string(29, ' ') + "42" + "junk"), 42);
    EXPECT_FALSE(ParseIntegerField(std::string(31, ' ') + "42"));
}

TEST(FieldExchange, RealAcceptanceRule) {
    EXPECT_EQ(ParseRealField(" 17.5"), 17.5);
    EXPECT_EQ(ParseRealField("0"), 0.0);
    EXPECT_EQ(ParseRealField("0.0"), 0.0);
    EXPECT_EQ(ParseRealField("1e3"), 1000.0);
    EXPECT_EQ(ParseRealField("-5"), -5.0);
    EXPECT_EQ(ParseRealField(".5"), 0.5);
    EXPECT_EQ(ParseRealField("5."), 5.0);
    EXPECT_EQ(ParseRealField("2.5E-1 "), 0.25);
    for (const char* refused : {"", "+0", "-0", ".0", "-0.0", "-", ".", "abc", "5,4", "1e999",
                                "inf", "nan", "0x10", "1e", "12 a"}) {
        EXPECT_FALSE(ParseRealField(refused)) << '"' << refused << '"';
    }
    EXPECT_EQ(ParseRealField(std::string(28, ' ') + "1.25"), 1.2);
}

TEST(FieldExchange, RangeMessagesAndDisplay) {
    int year = 1;
    EXPECT_EQ(ExchangeInteger("1800", 1801, 2098, year),
              "Please enter an integer between 1801 and 2098.");
    EXPECT_EQ(ExchangeInteger("", 1801, 2098, year), "Please enter an integer.");
    EXPECT_EQ(year, 1);
    EXPECT_FALSE(ExchangeInteger("2098", 1801, 2098, year));
    EXPECT_EQ(year, 2098);
    double minute = 0.0;
    EXPECT_EQ(ExchangeReal("60.5", 0.0, 60.0, minute), "Please enter a number between 0 and 60.");
    EXPECT_EQ(ExchangeReal("ab", 0.0, 60.0, minute), "Please enter a number.");
    EXPECT_EQ(ExchangeReal("-400", -360.0, 360.0, minute),
              "Please enter a number between -360 and 360.");
    EXPECT_FALSE(ExchangeReal("60", 0.0, 60.0, minute));
    EXPECT_EQ(FormatRealField(50.0), "50");
    EXPECT_EQ(FormatRealField(5.4), "5.4");
    EXPECT_EQ(FormatRealField(17.123457), "17.123457");
    EXPECT_EQ(FormatIntegerField(-3), "-3");
}

TEST(DataEntry, RoundTripOfTheDefaultChart) {
    ChartData chart = DefaultChart();
    const DataEntryForm form = FormFromChart(chart);
    EXPECT_EQ(form.birthMinute, "50");
    EXPECT_EQ(form.birthZoneMinutes, "30");
    EXPECT_EQ(form.levelChoice, 3);
    ChartData back = DefaultChart();
    back.level = 1;
    ASSERT_FALSE(ChartFromForm(form, back));
    EXPECT_EQ(back.level, 4);
    EXPECT_EQ(back.birthZone.utOffset, -5.5);
    EXPECT_EQ(back.eventZone.utOffset, 4.0);
    EXPECT_EQ(back.birth.month, 4);
    EXPECT_EQ(back.dasaYears, 1);
}

TEST(DataEntry, FirstFailingFieldWinsAndNothingIsCopied) {
    const ChartData before = DefaultChart();
    DataEntryForm form = FormFromChart(before);
    form.birthYear = "1800";   // step 8
    form.eventMinute = "abc";  // step 15
    form.dasaStartYear = "";   // step 5: read first
    ChartData chart = before;
    auto failure = ChartFromForm(form, chart);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->control, kDasaStartYear);
    EXPECT_EQ(failure->message, "Please enter an integer.");
    EXPECT_EQ(chart.dasaStartYear, before.dasaStartYear);
    form.dasaStartYear = "-300";  // any integer is a start year
    failure = ChartFromForm(form, chart);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->control, kBirthYear);
    EXPECT_EQ(failure->message, "Please enter an integer between 1801 and 2098.");
    form.birthYear = "1801";
    failure = ChartFromForm(form, chart);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->control, kEventMinute);
    EXPECT_EQ(failure->message, "Please enter a number.");
    EXPECT_EQ(chart.birth.year, before.birth.year);
    form.eventMinute = "17.5";
    form.eventZoneHours = "12";
    form.eventZoneMinutes = "60";
    form.eventWest = 0;
    ASSERT_FALSE(ChartFromForm(form, chart));
    EXPECT_EQ(chart.dasaStartYear, -300);
    EXPECT_EQ(chart.event.minute, 17.5);
    EXPECT_EQ(chart.eventZone.utOffset, -13.0);
}

TEST(DataEntry, DaysTheMonthLacksAreRefused) {
    DataEntryForm form = FormFromChart(DefaultChart());
    ChartData chart = DefaultChart();
    form.birthMonth = 1;  // February 1970
    form.birthDay = "29";
    auto failure = ChartFromForm(form, chart);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->control, kBirthDay);
    EXPECT_EQ(failure->message, "Please enter an integer between 1 and 28.");
    form.birthYear = "1972";
    EXPECT_FALSE(ChartFromForm(form, chart));
    form.eventMonth = 3;  // April
    form.eventDay = "31";
    failure = ChartFromForm(form, chart);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->control, kEventDay);
    EXPECT_EQ(failure->message, "Please enter an integer between 1 and 30.");
}

TEST(DataEntry, ListValuesOutOfRangeAreClampedWhenTheDialogOpens) {
    ChartData chart = DefaultChart();
    chart.birth.month = 13;
    chart.event.month = 0;
    chart.adIndex = 12;
    chart.pdIndex = -1;
    chart.dasaYears = 40;
    chart.level = 9;
    chart.birthZone.west = 5;
    const DataEntryForm form = FormFromChart(chart);
    EXPECT_EQ(form.birthMonth, 11);
    EXPECT_EQ(form.eventMonth, 0);
    EXPECT_EQ(form.adIndex, 11);
    EXPECT_EQ(form.pdIndex, 0);
    EXPECT_EQ(form.dasaLength, 11);
    EXPECT_EQ(form.levelChoice, 5);
    EXPECT_EQ(form.birthWest, 1);
}

TEST(AyanamsaForm, ChoicesGiveTheirDeviations) {
    const double expected[] = {0.0,    -87.0,  -(22.0 + 37.0 / 60.0), -6.09, -(228.0 + 16.0 / 60.0),
                               53.005, 60000.0};
    for (int choice = 0; choice <= kTropicalChoice; ++choice) {
        AyanamsaForm form;
        form.degrees = "9";  // typed before the click: replaced by the choice's values
        ApplyAyanamsaChoice(form, choice);
        Preferences p;
        ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
        EXPECT_NEAR(p.ayanamsaDeviation, expected[choice], 1e-9) << choice;
        EXPECT_EQ(p.ayanamsaChoice, choice);
    }
    AyanamsaForm raman;
    ApplyAyanamsaChoice(raman, 1);
    EXPECT_EQ(raman.degrees, "1");
    EXPECT_EQ(raman.arcMinutes, "27");
    EXPECT_EQ(raman.signIndex, 1);
    // The tropical choice is stored as 1000 degrees and reopens as 0.
    AyanamsaForm tropical;
    ApplyAyanamsaChoice(tropical, kTropicalChoice);
    Preferences p;
    ASSERT_FALSE(PreferencesFromAyanamsaForm(tropical, p));
    EXPECT_EQ(p.deviationDegrees, 1000.0);
    Ayanamsa a{p.ayanamsaDeviation, 0.0};
    EXPECT_EQ(AyanamsaCorrection(a, 2000, 1, 1), 0.0);
    EXPECT_EQ(AyanamsaFormFromPreferences(p).degrees, "0");
    EXPECT_EQ(AyanamsaFormFromPreferences(p).choice, kTropicalChoice);
}

TEST(AyanamsaForm, CustomDeviationsTypedByHand) {
    AyanamsaForm form;
    ApplyAyanamsaChoice(form, 3);
    EXPECT_EQ(form.arcSeconds, "5.4");
    form.choice = kCustomChoice;  // an edit turns the selection to custom
    form.degrees = "-5";
    form.arcMinutes = "30";
    form.arcSeconds = "0";
    form.signIndex = 0;
    Preferences p;
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    EXPECT_EQ(p.ayanamsaDeviation, -270.0);
    EXPECT_EQ(p.ayanamsaChoice, kCustomChoice);
    // 360 degrees 0 minutes 1 second: beyond a full circle, so tropical.
    form.degrees = "360";
    form.arcMinutes = "0";
    form.arcSeconds = "1";
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    Ayanamsa a{p.ayanamsaDeviation, 0.0};
    EXPECT_EQ(AyanamsaCorrection(a, 2000, 1, 1), 0.0);
    // Failures name their field; the preferences stay as they were.
    const Preferences before = p;
    form.arcMinutes = "61";
    const auto failure = PreferencesFromAyanamsaForm(form, p);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->control, kDeviationMinutes);
    EXPECT_EQ(failure->message, "Please enter a number between 0 and 60.");
    EXPECT_EQ(p.ayanamsaDeviation, before.ayanamsaDeviation);
    form.degrees = "-";
    EXPECT_EQ(PreferencesFromAyanamsaForm(form, p)->message, "Please enter a number.");
}

// The status bar names the ayanamsa as confirmed, a custom one with its deviation.
TEST(AyanamsaForm, LabelOfTheAyanamsaInForce) {
    Preferences p;
    EXPECT_EQ(AyanamsaLabel(p), "Chitrapaksha ayanamsa (Lahiri)");
    AyanamsaForm form;
    ApplyAyanamsaChoice(form, 1);
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    EXPECT_EQ(AyanamsaLabel(p), "Raman ayanamsa");
    form.choice = kCustomChoice;
    form.degrees = "-5";
    form.arcMinutes = "30";
    form.arcSeconds = "2.5";
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    form.signIndex = 1;  // subtract: -(-5 degrees + 30' 2.5")
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    EXPECT_EQ(AyanamsaLabel(p), "Custom ayanamsa: Lahiri + 4\u00B0 29' 57.5\"");
    form.signIndex = 0;
    form.degrees = "0";
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    EXPECT_EQ(AyanamsaLabel(p), "Custom ayanamsa: Lahiri + 0\u00B0 30' 2.5\"");
    form.degrees = "360";
    form.arcSeconds = "0";
    ASSERT_FALSE(PreferencesFromAyanamsaForm(form, p));
    EXPECT_EQ(AyanamsaLabel(p), "Custom ayanamsa: tropical");
    p.ayanamsaChoice = 99;  // as a damaged preference file could hold before it is clamped
    EXPECT_FALSE(AyanamsaLabel(p).empty());
}

}  // namespace
}  // namespace tarvella
