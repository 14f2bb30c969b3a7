// The places reader, fed any bytes: what it accepts can be searched, folded, resolved and read
// place by place without reading outside the file.
#include <cmath>
#include <cstdlib>
#include <string>

#include "places/places.h"

using namespace tarvella;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    places::Atlas atlas;
    if (!atlas.Load(std::string(reinterpret_cast<const char*>(data), size))) {
        if (atlas.IsOpen() || atlas.problem().empty()) std::abort();
        return 0;
    }
    for (std::uint32_t i = 0; i < atlas.size(); ++i) {
        const places::Place p = atlas.place(i);
        if (!(std::fabs(p.latitude) <= 90.0) || !(std::fabs(p.longitude) <= 180.0)) std::abort();
        (void)places::CandidateText(p);
    }
    // The file's own first name, and texts that fold through its table.
    const std::string first(atlas.place(0).name);
    for (const std::string& text : {first, first.substr(0, 2), std::string("S\xc3\xa3o, x, 1, 2"),
                                    std::string("\xff\xc3"), std::string(",,")}) {
        for (const places::Match& m : atlas.Search(text)) {
            if (m.index >= atlas.size()) std::abort();
        }
        const places::Resolution r = places::ResolvePlace(atlas, text);
        if (r.found && r.chosen >= atlas.size()) std::abort();
        (void)atlas.Fold(text);
    }
    return 0;
}
