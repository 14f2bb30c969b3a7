#include "places/places.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "places/places_file.h"

namespace tarvella::places {
namespace {

constexpr double kMicro = 1e-6;
// How near two coordinates given on the command line must be to a place's, in degrees: GeoNames
// puts a town's point within a few kilometres of any other point one would give for it.
constexpr double kCoordinateTolerance = 0.05;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The length of the UTF-8 sequence at the start of `text` and its code point; 1 and the byte
// itself for a byte that begins no valid sequence.
std::size_t DecodeUtf8(std::string_view text, std::uint32_t& codePoint) {
    const auto b0 = static_cast<unsigned char>(text[0]);
    std::size_t length = b0 < 0x80         ? 1
                         : (b0 >> 5) == 6  ? 2
                         : (b0 >> 4) == 14 ? 3
                         : (b0 >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || length > text.size()) {
        codePoint = b0;
        return 1;
    }
    codePoint = length == 1 ? b0 : b0 & (0x7f >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b >> 6) != 2) {
            codePoint = b0;
            return 1;
        }
        codePoint = codePoint << 6 | (b & 0x3f);
    }
    return length;
}

std::string DegreesText(double degrees, char positive, char negative) {
    const long minutes = std::lround(std::fabs(degrees) * 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld\u00b0%02ld' %c", minutes / 60, minutes % 60,
                  degrees < 0 ? negative : positive);
    return text;
}

bool ParseDouble(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty() && std::isfinite(value);
}

}  // namespace

std::string PlaceLabel(const Place& place) {
    std::string label(place.name);
    for (std::string_view part : {place.state, place.country}) {
        if (!part.empty()) label.append(", ").append(part);
    }
    return label;
}

std::string CandidateText(const Place& place) {
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " (%.5f, %.5f; %u people; ", place.latitude,
                  place.longitude, static_cast<unsigned>(place.population));
    return PlaceLabel(place) + numbers + std::string(place.zone) + ")";
}

PlacesStatus Atlas::Open(const std::string& path) {
    bytes_.clear();
    placeCount_ = 0;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        problem_ = "There is no places file.";
        return PlacesStatus::Missing;
    }
    if (!std::filesystem::is_regular_file(status)) {
        problem_ = "It is not a regular file.";
        return PlacesStatus::NotAFile;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        problem_ = "Its size cannot be read.";
        return PlacesStatus::Unreadable;
    }
    if (size > kMaxPlacesFileBytes) {
        problem_ = "It is far larger than any places file.";
        return PlacesStatus::TooLarge;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) ||
        in.peek() != std::ifstream::traits_type::eof()) {
        problem_ = "It cannot be read whole.";
        return PlacesStatus::Unreadable;
    }
    return Load(std::move(bytes)) ? PlacesStatus::Ok : PlacesStatus::NotAPlacesFile;
}

