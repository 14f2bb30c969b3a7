#include "document/chart_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

#include "core/ayanamsa.h"
#include "core/sun_ephemeris.h"
#include "document/period_path.h"

namespace tarvella {
namespace {

// Far beyond any preference text; a stray large file is not read whole.
constexpr std::size_t kMaxPrefText = 65536;
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
// that is missing or not a number it reads nothing more, as a scanf would, so the later fields
// keep what they held.
struct TextReader {
    std::string_view rest;
    bool stopped = false;

    std::string_view NextToken() {
        const auto space = [](char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); };
        std::size_t b = 0;
        while (b < rest.size() && space(rest[b])) ++b;
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
            return;
        }
        field = value;
    }
    static bool Parse(std::string_view t, int& v) { return ParseInt(t, v); }
    static bool Parse(std::string_view t, double& v) { return ParseReal(t, v); }
};

bool ReadMagic(TextReader& reader, int magic) {
    int value = 0;
    reader(value);
    return !reader.stopped && value == magic;
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

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t limit) {
    // A pipe in the file's place would block the start for good.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
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

std::optional<ChartData> ParseLastDataText(std::string_view text) {
    TextReader reader{text};
    if (!ReadMagic(reader, kLastDataMagic)) return std::nullopt;
    ChartData chart = DefaultChart();
    LastDataFields(chart, reader);
    ClampChart(chart);
    return chart;
}

std::optional<Preferences> ParsePreferencesText(std::string_view text) {
    TextReader reader{text};
    if (!ReadMagic(reader, kPreferencesMagic)) return std::nullopt;
    Preferences prefs;
    PreferenceFields(prefs, reader);
    ClampPreferences(prefs);
    return prefs;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // mkostemp makes the file owner-only; the replacement keeps the old file's mode, and a new
    // file gets the mode any other new file of the user would get.
    struct stat old {};
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    // fsync before the rename, or a crash could leave the new name on an empty file.
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
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

bool LoadChartAndPreferences(Session& session, ChartDocument& doc, ChartData& chart) {
    bool ok = true;
    std::optional<std::string> chartText;
    if (doc.LoadedFromFile()) {
        // Later windows and runs start from the document's chart. The chart itself comes from
        // the image, so a last-data file that cannot be written never puts another chart, and
        // later another image, into this document.
        chartText = doc.ChartImage();
        ok = WriteFileAtomically(session.lastDataPath, *chartText);
    } else {
        // Only the bytes the document can keep, so its image and the chart always agree.
        chartText = ReadFilePrefix(session.lastDataPath, kMaxChartImage);
    }

    const std::optional<ChartData> read = chartText ? ParseLastDataText(*chartText) : std::nullopt;
    if (read) {
        chart = *read;
        // A view showing the shared chart does not make the document modified.
        if (doc.ChartImage() != *chartText) doc.SetChartImage(*chartText);
    } else {
        ok = SetDefaultChart(session, doc, chart) && ok;
    }

    const std::optional<std::string> prefText = ReadFilePrefix(session.prefFilePath, kMaxPrefText);
    const std::optional<Preferences> prefs =
        prefText ? ParsePreferencesText(*prefText) : std::nullopt;
    if (prefs) {
        session.preferences = *prefs;
        session.ApplyPreferences();
    } else {
        ok = SetDefaultPreferences(session) && ok;
    }

    ComputeSunFields(session, chart);
    return ok;
}

}  // namespace tarvella
