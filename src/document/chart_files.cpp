#include "document/chart_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <type_traits>

#include "core/ayanamsa.h"
#include "core/platform.h"
#include "core/sun_ephemeris.h"
#include "document/period_path.h"

namespace tarvella {
namespace {

// Temporary files of ours, hidden and of one fixed length whatever the file they replace.
constexpr const char* kTemporaryPrefix = ".tarvella-";
constexpr const char* kTemporarySuffix = ".tmp";
// Years beyond the Sun table give no Sun anyway; the bound only keeps date carries and year
// arithmetic from overflowing an int.
constexpr int kYearLimit = 100000;

// The fields in file order. `io` is called with each int or double, so the writer and the reader
// cannot disagree about the order.
template <class Moment, class Io>
void MomentFields(Moment& m, Io& io) {
    io(m.year);
    io(m.month);
    io(m.day);
    io(m.hour);
    io(m.minute);
}

template <class Zone, class Io>
void ZoneFields(Zone& z, Io& io) {
    io(z.west);
    io(z.hours);
    io(z.minutes);
    io(z.utOffset);
}

template <class Chart, class Io>
void LastDataFields(Chart& c, Io& io) {
    MomentFields(c.birth, io);
    ZoneFields(c.birthZone, io);
    MomentFields(c.event, io);
    ZoneFields(c.eventZone, io);
    io(c.dasaYears);
    io(c.dasaStartYear);
    io(c.adIndex);
    io(c.pdIndex);
    io(c.sdIndex);
    io(c.padIndex);
    io(c.level);  // last in the file although first in the record
}

template <class Prefs, class Io>
void PreferenceFields(Prefs& p, Io& io) {
    io(p.printAllLevels);
    io(p.colorPrinting);
    io(p.ayanamsaDeviation);
    io(p.deviationSign);
    io(p.ayanamsaChoice);
    io(p.deviationDegrees);
    io(p.deviationArcMinutes);
    io(p.deviationArcSeconds);
}

// to_chars, unlike printf, ignores the locale the application may set: the files always carry a
// decimal point. Its fixed format with precision 6 rounds as "%lf" does.
struct TextWriter {
    std::string out;

    void operator()(int v) {
        char buf[16];
        Line(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    }
    void operator()(double v) {
        char buf[400];  // the widest double in fixed notation takes 317
        Line(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6).ptr);
    }
    void Line(const char* begin, const char* end) {
        out.append(begin, end);
        out += "\r\n";
    }
};

// A leading '+' is accepted as scanf does; from_chars alone refuses it.
std::string_view WithoutPlus(std::string_view t) {
    if (t.size() > 1 && t[0] == '+' && t[1] != '+' && t[1] != '-') t.remove_prefix(1);
    return t;
}

bool ParseInt(std::string_view t, int& v) {
    t = WithoutPlus(t);
    long long x = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), x);
    if (end != t.data() + t.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        x = t[0] == '-' ? LLONG_MIN : LLONG_MAX;
    } else if (ec != std::errc{}) {
        return false;
    }
    v = static_cast<int>(std::clamp<long long>(x, INT_MIN, INT_MAX));
    return true;
}

bool ParseReal(std::string_view t, double& v) {
    t = WithoutPlus(t);
    double x = 0.0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), x);
    if (end != t.data() + t.size()) return false;
    // Beyond a double's range is no usable number; the clamps treat it as one that is missing.
    if (ec == std::errc::result_out_of_range) {
        x = std::numeric_limits<double>::quiet_NaN();
    } else if (ec != std::errc{}) {
        return false;
    }
    v = x;
    return true;
}

// Reads white-space-separated numbers into the fields it is called with. After the first field
// that is missing or not a number it reads nothing more, as a scanf would, and remembers which
// field it was, why, and on which line of the text.
struct TextReader {
    std::string_view rest;
    bool stopped = false;
    int fieldsRead = 0;  // the magic included
    bool missing = false;
    bool wantedInt = false;
    int line = 1;           // of the text's next character
    int tokenLine = 0;      // of the last token taken
    int stoppedAtLine = 0;  // of the unreadable field, or the line after the last one read

    std::string_view NextToken() {
        const auto space = [](char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); };
        std::size_t b = 0;
        for (; b < rest.size() && space(rest[b]); ++b) {
            if (rest[b] == '\n') ++line;
        }
        std::size_t e = b;
        while (e < rest.size() && !space(rest[e])) ++e;
        const std::string_view token = rest.substr(b, e - b);
        rest.remove_prefix(e);
        return token;
    }
    template <class T>
    void operator()(T& field) {
        if (stopped) return;
        const std::string_view token = NextToken();
        T value{};
        if (token.empty() || !Parse(token, value)) {
            stopped = true;
            missing = token.empty();
            wantedInt = std::is_same_v<T, int>;
            stoppedAtLine = missing ? tokenLine + 1 : line;
            return;
        }
        field = value;
        ++fieldsRead;
        tokenLine = line;
    }
    static bool Parse(std::string_view t, int& v) { return ParseInt(t, v); }
    static bool Parse(std::string_view t, double& v) { return ParseReal(t, v); }
};

