// What "Enter Data" has picked for one moment's zone fields: a time zone by name or a place, and
// what it gives at the moment's local date and time. The dialog moves values between its
// controls and this record; the record decides when the fields are filled, what the user is
// told, and when OK must wait.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "places/places.h"
#include "zone/zone.h"

namespace tarvella {

class ZonePick {
  public:
    explicit ZonePick(zone::ZoneDatabase db = {}) : db_(std::move(db)) {}

    bool Picked() const { return kind_ != Kind::None; }
    // What the document remembers: the zone's name, or the place's reference (which has commas);
    // empty when the zone fields are entered by hand.
    std::string Reference() const;

    // A new pick; the moment's offset comes with the next Update.
    void PickZone(const std::string& name);
    void PickPlace(const places::Place& place);
    // A zone name or a place reference as Reference gave it; false, and nothing picked, when the
    // atlas (may be null) has no such place.
    bool PickReference(const std::string& reference, const places::Atlas* atlas);
    // The zone fields typed by hand.
    void Drop();

    // The moment changed: an offset chosen at a skipped or doubled time no longer holds.
    void ResetOption() { option_ = -1; }
    // The offset in force at the local time, to fill the fields with; nullopt when there is none
    // to fill (nothing picked, no moment that reads as one, or a time that gives no single
    // offset, for which Problem() says why).
    std::optional<int> Update(const std::optional<zone::LocalTime>& local);
    // Of a skipped or doubled local time, the offset chosen (0: the first), to fill the fields.
    std::optional<int> Choose(int option);

    // The line beside the zone fields: "Asia/Kolkata", or "Pune, Maharashtra, India:
    // Asia/Kolkata, IST" and "... : local mean time of Pune, 73°51' E".
    std::string Label() const;
    // Why the moment has no single offset, with " Choose one." while none is chosen; empty else.
    const std::string& Problem() const { return problem_; }
    // Two offsets are offered (a skipped or doubled time).
    bool Choosing() const;
    int Option() const { return option_; }
    // "5:53:27 E (local mean time)", with a tick on the one chosen.
    std::string OptionLabel(int option) const;
    // OK must wait: a problem that no choice has settled.
    bool Unresolved() const;

    // On opening: picks the reference only where it gives the offset the fields show (as
    // FillZoneFields writes them), for either offset of a skipped or doubled time.
    void KeepIfItMatches(const std::string& reference, const places::Atlas* atlas,
                         const std::optional<zone::LocalTime>& local, const std::string& hours,
                         const std::string& minutes, int west);

  private:
    enum class Kind { None, Zone, Place };
    struct OwnPlace {
        std::string name, state, country, countryCode, zone;
        double latitude = 0.0, longitude = 0.0;
        std::uint32_t population = 0;
    };
    places::Place PlaceView() const;
    places::PlaceLookup Lookup(const zone::LocalTime& local) const;

    zone::ZoneDatabase db_;
    Kind kind_ = Kind::None;
    std::string zoneName_;
    OwnPlace place_;
    places::PlaceLookup found_;
    bool looked_ = false;  // found_ is of the current pick
    int option_ = -1;
    std::string problem_;
};

}  // namespace tarvella
