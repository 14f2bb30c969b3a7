// The Sun ephemeris table "18002099.sun": the Sun's tropical longitude at 0h and 12h UT of every
// day from 1800 to 2099, in 16-byte day slots of 31 a month, and the Sun's sidereal position at a
// local instant read from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ayanamsa.h"
#include "core/calendar.h"
#include "core/chart_moment.h"

namespace tarvella {

inline constexpr const char* kSunFileName = "18002099.sun";
inline constexpr int kFirstTableYear = 1800;
inline constexpr int kLastTableYear = 2099;
inline constexpr int kSlotsPerYear = 372;
inline constexpr int kSlotBytes = 16;
inline constexpr std::int64_t kSunFileSize =
    std::int64_t{kSlotsPerYear} * (kLastTableYear - kFirstTableYear + 1) * kSlotBytes;

// Byte offset of a date's slot: 16 x (372 x year + 31 x month + day - 669632). 64-bit, so any
// int date gives an offset that the range check can refuse.
std::int64_t SlotOffset(int year, int month, int day);

// Slots counted from the first of 1800: every day number 1..31 of every month has one, whether
// the month has that day or not. SlotDate is the inverse, from the slot's number back to its
// year, month and day number.
// Inline: the transit search steps through 50 slots per search.
inline std::int64_t SlotNumber(CivilDate date) {
    return std::int64_t{kSlotsPerYear} * (std::int64_t{date.year} - kFirstTableYear) +
           std::int64_t{31} * (std::int64_t{date.month} - 1) + (std::int64_t{date.day} - 1);
}
inline CivilDate SlotDate(std::int64_t slot) {
    if (slot >= 0 && slot <= 0x7fffffff) {  // the table and far beyond, in cheaper arithmetic
        const auto s = static_cast<std::uint32_t>(slot);
        const std::uint32_t rest = s % kSlotsPerYear;
        return {static_cast<int>(kFirstTableYear + s / kSlotsPerYear),
                static_cast<int>(rest / 31) + 1, static_cast<int>(rest % 31) + 1};
    }
    std::int64_t years = slot / kSlotsPerYear, rest = slot % kSlotsPerYear;
    if (rest < 0) {
        rest += kSlotsPerYear;
        --years;
    }
    return {static_cast<int>(kFirstTableYear + years), static_cast<int>(rest / 31) + 1,
            static_cast<int>(rest % 31) + 1};
}

// A value is an IEEE double stored as two big-endian 32-bit words, the low word first.
double DecodeSunValue(const unsigned char* bytes);
void EncodeSunValue(double value, unsigned char* bytes);

// Corrupt: a value that is no longitude in [0, 360), as in a file of the right size that holds
// something else.
enum class SunFileStatus { Ok, Missing, NotAFile, WrongSize, Unreadable, Corrupt };

class SunEphemeris {
  public:
    // Opens and loads the table once; the whole file is 1.7 MB and every later read is a copy.
    SunFileStatus Open(const std::string& path);
    bool IsOpen() const { return !bytes_.empty(); }

    // Decodes n values from the absolute byte offset; false, with nothing read, when any byte
    // would lie outside the table.
    bool ReadValues(std::int64_t offset, int n, double* values) const;

  private:
    std::vector<unsigned char> bytes_;
};

// What every Sun position needs: the table and the process-wide ayanamsa state. Precise: the
// table interpolated by cubics and the correction evaluated at the instant itself, instead of
// straight lines and the correction of the UT date.
struct SunContext {
    const SunEphemeris& ephemeris;
    Ayanamsa& ayanamsa;
    bool precise = false;
};

// Fills the five Sun fields of the moment from its local date and time and the zone's utOffset.
// Returns false, with the longitude NaN and the split fields zero, when the Universal Time date
// lies outside the table or the moment's fields hold no instant (a month outside 1..12, a time
// not a number).
bool ComputeSunPosition(SunContext& sun, ChartMoment& moment, const ZoneSpec& zone);

// Brings a longitude into [0, 360) in degrees; NaN and infinities give NaN.
double ReduceDegreesSlow(double longitude);
inline double ReduceDegrees(double longitude) {
    return longitude >= 0.0 && longitude < 360.0 ? longitude : ReduceDegreesSlow(longitude);
}

// The path of the table beside an executable: <dir of exe>/../share/tarvella/18002099.sun.
std::string SunFilePathFor(const std::string& executablePath);

// The message shown when the table cannot be used at start-up.
inline constexpr const char* kSunFileMissingMessage =
    "Fatal error! An important file is missing in the windows system directory! Reload program.";
inline constexpr const char* kFatalCaption = "Terminating program";

}  // namespace tarvella
