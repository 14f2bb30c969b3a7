#include "document/field_exchange.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "core/ayanamsa.h"
#include "core/calendar.h"

namespace tarvella {
namespace {

constexpr const char* kNotAnInteger = "Please enter an integer.";
constexpr const char* kNotANumber = "Please enter a number.";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view t, std::size_t i) {
    while (i < t.size() && IsBlank(t[i])) ++i;
    return i;
}

// The part of a field that is read, from its first character that is not a blank or tab.
std::string_view Significant(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kFieldReadLength));
    return text.substr(SkipBlanks(text, 0));
}

bool OnlyBlanksFrom(std::string_view t, std::size_t i) {
    return SkipBlanks(t, i) == t.size();
}

std::string Format(const char* format, double a, double b) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

int ClampIndex(int value, int high) {
    return std::clamp(value, 0, high);
}

}  // namespace

std::optional<int> ParseIntegerField(std::string_view text) {
    const std::string_view t = Significant(text);
    std::size_t i = 0;
    const bool negative = i < t.size() && t[i] == '-';
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    const std::size_t digits = i;
    std::int64_t value = 0;
    while (i < t.size() && IsDigit(t[i])) {
        value = value * 10 + (t[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
        ++i;
    }
    if (i == digits || !OnlyBlanksFrom(t, i)) return std::nullopt;
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    if (value == 0 && t[0] != '0') return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> ParseRealField(std::string_view text) {
    const std::string_view t = Significant(text);
    std::size_t i = 0;
    const bool negative = i < t.size() && t[i] == '-';
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    const std::size_t number = i;
    std::size_t digits = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i) ++digits;
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && IsDigit(t[i]); ++i) ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '-' || t[j] == '+')) ++j;
        const std::size_t exponent = j;
        while (j < t.size() && IsDigit(t[j])) ++j;
        if (j > exponent) i = j;
    }
    if (!OnlyBlanksFrom(t, i)) return std::nullopt;
    // from_chars ignores the locale, so a decimal point is always '.'.
    double value = 0.0;
    const auto [end, error] = std::from_chars(t.data() + number, t.data() + i, value);
    if (error != std::errc() || end != t.data() + i) return std::nullopt;
    if (value == 0.0 && t[0] != '0') return std::nullopt;
    return negative ? -value : value;
}

std::string FormatIntegerField(int value) {
    return std::to_string(value);
}

