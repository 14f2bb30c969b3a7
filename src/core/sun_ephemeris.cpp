#include "core/sun_ephemeris.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "core/calendar.h"
#include "core/instant_error.h"

namespace tarvella {

std::int64_t SlotOffset(int year, int month, int day) {
    return kSlotBytes * SlotNumber({year, month, day});
}

double DecodeSunValue(const unsigned char* b) {
    const std::uint64_t low = (std::uint64_t{b[0]} << 24) | (std::uint64_t{b[1]} << 16) |
                              (std::uint64_t{b[2]} << 8) | std::uint64_t{b[3]};
    const std::uint64_t high = (std::uint64_t{b[4]} << 24) | (std::uint64_t{b[5]} << 16) |
                               (std::uint64_t{b[6]} << 8) | std::uint64_t{b[7]};
    const std::uint64_t bits = (high << 32) | low;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void EncodeSunValue(double value, unsigned char* b) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const auto low = static_cast<std::uint32_t>(bits);
    const auto high = static_cast<std::uint32_t>(bits >> 32);
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<unsigned char>(low >> (24 - 8 * i));
        b[4 + i] = static_cast<unsigned char>(high >> (24 - 8 * i));
    }
}

SunFileStatus SunEphemeris::Open(const std::string& path) {
    bytes_.clear();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return SunFileStatus::Missing;
    if (!std::filesystem::is_regular_file(status)) return SunFileStatus::NotAFile;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || static_cast<std::int64_t>(size) != kSunFileSize) return SunFileStatus::WrongSize;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(kSunFileSize));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), kSunFileSize) ||
        in.gcount() != kSunFileSize) {
        return SunFileStatus::Unreadable;
    }
    for (std::size_t at = 0; at < bytes.size(); at += 8) {
        const double value = DecodeSunValue(bytes.data() + at);
        if (!(value >= 0.0 && value < 360.0)) return SunFileStatus::Corrupt;
    }
    bytes_ = std::move(bytes);
    return SunFileStatus::Ok;
}

bool SunEphemeris::ReadValues(std::int64_t offset, int n, double* values) const {
    const std::int64_t length = std::int64_t{8} * n;
    if (n < 0 || offset < 0 || offset + length > static_cast<std::int64_t>(bytes_.size())) {
        return false;
    }
    const unsigned char* p = bytes_.data() + offset;
    for (int i = 0; i < n; ++i) values[i] = DecodeSunValue(p + 8 * i);
    return true;
}

double ReduceDegreesSlow(double longitude) {
    if (!std::isfinite(longitude)) return std::numeric_limits<double>::quiet_NaN();
    // fmod is exact, so this equals subtracting or adding 360 one turn at a time.
    double l = longitude >= 360.0 ? std::fmod(longitude, 360.0) : longitude;
    if (l < 0.0) {
        l = std::fmod(l, 360.0) + 360.0;
        if (l >= 360.0) l = 0.0;  // a tiny negative value rounds up to a full turn
    }
    return l;
}

namespace {

// Straight between the two values of the half day, with the correction of the UT date.
bool DefaultLongitude(SunContext& sun, int year, int month, int day, double h, double& l) {
    std::int64_t offset = SlotOffset(year, month, day);
    if (h >= 12.0) {
        h -= 12.0;
        offset += 8;
    }
    if (year < kFirstTableYear || year > kLastTableYear) return false;
    double v[2];
    if (!sun.ephemeris.ReadValues(offset, 2, v)) return false;

    // The table holds reduced values; the half-day step is never near half a turn.
    double step = v[1] - v[0];
    if (step <= -180.0) step += 360.0;
    if (step > 180.0) step -= 360.0;
    const double c = AyanamsaCorrection(sun.ayanamsa, year, month, day);
    l = ReduceDegrees(v[0] + step * h / 12.0 + c);
    return true;
}

}  // namespace

bool ComputeSunPosition(SunContext& sun, ChartMoment& moment, const ZoneSpec& zone) {
    // Without a position the longitude is NaN, so every search anchored on it fails visibly
    // instead of dividing from 0 degrees of Aries.
    moment.sunLongitude = std::numeric_limits<double>::quiet_NaN();
    moment.sunSecond = 0.0;
    moment.sunSign = moment.sunDegree = moment.sunMinute = 0;

    int year = moment.year, month = moment.month, day = moment.day;
    // Years far outside the table cannot be in it after a day's carry; refusing them early keeps
    // the date arithmetic away from the ends of int.
    if (year < kFirstTableYear - 1 || year > kLastTableYear + 1) return false;
    double h = moment.hour + moment.minute / 60.0 + zone.utOffset;
    // One carry covers every real zone; anything further is not an instant.
    if (!std::isfinite(h) || h < -24.0 || h >= 48.0) return false;
    // A day past its month's end (31 February from a hand-edited file) counts on into the next
    // month, as the Julian day does, instead of reading a slot that holds no day.
    if (!NormalizeDate(year, month, day)) return false;
    CarryHours(year, month, day, h);

    double l = 0.0;
    if (sun.precise) {
        const CivilInstant ut{{year, month, day}, h};
        double tropical = 0.0;
        if (year < kFirstTableYear || year > kLastTableYear ||
            !PreciseTropicalLongitude(sun.ephemeris, ut, tropical)) {
            return false;
        }
        l = ReduceDegrees(tropical + AyanamsaCorrectionAt(sun.ayanamsa, JulianDayOf(ut)));
    } else if (!DefaultLongitude(sun, year, month, day, h, l)) {
        return false;
    }
    if (!std::isfinite(l)) return false;

    moment.sunLongitude = l;
    moment.sunSign = static_cast<int>(l / 30.0);
    const double r = l - 30.0 * moment.sunSign;
    moment.sunDegree = static_cast<int>(r);
    const double f = r - moment.sunDegree;
    moment.sunMinute = static_cast<int>(f * 60.0);
    moment.sunSecond = (f - moment.sunMinute / 60.0) * 3600.0;
    return true;
}

std::string SunFilePathFor(const std::string& executablePath) {
    const std::filesystem::path exe(executablePath);
    return (exe.parent_path() / ".." / "share" / "tarvella" / kSunFileName)
        .lexically_normal()
        .string();
}

}  // namespace tarvella
