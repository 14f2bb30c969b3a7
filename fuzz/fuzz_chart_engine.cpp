// Any chart at all, every field from the input (NaN and infinities included), given to the Sun
// positions, the division, the event search and the layout.
#include "engine/division.h"
#include "engine/event_location.h"
#include "fuzz_support.h"
#include "view/report_layout.h"

using namespace tarvella;

namespace {

void TakeMoment(fuzz::Input& in, ChartMoment& m) {
    m.year = in.Take<int>();
    m.month = in.Take<int>();
    m.day = in.Take<int>();
    m.hour = in.Take<int>();
    m.minute = in.Take<double>();
    m.sunLongitude = in.Take<double>();
}

void TakeZone(fuzz::Input& in, ZoneSpec& z) {
    z.west = in.Take<int>();
    z.hours = in.Take<int>();
    z.minutes = in.Take<double>();
    z.utOffset = in.Take<double>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    ChartData c;
    c.level = in.Take<int>();
    TakeMoment(in, c.birth);
    TakeMoment(in, c.event);
    TakeZone(in, c.birthZone);
    TakeZone(in, c.eventZone);
    c.dasaYears = in.Take<int>();
    c.dasaStartYear = in.Take<int>();
    c.adIndex = in.Take<int>();
    c.pdIndex = in.Take<int>();
    c.sdIndex = in.Take<int>();
    c.padIndex = in.Take<int>();
    Ayanamsa ayanamsa{in.Take<double>(), in.Take<double>()};
    SunContext sun{fuzz::Table(), ayanamsa};

    // Half the inputs keep the Sun fields as given, half compute them.
    if (in.Take<std::uint8_t>() & 1) {
        ComputeSunPosition(sun, c.birth, c.birthZone);
        ComputeSunPosition(sun, c.event, c.eventZone);
    }
    const LevelDivision d = DivideLevel(sun, c);
    for (const Boundary& b : d.boundaries) {
        if (b.position.sign < 0 || b.position.sign > 11) std::abort();
        if (b.found && (b.month < 1 || b.month > 12 || !(b.hour >= 0.0 && b.hour < 24.0))) {
            std::abort();
        }
    }
    const int before = c.adIndex;
    const EventPath path = LocateEvent(sun, c);
    if (path.adIndex == kNoAntardasa && c.adIndex != before) std::abort();
    if (path.adIndex != kNoAntardasa && (c.adIndex < 0 || c.adIndex > 11)) std::abort();

    // The whole layout, on screen and on a page of any size.
    NullCanvas canvas;
    PrintState print;
    print.printing = in.Take<std::uint8_t>() & 1;
    print.pageWidth = in.Take<int>();
    print.pageHeight = in.Take<int>();
    print.lowerHalf = in.Take<std::uint8_t>() & 1;
    const std::string text = DrawReport(canvas, print, sun, c);
    if (text.size() >= (c.level == kEventLevel ? 500u : 1400u)) std::abort();
    for (int index : {c.adIndex, c.pdIndex, c.sdIndex, c.padIndex}) {
        if (c.level == kEventLevel && (index < 0 || index > 11)) std::abort();
    }
    return 0;
}
