// Writes the Sun ephemeris table: the Sun's apparent geocentric tropical longitude (true equinox
// and ecliptic of date) at 0h and 12h UT of every day from 1800 to 2099, from Swiss Ephemeris.
//
//   make_sun_table OUTPUT [EPHE_DIR]

#include <swephexp.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/sun_ephemeris.h"

namespace {

using namespace tarvella;

struct Failure {
    std::string message;
};

// Longitude in [0, 360) at the given UT; refuses any result not taken from the data files.
double SunLongitude(int year, int month, int day, double hour) {
    const double jd = swe_julday(year, month, day, hour, SE_GREG_CAL);
    double xx[6];
    char serr[AS_MAXCH] = "";
    const int32 flags = swe_calc_ut(jd, SE_SUN, SEFLG_SWIEPH, xx, serr);
    if (flags < 0 || (flags & SEFLG_SWIEPH) == 0) {
        char date[64];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d %02.0fh UT", year, month, day, hour);
        throw Failure{std::string("Swiss Ephemeris did not use its data files for ") + date +
                      (serr[0] ? std::string(": ") + serr : std::string()) +
                      "\nInstall the Debian packages swe-basic-data and swe-standard-data."};
    }
    double l = std::fmod(xx[0], 360.0);
    if (l < 0.0) l += 360.0;
    return l;
}

std::vector<unsigned char> BuildTable() {
    // Every real day once, in order, plus the 0h value of 1 January 2100: Swiss Ephemeris keeps
    // caches whose state can move the last bits, so a value is computed once and copied.
    std::vector<double> days;
    int y = kFirstTableYear, m = 1, d = 1;
    while (y <= kLastTableYear) {
        days.push_back(SunLongitude(y, m, d, 0.0));
        days.push_back(SunLongitude(y, m, d, 12.0));
        AddDays(1, y, m, d);
    }
    days.push_back(SunLongitude(y, m, d, 0.0));

    std::vector<unsigned char> table(static_cast<std::size_t>(kSunFileSize));
    std::size_t index = 0;  // position in days of the 0h value of the day being written
    for (int year = kFirstTableYear; year <= kLastTableYear; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int length = DaysInMonth(year, month);
            for (int day = 1; day <= 31; ++day) {
                // Slots of days the month lacks hold the next month's first 0h value: the reader
                // takes bytes 0-7 after the last day as that value, and the rest is never read.
                const bool real = day <= length;
                const double v0 = days[index];
                const double v12 = real ? days[index + 1] : days[index];
                if (real) index += 2;
                unsigned char* slot = table.data() + SlotOffset(year, month, day);
                EncodeSunValue(v0, slot);
                EncodeSunValue(v12, slot + 8);
            }
        }
    }
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_sun_table OUTPUT [EPHE_DIR]\n");
        return 2;
    }
    const std::string output = argv[1];
    std::string epheDir = argc == 3 ? argv[2] : "/usr/share/libswe/ephe";
    swe_set_ephe_path(epheDir.data());
    try {
        const std::vector<unsigned char> table = BuildTable();
        swe_close();
        // Written beside the target and renamed, so a failed run never leaves half a table.
        const std::string temporary = output + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(table.data()),
                      static_cast<std::streamsize>(table.size()));
            if (!out.flush()) throw Failure{"cannot write " + temporary};
        }
        std::filesystem::rename(temporary, output);
    } catch (const Failure& f) {
        std::fprintf(stderr, "make_sun_table: %s\n", f.message.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sun_table: %s\n", e.what());
        return 1;
    }
    return 0;
}