// The fields after the magic, in file order, as the user knows them.
constexpr const char* kLastDataFieldNames[] = {"the birth's year",
                                               "the birth's month",
                                               "the birth's day",
                                               "the birth's hour",
                                               "the birth's minute",
                                               "the birth zone's East or West",
                                               "the birth zone's hours",
                                               "the birth zone's minutes",
                                               "the birth zone's offset",
                                               "the event's year",
                                               "the event's month",
                                               "the event's day",
                                               "the event's hour",
                                               "the event's minute",
                                               "the event zone's East or West",
                                               "the event zone's hours",
                                               "the event zone's minutes",
                                               "the event zone's offset",
                                               "the dasa's years",
                                               "the dasa's start year",
                                               "the AD",
                                               "the PD",
                                               "the SD",
                                               "the PAD",
                                               "the level"};
constexpr const char* kPreferenceFieldNames[] = {"the choice to print every level",
                                                 "the choice of colour printing",
                                                 "the ayanamsa deviation",
                                                 "the deviation's sign",
                                                 "the ayanamsa choice",
                                                 "the deviation's degrees",
                                                 "the deviation's arc-minutes",
                                                 "the deviation's arc-seconds"};

// Reads the magic, then the record's fields through `fields`; empty when all were read, else why
// not.
template <std::size_t N, class Fields>
std::string ReadRecord(std::string_view text, int magic, const char* const (&names)[N],
                       Fields fields) {
    TextReader reader{text};
    int value = 0;
    reader(value);
    if (reader.stopped && reader.missing) return "the file is empty";
    if (reader.stopped || value != magic) {
        return "line 1: the first number is not " + std::to_string(magic);
    }
    fields(reader);
    if (!reader.stopped) return {};
    const int field = reader.fieldsRead - 1;  // 0-based, after the magic
    const char* what = reader.missing     ? "is missing"
                       : reader.wantedInt ? "is not a whole number"
                                          : "is not a number";
    return "line " + std::to_string(reader.stoppedAtLine) + ": " + names[field] + " " + what;
}

// A NaN goes to the low end, an infinity to the nearer end.
double ClampReal(double v, double lo, double hi) {
    return std::isnan(v) ? lo : std::clamp(v, lo, hi);
}

void ClampMoment(ChartMoment& m) {
    m.year = std::clamp(m.year, -kYearLimit, kYearLimit);
    m.month = std::clamp(m.month, 1, 12);
    // A day past its month's end stays: the calendar counts it on into the next month.
    m.day = std::clamp(m.day, 1, 31);
    m.hour = std::clamp(m.hour, 0, 23);
    m.minute = ClampReal(m.minute, 0.0, 60.0);
}

void ClampZone(ZoneSpec& z) {
    // Any non-zero value already meant West, in the offset and in the report.
    z.west = z.west != 0 ? 1 : 0;
    z.hours = std::clamp(z.hours, -12, 12);
    z.minutes = ClampReal(z.minutes, 0.0, 60.0);
    // A lost offset is recomputed from what the user entered rather than set to the low end,
    // which would move every time of the chart by most of a day.
    z.utOffset = std::isnan(z.utOffset) ? ZoneOffset(z.west, z.hours, z.minutes)
                                        : std::clamp(z.utOffset, -13.0, 13.0);
}

void ClampChart(ChartData& c) {
    c = WithinTables(c);
    ClampMoment(c.birth);
    ClampMoment(c.event);
    ClampZone(c.birthZone);
    ClampZone(c.eventZone);
    c.dasaStartYear = std::clamp(c.dasaStartYear, -kYearLimit, kYearLimit);
}

void ClampPreferences(Preferences& p) {
    p.printAllLevels = std::clamp(p.printAllLevels, 0, 1);
    p.colorPrinting = std::clamp(p.colorPrinting, 0, 1);
    p.deviationSign = p.deviationSign < 0 ? -1 : 1;
    p.ayanamsaChoice = std::clamp(p.ayanamsaChoice, 0, 7);
    for (double* part : {&p.deviationDegrees, &p.deviationArcMinutes, &p.deviationArcSeconds}) {
        if (!std::isfinite(*part)) *part = 0.0;
    }
    // The deviation is defined by its parts; a NaN would silently mean the tropical zodiac.
    // Infinities stay: beyond a full circle is the tropical zodiac by design.
    if (std::isnan(p.ayanamsaDeviation)) {
        p.ayanamsaDeviation = DeviationArcMinutes(p.deviationSign, p.deviationDegrees,
                                                  p.deviationArcMinutes, p.deviationArcSeconds);
    }
}

