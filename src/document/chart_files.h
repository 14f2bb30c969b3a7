// The last-data text "lastdata.vkt", the preference text "pref.vkp", and the rules by which a view
// moves its chart between the last-data file and its document's chart image.
//
// Both texts hold one number per line, "%d" or "%lf" (six decimals), CR LF line ends, a magic
// number first. Readers take the numbers separated by any white space, so LF files read alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "document/chart_data.h"
#include "document/session.h"

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

// Replaces the file through a temporary file in the same directory, so the old content stays
// whole unless the new one was written completely. False when the file was not replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// What the files need of the application's document.
class ChartDocument {
  public:
    virtual ~ChartDocument() = default;
    // True once at least one byte was loaded from a document file; never cleared.
    virtual bool LoadedFromFile() const = 0;
    virtual void SetLoadedFromFile() = 0;
    // The bytes of a last-data text, at most kMaxChartImage of them.
    virtual std::string ChartImage() const = 0;
    virtual void SetChartImage(std::string_view bytes) = 0;
    virtual void SetModifiedFlag() = 0;
    // Repaints every view of the document but the one that called.
    virtual void UpdateOtherViews() = 0;
};

// Loading a document file: its first kMaxChartImage bytes become the image, unchecked; the view
// interprets them when it starts.
void LoadDocumentFile(ChartDocument& doc, std::string_view fileBytes);

// Each returns false when a file it had to write was not written; the chart and the document
// still hold what they would have held, and a missing or foreign file still gives the defaults.

// Writes the chart to the last-data file and mirrors its text into the document, which is marked
// modified, and its other views repainted, only when the bytes change.
bool SaveLastData(Session& session, ChartDocument& doc, const ChartData& chart);

// The default chart, Sun fields left as they are, then SaveLastData.
bool SetDefaultChart(Session& session, ChartDocument& doc, ChartData& chart);

bool SavePreferences(const Session& session);
// The default preferences, applied to the session and written.
bool SetDefaultPreferences(Session& session);

// The Sun at birth and at the event, under the session's ayanamsa; after any change of the chart's
// moments or zones, or of the ayanamsa.
void ComputeSunFields(Session& session, ChartData& chart);

// A view's start: hands a document loaded from a file to the last-data file, reads the chart from
// there and the preferences (defaults, written anew, for missing or foreign files), and computes
// the Sun at birth and at the event.
bool LoadChartAndPreferences(Session& session, ChartDocument& doc, ChartData& chart);

}  // namespace tarvella
