// The zone module's text inputs: a zone name and a local date and time handed to the offset
// lookup, and the search text of the zone list, all from the input.
#include <cmath>
#include <cstdlib>

#include "document/field_exchange.h"
#include "fuzz_support.h"
#include "zone/zone.h"

using namespace tarvella;

namespace {

const std::vector<zone::ZoneEntry>& AllZones() {
    static const auto* zones = [] {
        auto* list = new std::vector<zone::ZoneEntry>(zone::ListZones(zone::ZoneDatabase{}));
        if (list->empty()) std::abort();
        return list;
    }();
    return *zones;
}

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zone::ZoneDatabase db;
    fuzz::Input in(data, size);
    const std::string name = in.Text();
    zone::LocalTime local;
    local.year = in.Take<int>();
    local.month = in.Take<int>();
    local.day = in.Take<int>();
    local.hour = in.Take<int>();
    local.minute = in.Take<double>();

    const zone::Lookup found = zone::LookupOffset(db, name, local);
    const bool unique = found.kind == zone::Lookup::Kind::Unique;
    if (zone::DescribeProblem(name, local, found).empty() != unique) std::abort();
    if (unique) {
        // What the dialog and the command line put into a chart's fields.
        const ZoneSpec z = ZoneThroughFields(found.zone);
        if (z.hours < 0 || z.hours > 12 || !(std::fabs(z.utOffset) <= 13.0) ||
            std::abs(found.first.eastSeconds) > 13 * 3600) {
            std::abort();
        }
    }

    // An empty search gives the whole list every time: checked once, since the copy costs far more
    // than the lookup.
    const std::string text = in.Rest();
    static const bool wholeList = zone::FindZones(AllZones(), "").size() == AllZones().size();
    if (!wholeList) std::abort();
    if (text.empty()) return 0;
    const std::vector<zone::ZoneEntry> zones = zone::FindZones(AllZones(), text);
    const std::string wanted = Lower(text);
    for (const zone::ZoneEntry& z : zones) {
        const std::string fields =
            Lower(z.name + "\t" + z.place + "\t" + z.countryCodes + "\t" + z.countryNames);
        if (fields.find(wanted) == std::string::npos) std::abort();
    }
    return 0;
}
