// Reading and checking the text of dialog fields, with the messages the user sees, and the two
// dialogs' exchanges between their fields and the chart or the preferences. No window code: the
// dialogs only move text and indices between their controls and these records.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "document/chart_data.h"

namespace tarvella {

// Only this many characters of a field are read.
inline constexpr std::size_t kFieldReadLength = 31;

// A decimal integer or number after leading blanks and tabs, followed only by blanks or tabs. A
// text that reads as zero counts only when it starts with the digit 0 ("+0", "-0", ".0" do not).
std::optional<int> ParseIntegerField(std::string_view text);
std::optional<double> ParseRealField(std::string_view text);

// "%d", and reals with up to 15 significant digits (50.0 shows as 50).
std::string FormatIntegerField(int value);
std::string FormatRealField(double value);

// Reads one field and checks its range (both ends included); on failure returns the message.
std::optional<std::string> ExchangeInteger(std::string_view text, int& value);
std::optional<std::string> ExchangeInteger(std::string_view text, int low, int high, int& value);
std::optional<std::string> ExchangeReal(std::string_view text, double low, double high,
                                        double& value);

// The control that failed and what to tell the user.
struct FieldFailure {
    int control = 0;
    std::string message;
};

// "Enter Data": its controls, by id.
enum DataControl {
    kBirthDay = 1000,
    kBirthYear = 1001,
    kBirthHour = 1002,
    kBirthMonth = 1003,
    kDasaLength = 1004,
    kAdNumber = 1005,
    kPdNumber = 1007,
    kSdNumber = 1009,
    kEventZoneHours = 1013,
    kBirthZoneHours = 1012,
    kDasaStartYear = 1016,
    kPadNumber = 1018,
    kBirthMinute = 1020,
    kBirthZoneMinutes = 1021,
    kEventZoneMinutes = 1024,
    kEventDay = 1026,
    kEventMonth = 1027,
    kEventYear = 1028,
    kEventHour = 1029,
    kEventMinute = 1030,
};

// The dialog's values: edit fields as text, lists and radio groups as indices.
struct DataEntryForm {
    std::string birthDay, birthYear, birthHour, birthMinute, birthZoneHours, birthZoneMinutes;
    std::string dasaStartYear;
    std::string eventDay, eventYear, eventHour, eventMinute, eventZoneHours, eventZoneMinutes;
    int birthMonth = 0;  // list index 0..11
    int birthWest = 0;   // 0 East, 1 West
    int dasaLength = 0;  // years - 1
    int adIndex = 0, pdIndex = 0, sdIndex = 0, padIndex = 0;
    int levelChoice = 0;  // level - 1
    int eventMonth = 0;
    int eventWest = 0;
};

// The zone fields filled from a zone (picked by name), and the zone those fields then give: the
// command line goes the same way, so it computes from exactly what the dialog would.
void FillZoneFields(const ZoneSpec& zone, std::string& hours, std::string& minutes, int& west);
ZoneSpec ZoneThroughFields(const ZoneSpec& zone);

// The form as the dialog opens on the chart. A stored value that no list item shows (a month of
// 13 from a hand-edited file) is clamped into the list, so OK can never store it.
DataEntryForm FormFromChart(const ChartData& chart);

// Reads the form in the dialog's order; the first failing field stops it and nothing is copied.
// On success copies every value into the chart and derives both zone offsets; the Sun fields are
// left for the caller to recompute.
std::optional<FieldFailure> ChartFromForm(const DataEntryForm& form, ChartData& chart);

// "Choose Ayanamsa".
enum AyanamsaControl {
    kDeviationDegrees = 1002,
    kDeviationMinutes = 1003,
    kDeviationSeconds = 1004
};

inline constexpr int kTropicalChoice = 6;
inline constexpr int kCustomChoice = 7;
inline constexpr double kTropicalDegrees = 1000.0;  // stored for the tropical choice

struct AyanamsaChoice {
    const char* caption;
    int buttonId;
    double degrees, arcMinutes, arcSeconds;
    int signIndex;  // 0 Add, 1 Subtract
};
extern const std::array<AyanamsaChoice, 8> kAyanamsaChoices;

struct AyanamsaForm {
    int choice = 0;     // 0..7
    int signIndex = 0;  // 0 Add, 1 Subtract
    std::string degrees, arcMinutes, arcSeconds;
};

AyanamsaForm AyanamsaFormFromPreferences(const Preferences& preferences);

// A click on a choice: a named one shows its fixed deviation; custom keeps the fields as they are.
void ApplyAyanamsaChoice(AyanamsaForm& form, int choice);

// The ayanamsa in force, as the status bar names it: the choice's caption, and for the custom
// choice its deviation from Lahiri as confirmed ("Custom ayanamsa: Lahiri - 1\u00B0 27' 0\"").
std::string AyanamsaLabel(const Preferences& preferences);

// Reads and checks the deviation fields; on success stores the choice and the deviation.
std::optional<FieldFailure> PreferencesFromAyanamsaForm(const AyanamsaForm& form,
                                                        Preferences& preferences);

}  // namespace tarvella