void CopySunFields(const ChartMoment& from, ChartMoment& to) {
    to.sunDegree = from.sunDegree;
    to.sunSign = from.sunSign;
    to.sunMinute = from.sunMinute;
    to.sunSecond = from.sunSecond;
    to.sunLongitude = from.sunLongitude;
}

}  // namespace

std::string LastDataText(const ChartData& chart) {
    TextWriter writer;
    writer(kLastDataMagic);
    LastDataFields(chart, writer);
    return writer.out;
}

std::string PreferencesText(const Preferences& prefs) {
    TextWriter writer;
    writer(kPreferencesMagic);
    PreferenceFields(prefs, writer);
    return writer.out;
}

std::optional<ChartData> ParseLastDataText(std::string_view text, std::string* problem) {
    ChartData chart = DefaultChart();
    std::string why = ReadRecord(text, kLastDataMagic, kLastDataFieldNames,
                                 [&chart](TextReader& reader) { LastDataFields(chart, reader); });
    if (problem) *problem = why;
    if (!why.empty()) return std::nullopt;
    ClampChart(chart);
    return chart;
}

std::optional<Preferences> ParsePreferencesText(std::string_view text, std::string* problem) {
    Preferences prefs;
    std::string why = ReadRecord(text, kPreferencesMagic, kPreferenceFieldNames,
                                 [&prefs](TextReader& reader) { PreferenceFields(prefs, reader); });
    if (problem) *problem = why;
    if (!why.empty()) return std::nullopt;
    ClampPreferences(prefs);
    return prefs;
}

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t limit) {
    // A pipe in the file's place would block the start for good.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    // Unbuffered, so that no more than `limit` bytes are read.
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string UnreadableReason(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return "there is no such file";
    if (status.type() == fs::file_type::directory) return "it is a folder";
    if (!ec && status.type() != fs::file_type::regular) return "it is not a regular file";
    if (!ec) {
        errno = 0;
        std::ifstream in(path, std::ios::binary);
        if (!in && errno != 0) ec = std::error_code(errno, std::generic_category());
    }
    std::string reason = ec ? ec.message() : "it could not be read";
    if (!reason.empty()) {
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
}

ChartFile ReadChartFile(const std::string& path) {
    ChartFile file;
    std::optional<std::string> bytes = ReadFilePrefix(path, kMaxChartImage);
    if (!bytes) {
        file.problem = UnreadableReason(path);
        return file;
    }
    file.bytes = std::move(*bytes);
    const std::optional<ChartData> chart = ParseLastDataText(file.bytes, &file.problem);
    file.status = chart ? ChartFile::Status::Chart : ChartFile::Status::NotAChart;
    if (chart) file.chart = *chart;
    return file;
}

namespace {

// Through a link to a regular file its target is replaced; a link to anything else (a device,
// say) is itself replaced by the file, as any other name would be.
std::filesystem::path ReplacedFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_symlink(path, ec) && fs::is_regular_file(path, ec)) {
        fs::path target = fs::canonical(path, ec);
        if (!ec) return target;
    }
    return path;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileAtomically(path, [bytes](const ByteSink& out) { return out(bytes); });
}

bool WriteFileAtomically(const std::string& path,
                         const std::function<bool(const ByteSink& out)>& produce) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = ReplacedFile(path);
    // A name of fixed length: the file's own name plus a suffix could pass the file-name limit.
    const fs::path dir = target.parent_path();
    // Small pieces are gathered into large writes.
    constexpr std::size_t kChunk = 1 << 16;
    const auto write = [&produce](const ByteSink& raw) {
        std::string pending;
        bool writeOk = true;
        const ByteSink out = [&](std::string_view bytes) {
            if (!writeOk) return false;
            if (pending.size() + bytes.size() < kChunk) {
                pending.append(bytes);
                return true;
            }
            writeOk = raw(pending) && raw(bytes);
            pending.clear();
            return writeOk;
        };
        return produce(out) && writeOk && raw(pending);
    };
    const std::optional<fs::path> temp = WriteTemporaryFile(
        dir.empty() ? fs::path(".") : dir, kTemporaryPrefix, kTemporarySuffix, write, target);
    if (!temp) return false;
    if (RenameReplacing(*temp, target)) return true;
    fs::remove(*temp, ec);
    return false;
}

