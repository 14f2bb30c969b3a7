// The last-data text "lastdata.vkt", the preference text "pref.vkp", and the rules by which a view
// moves its chart between the last-data file and its document's chart image.
//
// Both texts hold one number per line, "%d" or "%lf" (six decimals), CR LF line ends, a magic
// number first. Readers take the numbers separated by any white space, so LF files read alike.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "document/chart_data.h"
#include "document/session.h"

namespace tarvella {

inline constexpr const char* kLastDataFileName = "lastdata.vkt";
inline constexpr const char* kPrefFileName = "pref.vkp";
inline constexpr int kLastDataMagic = 4002;
inline constexpr int kPreferencesMagic = 4003;
// A document never holds more of a chart file than this; saving writes back only these bytes.
inline constexpr std::size_t kMaxChartImage = 1000;
// Far beyond any preference text; a stray large file is not read whole.
inline constexpr std::size_t kMaxPreferenceText = 65536;

// The 26 lines of the last-data text; the Sun fields are not stored.
std::string LastDataText(const ChartData& chart);
// The 9 lines of the preference text.
std::string PreferencesText(const Preferences& prefs);

// A text is a chart (or preference) text when its first number is the magic and every field
// after it is there and reads as its type; text after the last field is ignored. Every field is
// brought into the range the program can show. The Sun fields are zero. For any other text the
// result is nullopt and `problem`, when given, says why in one line: "line 11: the event's year
// is missing".
std::optional<ChartData> ParseLastDataText(std::string_view text, std::string* problem = nullptr);
std::optional<Preferences> ParsePreferencesText(std::string_view text,
                                                std::string* problem = nullptr);

// The first `limit` bytes of a regular file; nullopt for anything else (a pipe would block) or a
// file that cannot be read.
std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t limit);

// Why a file's bytes could not be read, in a few words ("there is no such file", "it is a
// folder", "permission denied"), after ReadFilePrefix gave nothing.
std::string UnreadableReason(const std::string& path);

// A file opened as a chart document: only its first kMaxChartImage bytes are read.
struct ChartFile {
    enum class Status { Chart, Unreadable, NotAChart } status = Status::Unreadable;
    std::string bytes;
    ChartData chart;      // read from the bytes, when they are a chart
    std::string problem;  // why they are not, or why they could not be read
};
ChartFile ReadChartFile(const std::string& path);

// Replaces the file through a temporary file in the same directory, so the old content stays
// whole unless the new one was written completely. A symbolic link to a regular file has its
// target replaced, so the file the user keeps is the one that changes. False when the file was
// not replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// The same with the content made piece by piece: `produce` hands each piece to the sink it is
// given and returns false to give up, which leaves the old file as it was, as a failed write
// does.
bool WriteFileAtomically(const std::string& path,
                         const std::function<bool(const ByteSink& out)>& produce);

// Temporary files of WriteFileAtomically left in `dir` by a run that ended while writing, older
// than a few seconds so that no write under way is touched. Returns how many were removed.
int RemoveLeftoverTemporaries(const std::string& dir);

inline constexpr const char* kWriteFoldersFileName = ".write-folders";
// WriteFileAtomically, after the folder of `path` was added to the session's list of write
// folders, so that a temporary file left by a run killed while writing is found later.
bool WriteFileRemembered(Session& session, const std::string& path,
                         const std::function<bool(const ByteSink& out)>& produce);
// At start: the leftovers of every folder in the list are removed; the list keeps only the
// folders whose temporaries are too young to be taken for leftovers yet. Returns how many went.
int RemoveRememberedLeftovers(const std::string& listPath);

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

struct StartOutcome {
    bool written = true;  // false when a file that had to be written was not
    // A damaged data file is moved aside before the defaults take its place: the copies kept.
    std::vector<std::string> damagedCopies;
};

// The name a damaged data file is kept under, beside itself; an older copy is replaced.
std::string DamagedCopyPath(const std::string& path);

// A view's start: hands a document loaded from a file, or one whose image an earlier view made, to
// the last-data file, else reads the chart from there; reads the preferences once a run (defaults,
// written anew, for missing or damaged files; a damaged one is first kept); and computes the Sun
// at birth and at the event.
StartOutcome LoadChartAndPreferences(Session& session, ChartDocument& doc, ChartData& chart);

}  // namespace tarvella