bool Atlas::Load(std::string bytes) {
    bytes_ = std::move(bytes);
    placeCount_ = 0;
    const auto refuse = [&](const char* why) {
        problem_ = why;
        bytes_.clear();
        placeCount_ = keyCount_ = foldCount_ = 0;
        return false;
    };
    if (bytes_.size() < kPlacesHeaderBytes || bytes_.compare(0, 8, kPlacesMagic) != 0) {
        return refuse("It does not begin as a places file.");
    }
    if (ReadU32(At(8)) != kPlacesVersion) return refuse("It is a places file of another version.");
    const std::uint64_t places = ReadU32(At(12)), keys = ReadU32(At(16)), folds = ReadU32(At(20)),
                        pool = ReadU32(At(24));
    const std::uint64_t total =
        kPlacesHeaderBytes + places * kPlaceBytes + keys * kKeyBytes + folds * kFoldBytes + pool;
    if (total != bytes_.size()) {
        return refuse(total > bytes_.size() ? "It has been cut short."
                                            : "It is longer than its "
                                              "header says.");
    }
    if (places == 0 || pool == 0 || bytes_.back() != '\0') {
        return refuse("Its places or their names are missing.");
    }
    placesBegin_ = kPlacesHeaderBytes;
    keysBegin_ = placesBegin_ + places * kPlaceBytes;
    foldsBegin_ = keysBegin_ + keys * kKeyBytes;
    poolBegin_ = foldsBegin_ + folds * kFoldBytes;
    for (std::size_t i = 0; i < places; ++i) {
        const unsigned char* p = At(placesBegin_ + i * kPlaceBytes);
        for (int field = 0; field < 5; ++field) {
            if (ReadU32(p + 4 * field) >= pool) return refuse("A place's name lies outside it.");
        }
        const auto latitude = static_cast<std::int32_t>(ReadU32(p + 20));
        const auto longitude = static_cast<std::int32_t>(ReadU32(p + 24));
        if (latitude < -90000000 || latitude > 90000000 || longitude < -180000000 ||
            longitude > 180000000) {
            return refuse("A place lies off the globe.");
        }
    }
    std::string_view previous;
    for (std::size_t i = 0; i < keys; ++i) {
        const unsigned char* k = At(keysBegin_ + i * kKeyBytes);
        if (ReadU32(k) >= pool || (ReadU32(k + 4) & ~kAliasKey) >= places) {
            return refuse("A search key points outside it.");
        }
        const std::string_view key(Text(ReadU32(k)));
        if (key < previous) return refuse("Its search keys are out of order.");
        previous = key;
    }
    std::uint32_t last = 0;
    for (std::size_t i = 0; i < folds; ++i) {
        const unsigned char* f = At(foldsBegin_ + i * kFoldBytes);
        if ((i > 0 && ReadU32(f) <= last) || ReadU32(f + 4) >= pool) {
            return refuse("Its folding table is damaged.");
        }
        last = ReadU32(f);
    }
    placeCount_ = places;
    keyCount_ = keys;
    foldCount_ = folds;
    problem_.clear();
    return true;
}

Place Atlas::place(std::uint32_t index) const {
    Place result;
    if (index >= placeCount_) return result;
    const unsigned char* p = At(placesBegin_ + std::size_t{index} * kPlaceBytes);
    result.name = Text(ReadU32(p));
    result.state = Text(ReadU32(p + 4));
    result.country = Text(ReadU32(p + 8));
    result.countryCode = Text(ReadU32(p + 12));
    result.zone = Text(ReadU32(p + 16));
    result.latitude = static_cast<std::int32_t>(ReadU32(p + 20)) * kMicro;
    result.longitude = static_cast<std::int32_t>(ReadU32(p + 24)) * kMicro;
    result.population = ReadU32(p + 28);
    return result;
}

std::string_view Atlas::Key(std::size_t i) const {
    return Text(ReadU32(At(keysBegin_ + i * kKeyBytes)));
}

std::uint32_t Atlas::KeyPlace(std::size_t i) const {
    return ReadU32(At(keysBegin_ + i * kKeyBytes + 4));
}