namespace {

// Removes the leftovers in `dir`; `young`, when given, counts the temporaries left for being too
// recent to be anybody's leftovers yet.
int RemoveLeftovers(const std::string& dir, int* young) {
    namespace fs = std::filesystem;
    // Only names of our own making: "lastdata.vkt.backup" could be the user's, and is kept.
    const auto ours = [](const std::string& name) {
        const std::size_t prefix = std::strlen(kTemporaryPrefix);
        const std::size_t suffix = std::strlen(kTemporarySuffix);
        return name.size() == prefix + 6 + suffix && name.starts_with(kTemporaryPrefix) &&
               name.ends_with(kTemporarySuffix);
    };
    int removed = 0;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || !ours(it->path().filename().string())) continue;
        const auto written = fs::last_write_time(it->path(), entryError);
        if (entryError) continue;
        if (now - written < std::chrono::seconds(10)) {
            if (young) ++*young;
        } else if (fs::remove(it->path(), entryError)) {
            ++removed;
        }
    }
    return removed;
}

// The folders of the list, which separates them with NUL bytes (a folder's name may hold a
// newline).
std::vector<std::string> WriteFolders(const std::string& listPath) {
    std::vector<std::string> folders;
    const std::optional<std::string> list = ReadFilePrefix(listPath, kMaxPreferenceText);
    if (!list) return folders;
    for (std::size_t begin = 0; begin < list->size();) {
        std::size_t nul = list->find('\0', begin);
        if (nul == std::string::npos) nul = list->size();
        if (nul > begin) folders.push_back(list->substr(begin, nul - begin));
        begin = nul + 1;
    }
    return folders;
}

bool WriteFolderList(const std::string& listPath, const std::vector<std::string>& folders) {
    std::error_code ec;
    if (folders.empty()) return std::filesystem::remove(listPath, ec) || !ec;
    std::string list;
    for (const std::string& folder : folders) list += folder + '\0';
    return WriteFileAtomically(listPath, list);
}

}  // namespace

int RemoveLeftoverTemporaries(const std::string& dir) {
    return RemoveLeftovers(dir, nullptr);
}

bool WriteFileRemembered(Session& session, const std::string& path,
                         const std::function<bool(const ByteSink& out)>& produce) {
    namespace fs = std::filesystem;
    if (!session.writeFoldersPath.empty()) {
        std::error_code ec;
        const fs::path folder = fs::absolute(ReplacedFile(path), ec).parent_path();
        if (!ec) {
            const std::string name = folder.lexically_normal().string();
            std::vector<std::string> folders = WriteFolders(session.writeFoldersPath);
            if (std::find(folders.begin(), folders.end(), name) == folders.end()) {
                folders.push_back(name);
                // Without the list the write still goes ahead; only a later clean-up is lost.
                WriteFolderList(session.writeFoldersPath, folders);
            }
        }
    }
    return WriteFileAtomically(path, produce);
}

int RemoveRememberedLeftovers(const std::string& listPath) {
    int removed = 0;
    std::vector<std::string> waiting;
    for (const std::string& folder : WriteFolders(listPath)) {
        int young = 0;
        removed += RemoveLeftovers(folder, &young);
        if (young > 0) waiting.push_back(folder);
    }
    WriteFolderList(listPath, waiting);
    return removed;
}

void LoadDocumentFile(ChartDocument& doc, std::string_view fileBytes) {
    const std::string_view image = fileBytes.substr(0, kMaxChartImage);
    doc.SetChartImage(image);
    if (!image.empty()) doc.SetLoadedFromFile();
}

bool SaveLastData(Session& session, ChartDocument& doc, const ChartData& chart) {
    const std::string text = LastDataText(chart);
    const bool written = WriteFileAtomically(session.lastDataPath, text);
    // The document takes the text itself instead of reading the file back: after a write the file
    // holds exactly these bytes, and after a failed one the document must still follow the chart
    // the view shows, not an older chart left in the file, or saving it would store that one.
    const std::string_view image = std::string_view(text).substr(0, kMaxChartImage);
    if (doc.ChartImage() != image) {
        doc.SetChartImage(image);
        doc.SetModifiedFlag();
        doc.UpdateOtherViews();
    }
    return written;
}

bool SetDefaultChart(Session& session, ChartDocument& doc, ChartData& chart) {
    ChartData defaults = DefaultChart();
    CopySunFields(chart.birth, defaults.birth);
    CopySunFields(chart.event, defaults.event);
    chart = defaults;
    return SaveLastData(session, doc, chart);
}

