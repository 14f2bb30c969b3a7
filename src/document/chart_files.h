// The last-data text "lastdata.vkt" and the preference text "pref.vkp".
//
// Both texts hold one number per line, "%d" or "%lf" (six decimals), CR LF line ends, a magic
// number first. Readers take the numbers separated by any white space, so LF files read alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "document/chart_data.h"

namespace tarvella {

inline constexpr const char* kLastDataFileName = "lastdata.vkt";
inline constexpr const char* kPrefFileName = "pref.vkp";
inline constexpr int kLastDataMagic = 4002;
inline constexpr int kPreferencesMagic = 4003;
// A document never holds more of a chart file than this; saving writes back only these bytes.
inline constexpr std::size_t kMaxChartImage = 1000;

// The 26 lines of the last-data text; the Sun fields are not stored.
std::string LastDataText(const ChartData& chart);
// The 9 lines of the preference text.
std::string PreferencesText(const Preferences& prefs);

// nullopt when the first number is not the magic. Fields after the first one missing or not a
// number keep their defaults, and every field is brought into the range the program can show.
// The Sun fields are zero.
std::optional<ChartData> ParseLastDataText(std::string_view text);
std::optional<Preferences> ParsePreferencesText(std::string_view text);

}  // namespace tarvella
