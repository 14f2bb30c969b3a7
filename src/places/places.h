// Places by name: the towns of the GeoNames list of cities (15,000 people or more) from the
// places file written at build time, searched as the user types, and the offset in force at a
// place's local date and time: its zone's, except that while the zone still kept local mean
// time, the place keeps its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zone/zone.h"

namespace tarvella::places {

struct Place {
    std::string_view name;     // "Pune"
    std::string_view state;    // "Maharashtra", "State of West Bengal", or empty
    std::string_view country;  // "India"
    std::string_view countryCode;
    std::string_view zone;   // "Asia/Kolkata"
    double latitude = 0.0;   // degrees north
    double longitude = 0.0;  // degrees east
    std::uint32_t population = 0;
};

// "Springfield, Missouri, United States of America": name, state and country, as far as given.
std::string PlaceLabel(const Place& place);

// The label with what tells namesakes apart: "... (37.21533, -93.29824; 166810 people)".
std::string CandidateText(const Place& place);

enum class PlacesStatus { Ok, Missing, NotAFile, Unreadable, TooLarge, NotAPlacesFile };

struct Match {
    enum class Kind { Exact, Prefix, Part } kind = Kind::Part;
    std::uint32_t index = 0;  // the place
    bool formerName = false;  // matched through the alias list
};

class Atlas {
  public:
    // Reads the whole file once; a FIFO, a device or a directory is refused before it is
    // opened, so the call never waits on one.
    PlacesStatus Open(const std::string& path);
    // The same checks on bytes already read; false with `problem` set when they are refused.
    bool Load(std::string bytes);

    bool IsOpen() const { return placeCount_ != 0; }
    // Why the last Open or Load failed, in one sentence.
    const std::string& problem() const { return problem_; }

    std::size_t size() const { return placeCount_; }
    std::size_t keyCount() const { return keyCount_; }
    std::size_t fileBytes() const { return bytes_.size(); }
    Place place(std::uint32_t index) const;

    // The text with case and diacritics folded as the search keys are: "São Paulo" gives
    // "sao paulo".
    std::string Fold(std::string_view text) const;

    // The places whose name or former name is the text, begins with it or contains it, in that
    // order and then by population; at most `limit` of them.
    std::vector<Match> Search(std::string_view text, std::size_t limit = 50) const;

  private:
    const char* Text(std::uint32_t offset) const { return bytes_.data() + poolBegin_ + offset; }
    const unsigned char* At(std::size_t offset) const {
        return reinterpret_cast<const unsigned char*>(bytes_.data()) + offset;
    }
    std::string_view Key(std::size_t i) const;
    std::uint32_t KeyPlace(std::size_t i) const;

    std::string bytes_;
    std::string problem_;
    std::size_t placeCount_ = 0, keyCount_ = 0, foldCount_ = 0;
    std::size_t placesBegin_ = 0, keysBegin_ = 0, foldsBegin_ = 0, poolBegin_ = 0;
};

// ../share/tarvella/places.dat beside the program, as the Sun table is found.
std::string PlacesFilePathFor(const std::string& executablePath);

// Why a places file cannot be used, for the user: "... is not a places file."
std::string DescribeStatus(PlacesStatus status, const std::string& path, const Atlas& atlas);

// The offset of a place at a local date and time: the zone's lookup, in which every offset of
// the zone's local mean time has become the place's own (`firstMeanTime`, `secondMeanTime`).
struct PlaceLookup {
    zone::Lookup lookup;
    bool firstMeanTime = false;
    bool secondMeanTime = false;
};

// The place's own mean time, its longitude / 15 hours, to the second.
int MeanTimeSeconds(double longitude);

PlaceLookup LookupPlaceOffset(const zone::ZoneDatabase& db, const Place& place,
                              const zone::LocalTime& local);

// What kind of offset a unique lookup gave: "Asia/Kolkata, IST" or "local mean time of Pune,
// 73°51' E".
std::string OffsetKindText(const Place& place, const PlaceLookup& found);

// As zone::DescribeProblem, for a place: empty for a unique offset.
std::string DescribePlaceProblem(const Place& place, const zone::LocalTime& local,
                                 const PlaceLookup& found);

// The place a text names, as the command line takes it: the name, then optionally state and
// country (each a part of either, after a comma) and the latitude and longitude (two numbers
// after commas; of several places that fit, the nearest). `chosen` is the place when exactly one
// fits best; else `candidates` holds the best ones (none for an unknown place).
struct Resolution {
    bool found = false;
    std::uint32_t chosen = 0;
    std::vector<std::uint32_t> candidates;
};
Resolution ResolvePlace(const Atlas& atlas, std::string_view text);

// The text that ResolvePlace takes back to this place: "Pune, Maharashtra, India, 18.51957,
// 73.85535". It holds commas, which no zone name does.
std::string PlaceReference(const Place& place);

}  // namespace tarvella::places
