// tarvella-cli: Tarvella's reports on standard output.
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"

namespace {

using namespace tarvella;

const char* const kSigns[12] = {"Aries",       "Taurus",    "Gemini",   "Cancer",
                                "Leo",         "Virgo",     "Libra",    "Scorpio",
                                "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

void PrintSun(const char* what, const ChartMoment& m) {
    std::printf("%s Sun: %s %d deg %d' %.1f\"\n", what, kSigns[m.sunSign], m.sunDegree, m.sunMinute,
                m.sunSecond);
}

}  // namespace

int main(int, char**) {
    std::error_code ec;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    SunEphemeris table;
    if (table.Open(SunFilePathFor(exe)) != SunFileStatus::Ok) {
        std::fprintf(stderr, "tarvella-cli: cannot read the Sun table %s\n",
                     SunFilePathFor(exe).c_str());
        return 1;
    }
    Ayanamsa ayanamsa;
    SunContext sun{table, ayanamsa};
    ChartData chart = DefaultChart();
    if (!ComputeSunPosition(sun, chart.birth, chart.birthZone) ||
        !ComputeSunPosition(sun, chart.event, chart.eventZone)) {
        std::fprintf(stderr, "tarvella-cli: the chart lies outside the Sun table\n");
        return 1;
    }
    PrintSun("Birth", chart.birth);
    PrintSun("Event", chart.event);
    return 0;
}
