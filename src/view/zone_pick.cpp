#include "view/zone_pick.h"

#include "document/field_exchange.h"

namespace tarvella {
namespace {

using Found = zone::Lookup::Kind;

bool TwoOffsets(const zone::Lookup& l) {
    return l.kind == Found::Ambiguous || l.kind == Found::Nonexistent;
}

// The zone fields' texts for an offset, as FillZoneFields writes them.
std::string FieldsOf(int eastSeconds) {
    ZoneSpec spec;
    std::string hours, minutes;
    int west = -1;
    if (zone::ZoneSpecFromOffset(eastSeconds, spec)) FillZoneFields(spec, hours, minutes, west);
    return hours + " " + minutes + " " + std::to_string(west);
}

}  // namespace

std::string ZonePick::Reference() const {
    switch (kind_) {
        case Kind::None:
            return {};
        case Kind::Zone:
            return zoneName_;
        case Kind::Place:
            return places::PlaceReference(PlaceView());
    }
    return {};
}

void ZonePick::PickZone(const std::string& name) {
    Drop();
    if (name.empty()) return;
    kind_ = Kind::Zone;
    zoneName_ = name;
}

void ZonePick::PickPlace(const places::Place& place) {
    Drop();
    kind_ = Kind::Place;
    place_ = {std::string(place.name),
              std::string(place.state),
              std::string(place.country),
              std::string(place.countryCode),
              std::string(place.zone),
              place.latitude,
              place.longitude,
              place.population};
}

bool ZonePick::PickReference(const std::string& reference, const places::Atlas* atlas) {
    if (reference.find(',') == std::string::npos) {
        PickZone(reference);
        return Picked();
    }
    Drop();
    if (!atlas) return false;
    const places::Resolution r = places::ResolvePlace(*atlas, reference);
    if (!r.found) return false;
    PickPlace(atlas->place(r.chosen));
    return true;
}

void ZonePick::Drop() {
    kind_ = Kind::None;
    zoneName_.clear();
    place_ = {};
    found_ = {};
    looked_ = false;
    option_ = -1;
    problem_.clear();
}

places::Place ZonePick::PlaceView() const {
    return {place_.name, place_.state,    place_.country,   place_.countryCode,
            place_.zone, place_.latitude, place_.longitude, place_.population};
}

places::PlaceLookup ZonePick::Lookup(const zone::LocalTime& local) const {
    if (kind_ == Kind::Place) return places::LookupPlaceOffset(db_, PlaceView(), local);
    return {zone::LookupOffset(db_, zoneName_, local)};
}

std::optional<int> ZonePick::Update(const std::optional<zone::LocalTime>& local) {
    problem_.clear();
    // Until the moment reads as one, the fields keep the offset they have.
    if (!Picked() || !local) return std::nullopt;
    found_ = Lookup(*local);
    looked_ = true;
    if (found_.lookup.kind == Found::Unique) return found_.lookup.first.eastSeconds;
    problem_ = kind_ == Kind::Place ? places::DescribePlaceProblem(PlaceView(), *local, found_)
                                    : zone::DescribeProblem(zoneName_, *local, found_.lookup);
    if (TwoOffsets(found_.lookup) && option_ < 0) problem_ += " Choose one.";
    return std::nullopt;
}

std::optional<int> ZonePick::Choose(int option) {
    if (!Choosing() || option < 0 || option > 1) return std::nullopt;
    option_ = option;
    if (problem_.ends_with(" Choose one.")) problem_.resize(problem_.size() - 12);
    return (option == 0 ? found_.lookup.first : found_.lookup.second).eastSeconds;
}

std::string ZonePick::Label() const {
    if (kind_ == Kind::Zone) return zoneName_;
    if (kind_ != Kind::Place) return {};
    const places::Place place = PlaceView();
    std::string label = places::PlaceLabel(place) + ": ";
    if (looked_ && found_.lookup.kind == Found::Unique) {
        return label + places::OffsetKindText(place, found_);
    }
    return label + place_.zone;
}

bool ZonePick::Choosing() const {
    return Picked() && looked_ && !problem_.empty() && TwoOffsets(found_.lookup);
}

std::string ZonePick::OptionLabel(int option) const {
    const bool first = option == 0;
    const zone::Offset& o = first ? found_.lookup.first : found_.lookup.second;
    const bool meanTime = first ? found_.firstMeanTime : found_.secondMeanTime;
    return (option_ == option ? "\u2713 " : "") + zone::OffsetText(o, meanTime);
}

bool ZonePick::Unresolved() const {
    if (!Picked() || problem_.empty()) return false;
    return !TwoOffsets(found_.lookup) || option_ < 0;
}

void ZonePick::KeepIfItMatches(const std::string& reference, const places::Atlas* atlas,
                               const std::optional<zone::LocalTime>& local,
                               const std::string& hours, const std::string& minutes, int west) {
    Drop();
    if (reference.empty() || !local || !PickReference(reference, atlas)) return;
    const places::PlaceLookup l = Lookup(*local);
    const std::string shown = hours + " " + minutes + " " + std::to_string(west);
    const bool two = TwoOffsets(l.lookup);
    if (l.lookup.kind == Found::Unique || two) {
        for (int i = 0; i < (two ? 2 : 1); ++i) {
            if (FieldsOf((i == 0 ? l.lookup.first : l.lookup.second).eastSeconds) != shown) {
                continue;
            }
            option_ = two ? i : -1;
            Update(local);
            return;
        }
    }
    Drop();
}

}  // namespace tarvella