bool SavePreferences(const Session& session) {
    return WriteFileAtomically(session.prefFilePath, PreferencesText(session.preferences));
}

bool SetDefaultPreferences(Session& session) {
    session.preferences = Preferences{};
    session.ApplyPreferences();
    return SavePreferences(session);
}

void ComputeSunFields(Session& session, ChartData& chart) {
    SunContext sun = session.Sun();
    ComputeSunPosition(sun, chart.birth, chart.birthZone);
    ComputeSunPosition(sun, chart.event, chart.eventZone);
}

std::string DamagedCopyPath(const std::string& path) {
    return path + ".damaged";
}

StartOutcome LoadChartAndPreferences(Session& session, ChartDocument& doc, ChartData& chart) {
    StartOutcome outcome;
    // A damaged file is moved aside, every byte of it however large, and then replaced by the
    // defaults; when they cannot be written it goes back, and nothing has changed.
    const auto replaceDamaged = [&outcome](const std::string& path, const auto& writeDefaults) {
        const std::string copy = DamagedCopyPath(path);
        bool kept = RenameReplacing(path, copy);
        // A folder cannot replace an older copy that is a file: that copy goes first.
        if (std::error_code ec; !kept && std::filesystem::is_directory(path, ec) &&
                                !std::filesystem::is_directory(copy, ec) &&
                                std::filesystem::remove(copy, ec)) {
            kept = RenameReplacing(path, copy);
        }
        const bool written = writeDefaults();
        if (kept && written) outcome.damagedCopies.push_back(copy);
        if (kept && !written) RenameReplacing(copy, path);
        return written;
    };

    // Whatever stands at the path and is not a sound file is damaged: an empty file, a file that
    // cannot be read, a pipe, a link to a device or to nothing, a folder. The defaults must not
    // take its place unkept and untold.
    const auto damaged = [](const std::string& path) {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
    };

    std::optional<std::string> chartText;
    std::optional<ChartData> read;
    // A document opened from a file was checked to be a chart; anything else never reaches the
    // last-data file, which holds the user's last chart. A document that has an image from an
    // earlier window keeps it too: after a failed write it is the only place of the newest chart.
    if ((doc.LoadedFromFile() || !doc.ChartImage().empty()) &&
        (read = ParseLastDataText(doc.ChartImage()))) {
        // Later windows and runs start from the document's chart. The chart itself comes from
        // the image, so a last-data file that cannot be written never puts another chart, and
        // later another image, into this document.
        chartText = doc.ChartImage();
        const auto writeDocument = [&] {
            return WriteFileAtomically(session.lastDataPath, *chartText);
        };
        const std::optional<std::string> last =
            ReadFilePrefix(session.lastDataPath, kMaxChartImage);
        if ((!last || !ParseLastDataText(*last)) && damaged(session.lastDataPath)) {
            outcome.written = replaceDamaged(session.lastDataPath, writeDocument);
        } else {
            outcome.written = writeDocument();
        }
    } else {
        // Only the bytes the document can keep, so its image and the chart always agree.
        chartText = ReadFilePrefix(session.lastDataPath, kMaxChartImage);
        read = chartText ? ParseLastDataText(*chartText) : std::nullopt;
    }

    const auto defaultChart = [&] { return SetDefaultChart(session, doc, chart); };
    if (read) {
        chart = *read;
        // A view showing the shared chart does not make the document modified.
        if (doc.ChartImage() != *chartText) doc.SetChartImage(*chartText);
    } else if (damaged(session.lastDataPath)) {
        outcome.written = replaceDamaged(session.lastDataPath, defaultChart) && outcome.written;
    } else {
        outcome.written = defaultChart() && outcome.written;
    }

    // Once a run: the session's preferences are newer than a file whose save failed.
    if (session.preferencesRead) {
        ComputeSunFields(session, chart);
        return outcome;
    }
    session.preferencesRead = true;
    const std::optional<std::string> prefText =
        ReadFilePrefix(session.prefFilePath, kMaxPreferenceText);
    const std::optional<Preferences> prefs =
        prefText ? ParsePreferencesText(*prefText) : std::nullopt;
    const auto defaultPrefs = [&session] { return SetDefaultPreferences(session); };
    if (prefs) {
        session.preferences = *prefs;
        session.ApplyPreferences();
    } else if (damaged(session.prefFilePath)) {
        outcome.written = replaceDamaged(session.prefFilePath, defaultPrefs) && outcome.written;
    } else {
        outcome.written = defaultPrefs() && outcome.written;
    }

    ComputeSunFields(session, chart);
    return outcome;
}

}  // namespace tarvella