std::string FormatRealField(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

void FillZoneFields(const ZoneSpec& zone, std::string& hours, std::string& minutes, int& west) {
    hours = FormatIntegerField(zone.hours);
    minutes = FormatRealField(zone.minutes);
    west = zone.west != 0 ? 1 : 0;
}

ZoneSpec ZoneThroughFields(const ZoneSpec& zone) {
    std::string hours, minutes;
    ZoneSpec entered;
    FillZoneFields(zone, hours, minutes, entered.west);
    entered.hours = ParseIntegerField(hours).value_or(0);
    entered.minutes = ParseRealField(minutes).value_or(0.0);
    entered.utOffset = ZoneOffset(entered.west, entered.hours, entered.minutes);
    return entered;
}

std::optional<std::string> ExchangeInteger(std::string_view text, int& value) {
    const std::optional<int> v = ParseIntegerField(text);
    if (!v) return kNotAnInteger;
    value = *v;
    return std::nullopt;
}

std::optional<std::string> ExchangeInteger(std::string_view text, int low, int high, int& value) {
    const std::optional<int> v = ParseIntegerField(text);
    if (!v) return kNotAnInteger;
    if (*v < low || *v > high) {
        return "Please enter an integer between " + std::to_string(low) + " and " +
               std::to_string(high) + ".";
    }
    value = *v;
    return std::nullopt;
}

std::optional<std::string> ExchangeReal(std::string_view text, double low, double high,
                                        double& value) {
    const std::optional<double> v = ParseRealField(text);
    if (!v) return kNotANumber;
    if (*v < low || *v > high) {
        return Format("Please enter a number between %.15g and %.15g.", low, high);
    }
    value = *v;
    return std::nullopt;
}

DataEntryForm FormFromChart(const ChartData& c) {
    DataEntryForm f;
    f.birthDay = FormatIntegerField(c.birth.day);
    f.birthYear = FormatIntegerField(c.birth.year);
    f.birthHour = FormatIntegerField(c.birth.hour);
    f.birthMinute = FormatRealField(c.birth.minute);
    f.birthZoneHours = FormatIntegerField(c.birthZone.hours);
    f.birthZoneMinutes = FormatRealField(c.birthZone.minutes);
    f.dasaStartYear = FormatIntegerField(c.dasaStartYear);
    f.eventDay = FormatIntegerField(c.event.day);
    f.eventYear = FormatIntegerField(c.event.year);
    f.eventHour = FormatIntegerField(c.event.hour);
    f.eventMinute = FormatRealField(c.event.minute);
    f.eventZoneHours = FormatIntegerField(c.eventZone.hours);
    f.eventZoneMinutes = FormatRealField(c.eventZone.minutes);
    f.birthMonth = ClampIndex(c.birth.month - 1, 11);
    f.birthWest = ClampIndex(c.birthZone.west, 1);
    f.dasaLength = ClampIndex(c.dasaYears - 1, 11);
    f.adIndex = ClampIndex(c.adIndex, 11);
    f.pdIndex = ClampIndex(c.pdIndex, 11);
    f.sdIndex = ClampIndex(c.sdIndex, 11);
    f.padIndex = ClampIndex(c.padIndex, 11);
    f.levelChoice = ClampIndex(c.level - 1, 5);
    f.eventMonth = ClampIndex(c.event.month - 1, 11);
    f.eventWest = ClampIndex(c.eventZone.west, 1);
    return f;
}

std::optional<FieldFailure> ChartFromForm(const DataEntryForm& f, ChartData& chart) {
    ChartData c = chart;
    c.adIndex = ClampIndex(f.adIndex, 11);
    c.dasaYears = ClampIndex(f.dasaLength, 11) + 1;
    c.pdIndex = ClampIndex(f.pdIndex, 11);
    c.sdIndex = ClampIndex(f.sdIndex, 11);
    c.padIndex = ClampIndex(f.padIndex, 11);
    c.birth.month = ClampIndex(f.birthMonth, 11) + 1;
    c.event.month = ClampIndex(f.eventMonth, 11) + 1;

    // The fields in the order the dialog reads them; the first that fails wins.
    struct Step {
        int control;
        std::optional<std::string> failure;
    };
    const auto steps = {
        Step{kDasaStartYear, ExchangeInteger(f.dasaStartYear, c.dasaStartYear)},
        Step{kBirthDay, ExchangeInteger(f.birthDay, 1, 31, c.birth.day)},
        Step{kBirthYear, ExchangeInteger(f.birthYear, 1801, 2098, c.birth.year)},
        Step{kBirthHour, ExchangeInteger(f.birthHour, 0, 23, c.birth.hour)},
        Step{kBirthMinute, ExchangeReal(f.birthMinute, 0.0, 60.0, c.birth.minute)},
        Step{kEventHour, ExchangeInteger(f.eventHour, 0, 23, c.event.hour)},
        Step{kEventDay, ExchangeInteger(f.eventDay, 1, 31, c.event.day)},
        Step{kEventYear, ExchangeInteger(f.eventYear, 1801, 2098, c.event.year)},
        Step{kEventMinute, ExchangeReal(f.eventMinute, 0.0, 60.0, c.event.minute)},
        Step{kEventZoneHours, ExchangeInteger(f.eventZoneHours, -12, 12, c.eventZone.hours)},
        Step{kBirthZoneHours, ExchangeInteger(f.birthZoneHours, -12, 12, c.birthZone.hours)},
        Step{kEventZoneMinutes, ExchangeReal(f.eventZoneMinutes, 0.0, 60.0, c.eventZone.minutes)},
        Step{kBirthZoneMinutes, ExchangeReal(f.birthZoneMinutes, 0.0, 60.0, c.birthZone.minutes)},
    };
    for (const Step& step : steps) {
        if (step.failure) return FieldFailure{step.control, *step.failure};
    }
    // A day the month lacks (31 April) would select a slot of the Sun table that holds no day.
    for (const auto& [moment, control] : {std::pair{&c.birth, kBirthDay}, {&c.event, kEventDay}}) {
        const int length = DaysInMonth(moment->year, moment->month);
        if (moment->day > length) {
            return FieldFailure{
                control, "Please enter an integer between 1 and " + std::to_string(length) + "."};
        }
    }
    c.level = ClampIndex(f.levelChoice, 5) + 1;
    c.birthZone.west = ClampIndex(f.birthWest, 1);
    c.eventZone.west = ClampIndex(f.eventWest, 1);
    c.birthZone.utOffset = ZoneOffset(c.birthZone.west, c.birthZone.hours, c.birthZone.minutes);
    c.eventZone.utOffset = ZoneOffset(c.eventZone.west, c.eventZone.hours, c.eventZone.minutes);
    chart = c;
    return std::nullopt;
}

const std::array<AyanamsaChoice, 8> kAyanamsaChoices{{
    {"Chitrapaksha ayanamsa (Lahiri)", 1012, 0, 0, 0, 0},
    {"Raman ayanamsa", 1013, 1, 27, 0, 1},
    {"Deva-datta ayanamsa (Oskavel)", 1015, 0, 22, 37, 1},
    {"Krishnamurthy ayanamsa", 1014, 0, 6, 5.4, 1},
    {"Usha-Shashi ayanamsa", 1016, 3, 48, 16, 1},
    {"Fagan ayanamsa", 1017, 0, 53, 0.3, 0},
    {"Tropical (sayana) zodiac - NO ayanamsa", 1018, 0, 0, 0, 0},
    {"Custom ayanamsa", 1031, 0, 0, 0, 0},
}};

AyanamsaForm AyanamsaFormFromPreferences(const Preferences& p) {
    AyanamsaForm f;
    f.choice = ClampIndex(p.ayanamsaChoice, kCustomChoice);
    f.signIndex = p.deviationSign == 1 ? 0 : 1;
    f.degrees = FormatRealField(p.ayanamsaChoice == kTropicalChoice ? 0.0 : p.deviationDegrees);
    f.arcMinutes = FormatRealField(p.deviationArcMinutes);
    f.arcSeconds = FormatRealField(p.deviationArcSeconds);
    return f;
}

void ApplyAyanamsaChoice(AyanamsaForm& form, int choice) {
    form.choice = ClampIndex(choice, kCustomChoice);
    if (form.choice == kCustomChoice) return;
    const AyanamsaChoice& c = kAyanamsaChoices[static_cast<std::size_t>(form.choice)];
    form.degrees = FormatRealField(c.degrees);
    form.arcMinutes = FormatRealField(c.arcMinutes);
    form.arcSeconds = FormatRealField(c.arcSeconds);
    form.signIndex = c.signIndex;
}

std::string AyanamsaLabel(const Preferences& p) {
    const int choice = ClampIndex(p.ayanamsaChoice, kCustomChoice);
    std::string label = kAyanamsaChoices[static_cast<std::size_t>(choice)].caption;
    if (choice != kCustomChoice) return label;
    // The deviation in force, whatever signs were typed into its parts.
    const double deviation = p.ayanamsaDeviation;
    if (!(std::fabs(deviation) <= kMaxAyanamsaDeviation)) return label + ": tropical";
    const long long tenths = std::llround(std::fabs(deviation) * 600.0);  // of an arc-second
    char text[64];
    std::snprintf(text, sizeof text, ": Lahiri %c %lld\xC2\xB0 %lld' %.1f\"",
                  deviation < 0 ? '-' : '+', tenths / 36000, tenths / 600 % 60,
                  static_cast<double>(tenths % 600) / 10.0);
    return label + text;
}

std::optional<FieldFailure> PreferencesFromAyanamsaForm(const AyanamsaForm& form,
                                                        Preferences& preferences) {
    double degrees = 0.0, minutes = 0.0, seconds = 0.0;
    if (auto m = ExchangeReal(form.degrees, -360.0, 360.0, degrees)) {
        return FieldFailure{kDeviationDegrees, *m};
    }
    if (auto m = ExchangeReal(form.arcMinutes, 0.0, 60.0, minutes)) {
        return FieldFailure{kDeviationMinutes, *m};
    }
    if (auto m = ExchangeReal(form.arcSeconds, 0.0, 60.0, seconds)) {
        return FieldFailure{kDeviationSeconds, *m};
    }
    Preferences& p = preferences;
    p.ayanamsaChoice = ClampIndex(form.choice, kCustomChoice);
    p.deviationSign = form.signIndex == 0 ? 1 : -1;
    p.deviationDegrees = p.ayanamsaChoice == kTropicalChoice ? kTropicalDegrees : degrees;
    p.deviationArcMinutes = minutes;
    p.deviationArcSeconds = seconds;
    p.ayanamsaDeviation = DeviationArcMinutes(p.deviationSign, p.deviationDegrees,
                                              p.deviationArcMinutes, p.deviationArcSeconds);
    return std::nullopt;
}

}  // namespace tarvella