std::string Atlas::Fold(std::string_view text) const {
    std::string folded;
    folded.reserve(text.size());
    while (!text.empty()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text, codePoint);
        std::size_t low = 0, high = foldCount_;
        while (low < high) {
            const std::size_t mid = (low + high) / 2;
            if (ReadU32(At(foldsBegin_ + mid * kFoldBytes)) < codePoint) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        const unsigned char* f = At(foldsBegin_ + low * kFoldBytes);
        if (low < foldCount_ && ReadU32(f) == codePoint) {
            folded += Text(ReadU32(f + 4));
        } else {
            folded.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return folded;
}

std::vector<Match> Atlas::Search(std::string_view text, std::size_t limit) const {
    const std::string wanted = Fold(Trim(text));
    if (wanted.empty() || placeCount_ == 0) return {};
    // The best kind of match of each place, and whether it came through a former name only.
    constexpr std::uint8_t kNone = 255;
    std::vector<std::uint8_t> best(placeCount_, kNone);
    std::vector<bool> former(placeCount_, false);
    const auto note = [&](std::size_t key, Match::Kind kind) {
        const std::uint32_t value = KeyPlace(key);
        const std::uint32_t place = value & ~kAliasKey;
        const bool alias = (value & kAliasKey) != 0;
        const auto rank = static_cast<std::uint8_t>(kind);
        if (rank < best[place] || (rank == best[place] && former[place] && !alias)) {
            best[place] = rank;
            former[place] = alias;
        }
    };
    std::size_t low = 0, high = keyCount_;
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (Key(mid) < wanted) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    for (std::size_t k = low; k < keyCount_; ++k) {
        const std::string_view key = Key(k);
        if (!key.starts_with(wanted)) break;
        note(k, key.size() == wanted.size() ? Match::Kind::Exact : Match::Kind::Prefix);
    }
    for (std::size_t k = 0; k < keyCount_; ++k) {
        const std::string_view key = Key(k);
        if (key.size() > wanted.size() && key.find(wanted, 1) != std::string_view::npos) {
            note(k, Match::Kind::Part);
        }
    }

    std::vector<Match> found;
    for (std::uint32_t i = 0; i < placeCount_; ++i) {
        if (best[i] != kNone) found.push_back({static_cast<Match::Kind>(best[i]), i, former[i]});
    }
    const auto population = [&](std::uint32_t i) {
        return ReadU32(At(placesBegin_ + std::size_t{i} * kPlaceBytes + 28));
    };
    const auto before = [&](const Match& a, const Match& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        const std::uint32_t pa = population(a.index), pb = population(b.index);
        return pa != pb ? pa > pb : a.index < b.index;
    };
    if (found.size() > limit) {
        std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(limit),
                          found.end(), before);
        found.resize(limit);
    } else {
        std::sort(found.begin(), found.end(), before);
    }
    return found;
}

std::string PlacesFilePathFor(const std::string& executablePath) {
    const std::filesystem::path exe(executablePath);
    return (exe.parent_path() / ".." / "share" / "tarvella" / kPlacesFileName)
        .lexically_normal()
        .string();
}

std::string DescribeStatus(PlacesStatus status, const std::string& path, const Atlas& atlas) {
    switch (status) {
        case PlacesStatus::Ok:
            return {};
        case PlacesStatus::NotAPlacesFile:
            return path + " is not a places file: " + atlas.problem();
        default:
            return "cannot read the places file " + path + ": " + atlas.problem();
    }
}

int MeanTimeSeconds(double longitude) {
    return static_cast<int>(std::lround(longitude * 240.0));
}

PlaceLookup LookupPlaceOffset(const zone::ZoneDatabase& db, const Place& place,
                              const zone::LocalTime& local) {
    PlaceLookup result;
    result.lookup = zone::LookupOffset(db, place.zone, local);
    if (result.lookup.kind == zone::Lookup::Kind::UnknownZone) return result;
    const std::optional<zone::MeanTimeEnd> end = zone::LocalMeanTimeEnd(db, place.zone);
    if (!end) return result;

    // Every offset the local time can have, in the order of the instants they give: the place's
    // own mean time before the end of the zone's, then the zone's offsets after it.
    const std::int64_t seconds = zone::LocalSeconds(local);
    struct Candidate {
        zone::Offset offset;
        bool meanTime;
    };
    std::vector<Candidate> candidates;
    const zone::Offset own{MeanTimeSeconds(place.longitude), false, "LMT"};
    if (seconds - own.eastSeconds < end->instant) candidates.push_back({own, true});
    const auto zoneSide = [&](const zone::Offset& o) {
        if (o.abbreviation != "LMT" && seconds - o.eastSeconds >= end->instant) {
            candidates.push_back({o, false});
        }
    };
    const zone::Lookup& z = result.lookup;
    switch (z.kind) {
        case zone::Lookup::Kind::Unique:
        case zone::Lookup::Kind::Unrepresentable:
            zoneSide(z.first);
            break;
        case zone::Lookup::Kind::Ambiguous:
            zoneSide(z.first);
            zoneSide(z.second);
            break;
        default:
            break;
    }

    zone::Lookup& l = result.lookup;
    if (candidates.empty()) {
        l.kind = zone::Lookup::Kind::Nonexistent;
        // A gap of the zone's own later history stays the zone's; else the clocks jumped from
        // the place's mean time to the zone's first standard time.
        if (!(z.kind == zone::Lookup::Kind::Nonexistent && z.first.abbreviation != "LMT")) {
            l.first = own;
            l.second = end->to;
            result.firstMeanTime = true;
        }
        return result;
    }
    l.first = candidates[0].offset;
    result.firstMeanTime = candidates[0].meanTime;
    if (candidates.size() >= 2) {
        l.kind = zone::Lookup::Kind::Ambiguous;
        l.second = candidates[1].offset;
        result.secondMeanTime = candidates[1].meanTime;
        return result;
    }
    l.second = {};
    l.zone = {};
    l.kind = zone::ZoneSpecFromOffset(l.first.eastSeconds, l.zone)
                 ? zone::Lookup::Kind::Unique
                 : zone::Lookup::Kind::Unrepresentable;
    return result;
}

std::string OffsetKindText(const Place& place, const PlaceLookup& found) {
    if (found.firstMeanTime) {
        return "local mean time of " + std::string(place.name) + ", " +
               DegreesText(place.longitude, 'E', 'W');
    }
    return std::string(place.zone) + ", " + found.lookup.first.abbreviation;
}

std::string DescribePlaceProblem(const Place& place, const zone::LocalTime& local,
                                 const PlaceLookup& found) {
    const zone::Lookup& l = found.lookup;
    const std::string label = PlaceLabel(place);
    switch (l.kind) {
        case zone::Lookup::Kind::Unique:
            return {};
        case zone::Lookup::Kind::UnknownZone:
            return "The time zone " + std::string(place.zone) + " of " + label +
                   " is not in the time zone database.";
        case zone::Lookup::Kind::Ambiguous:
            return zone::LocalTimeText(local) + " happens twice in " + label + ": at " +
                   zone::OffsetText(l.first, found.firstMeanTime) + " and at " +
                   zone::OffsetText(l.second, found.secondMeanTime) + ".";
        case zone::Lookup::Kind::Nonexistent:
            return zone::LocalTimeText(local) + " does not exist in " + label +
                   ": the clocks went from " + zone::OffsetText(l.first, found.firstMeanTime) +
                   " to " + zone::OffsetText(l.second, found.secondMeanTime) + ".";
        case zone::Lookup::Kind::Unrepresentable:
            return label + " is " + zone::FormatOffset(l.first.eastSeconds) + " at " +
                   zone::LocalTimeText(local) +
                   ", more than the 12 hours a zone can be entered with.";
    }
    return {};
}

Resolution ResolvePlace(const Atlas& atlas, std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t begin = 0;;) {
        const std::size_t comma = text.find(',', begin);
        parts.push_back(Trim(text.substr(begin, comma - begin)));
        if (comma == std::string_view::npos) break;
        begin = comma + 1;
    }
    double latitude = 0.0, longitude = 0.0;
    const bool coordinates = parts.size() >= 3 && ParseDouble(parts[parts.size() - 2], latitude) &&
                             ParseDouble(parts.back(), longitude);
    if (coordinates) parts.resize(parts.size() - 2);
    std::vector<std::string> filters;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (!parts[i].empty()) filters.push_back(atlas.Fold(parts[i]));
    }

    Resolution result;
    std::vector<Match> matches = atlas.Search(parts[0], std::numeric_limits<std::size_t>::max());
    std::erase_if(matches, [&](const Match& m) {
        const Place p = atlas.place(m.index);
        if (coordinates && (std::fabs(p.latitude - latitude) > kCoordinateTolerance ||
                            std::fabs(p.longitude - longitude) > kCoordinateTolerance)) {
            return true;
        }
        for (const std::string& filter : filters) {
            bool fits = false;
            for (std::string_view field : {p.state, p.country, p.countryCode}) {
                fits = fits || atlas.Fold(field).find(filter) != std::string::npos;
            }
            if (!fits) return true;
        }
        return false;
    });
    for (const Match& m : matches) {
        if (m.kind != matches.front().kind) break;
        result.candidates.push_back(m.index);
    }
    if (coordinates && result.candidates.size() > 1) {
        const auto distance = [&](std::uint32_t i) {
            const Place p = atlas.place(i);
            return std::hypot(p.latitude - latitude, p.longitude - longitude);
        };
        std::stable_sort(
            result.candidates.begin(), result.candidates.end(),
            [&](std::uint32_t a, std::uint32_t b) { return distance(a) < distance(b); });
        if (distance(result.candidates[0]) < distance(result.candidates[1])) {
            result.candidates.resize(1);
        }
    }
    if (result.candidates.size() == 1) {
        result.found = true;
        result.chosen = result.candidates.front();
    }
    return result;
}

std::string PlaceReference(const Place& place) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, ", %.5f, %.5f", place.latitude, place.longitude);
    return PlaceLabel(place) + numbers;
}

}  // namespace tarvella::places
