// Writes the places file: every city of Debian's GeoNames list (libgeonames), with the search key
// of its name and of its former names from the alias list, case and diacritics folded by GLib,
// and the table that folds each character those names contain.
//
//   make_places_file OUTPUT ALIASES [--limit N]
//
// --limit keeps only the N most populous cities (and the aliases among them): a small file for
// the fuzzing seeds.

#include <geonames.h>
#include <glib.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/platform.h"
#include "places/places_file.h"

namespace {

using namespace tarvella::places;

struct Failure {
    std::string message;
};

struct City {
    std::string name, state, country, countryCode, zone;
    std::int32_t latitude = 0, longitude = 0;  // millionths of a degree
    std::uint32_t population = 0;
};

struct Alias {
    std::string alias, name, countryCode, state;
};

std::vector<City> ReadCities() {
    std::vector<City> cities;
    const int n = geonames_get_n_cities();
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<GeonamesCity, decltype(&geonames_city_free)> c(geonames_get_city(i),
                                                                       geonames_city_free);
        if (!c) throw Failure{"libgeonames gave no city " + std::to_string(i)};
        const auto text = [](const char* s) { return std::string(s ? s : ""); };
        City city{text(geonames_city_get_name(c.get())), text(geonames_city_get_state(c.get())),
                  text(geonames_city_get_country(c.get())),
                  text(geonames_city_get_country_code(c.get())),
                  text(geonames_city_get_timezone(c.get()))};
        const double latitude = geonames_city_get_latitude(c.get());
        const double longitude = geonames_city_get_longitude(c.get());
        if (city.name.empty() || city.zone.empty() || !(std::fabs(latitude) <= 90.0) ||
            !(std::fabs(longitude) <= 180.0)) {
            std::fprintf(stderr, "make_places_file: city %d (%s) left out: no zone or position\n",
                         i, city.name.c_str());
            continue;
        }
        city.latitude = static_cast<std::int32_t>(std::lround(latitude * 1e6));
        city.longitude = static_cast<std::int32_t>(std::lround(longitude * 1e6));
        city.population = geonames_city_get_population(c.get());
        cities.push_back(std::move(city));
    }
    if (cities.empty()) throw Failure{"libgeonames holds no cities"};
    return cities;
}

std::vector<Alias> ReadAliases(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Failure{"cannot read " + path};
    std::vector<Alias> aliases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> columns;
        for (std::size_t begin = 0;;) {
            const std::size_t tab = line.find('\t', begin);
            columns.push_back(line.substr(begin, tab - begin));
            if (tab == std::string::npos) break;
            begin = tab + 1;
        }
        if (columns.size() < 5 || columns[0].empty() || columns[1].empty()) {
            throw Failure{path + ": a line is not alias, name, country, state and note: " + line};
        }
        aliases.push_back({columns[0], columns[1], columns[2], columns[3]});
    }
    return aliases;
}

// One character folded: decomposed, its marks dropped, its case folded, all by GLib's tables.
std::string FoldCharacter(gunichar c) {
    char utf8[8] = {};
    g_unichar_to_utf8(c, utf8);
    std::unique_ptr<gchar, decltype(&g_free)> decomposed(
        g_utf8_normalize(utf8, -1, G_NORMALIZE_NFD), g_free);
    if (!decomposed) return utf8;
    std::string bare;
    for (const gchar* p = decomposed.get(); *p; p = g_utf8_next_char(p)) {
        const gunichar u = g_utf8_get_char(p);
        if (g_unichar_ismark(u)) continue;
        char part[8] = {};
        g_unichar_to_utf8(u, part);
        bare += part;
    }
    std::unique_ptr<gchar, decltype(&g_free)> folded(g_utf8_casefold(bare.c_str(), -1), g_free);
    return folded ? std::string(folded.get()) : bare;
}

class Folder {
  public:
    // The text's key, noting each character's folding for the table.
    std::string Key(const std::string& text) {
        if (!g_utf8_validate(text.c_str(), -1, nullptr)) throw Failure{"not UTF-8: " + text};
        std::string key;
        for (const gchar* p = text.c_str(); *p; p = g_utf8_next_char(p)) {
            const gunichar c = g_utf8_get_char(p);
            auto found = table_.find(c);
            if (found == table_.end()) {
                found = table_.emplace(c, FoldCharacter(c)).first;
                Variants(c);
            }
            key += found->second;
        }
        return key;
    }
    const std::map<gunichar, std::string>& table() const { return table_; }

  private:
    // What a user may type for a character the names hold: its capital and title forms, and the
    // letters and marks it decomposes to, with their capitals.
    void Variants(gunichar c) {
        std::vector<gunichar> more{g_unichar_toupper(c), g_unichar_totitle(c),
                                   g_unichar_tolower(c)};
        gunichar parts[G_UNICHAR_MAX_DECOMPOSITION_LENGTH];
        const gsize n = g_unichar_fully_decompose(c, FALSE, parts, G_N_ELEMENTS(parts));
        for (gsize i = 0; i < n; ++i) {
            more.push_back(parts[i]);
            more.push_back(g_unichar_toupper(parts[i]));
        }
        for (const gunichar v : more) {
            if (v != 0 && !table_.contains(v)) table_.emplace(v, FoldCharacter(v));
        }
    }

    std::map<gunichar, std::string> table_;
};

class Pool {
  public:
    std::uint32_t Add(const std::string& text) {
        const auto [at, added] = offsets_.emplace(text, static_cast<std::uint32_t>(bytes_.size()));
        if (added) bytes_.append(text).push_back('\0');
        return at->second;
    }
    const std::string& bytes() const { return bytes_; }

  private:
    std::map<std::string, std::uint32_t> offsets_;
    std::string bytes_;
};

std::string BuildFile(std::vector<City> cities, const std::vector<Alias>& aliases,
                      std::size_t limit) {
    const bool whole = limit >= cities.size();
    if (!whole) {
        std::stable_sort(cities.begin(), cities.end(),
                         [](const City& a, const City& b) { return a.population > b.population; });
        cities.resize(limit);
    }
    Folder folder;
    struct Key {
        std::string text;
        std::uint32_t place;
        std::uint32_t population;
    };
    std::vector<Key> keys;
    for (std::size_t i = 0; i < cities.size(); ++i) {
        folder.Key(cities[i].state);
        folder.Key(cities[i].country);
        folder.Key(cities[i].countryCode);
        keys.push_back(
            {folder.Key(cities[i].name), static_cast<std::uint32_t>(i), cities[i].population});
    }
    for (const Alias& a : aliases) {
        // The most populous city of that name in that country (and state, where given).
        const City* target = nullptr;
        std::uint32_t index = 0;
        for (std::size_t i = 0; i < cities.size(); ++i) {
            const City& c = cities[i];
            if (c.name == a.name && c.countryCode == a.countryCode &&
                (a.state.empty() || c.state == a.state) &&
                (!target || c.population > target->population)) {
                target = &c;
                index = static_cast<std::uint32_t>(i);
            }
        }
        if (!target) {
            if (!whole) continue;
            throw Failure{"the alias " + a.alias + " names " + a.name + " (" + a.countryCode +
                          "), which the GeoNames data does not hold"};
        }
        keys.push_back({folder.Key(a.alias), index | kAliasKey, target->population});
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.text != b.text) return a.text < b.text;
        return a.population != b.population ? a.population > b.population : a.place < b.place;
    });

    Pool pool;
    std::vector<unsigned char> places(cities.size() * kPlaceBytes);
    for (std::size_t i = 0; i < cities.size(); ++i) {
        const City& c = cities[i];
        unsigned char* p = places.data() + i * kPlaceBytes;
        WriteU32(pool.Add(c.name), p);
        WriteU32(pool.Add(c.state), p + 4);
        WriteU32(pool.Add(c.country), p + 8);
        WriteU32(pool.Add(c.countryCode), p + 12);
        WriteU32(pool.Add(c.zone), p + 16);
        WriteU32(static_cast<std::uint32_t>(c.latitude), p + 20);
        WriteU32(static_cast<std::uint32_t>(c.longitude), p + 24);
        WriteU32(c.population, p + 28);
    }
    std::vector<unsigned char> keyBytes(keys.size() * kKeyBytes);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        WriteU32(pool.Add(keys[i].text), keyBytes.data() + i * kKeyBytes);
        WriteU32(keys[i].place, keyBytes.data() + i * kKeyBytes + 4);
    }
    std::vector<unsigned char> foldBytes;
    for (const auto& [c, folded] : folder.table()) {
        unsigned char entry[kFoldBytes];
        WriteU32(c, entry);
        WriteU32(pool.Add(folded), entry + 4);
        foldBytes.insert(foldBytes.end(), entry, entry + kFoldBytes);
    }

    unsigned char header[kPlacesHeaderBytes] = {};
    std::copy(kPlacesMagic.begin(), kPlacesMagic.end(), header);
    WriteU32(kPlacesVersion, header + 8);
    WriteU32(static_cast<std::uint32_t>(cities.size()), header + 12);
    WriteU32(static_cast<std::uint32_t>(keys.size()), header + 16);
    WriteU32(static_cast<std::uint32_t>(folder.table().size()), header + 20);
    WriteU32(static_cast<std::uint32_t>(pool.bytes().size()), header + 24);
    std::string file(reinterpret_cast<const char*>(header), sizeof header);
    for (const auto* part : {&places, &keyBytes, &foldBytes})
        file.append(part->begin(), part->end());
    file += pool.bytes();
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    // The library translates names once a locale is set; the file must not depend on the
    // builder's language.
    std::setlocale(LC_ALL, "C");
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--limit")) {
        std::fprintf(stderr, "usage: make_places_file OUTPUT ALIASES [--limit N]\n");
        return 2;
    }
    const std::filesystem::path output = argv[1];
    try {
        const std::size_t limit =
            argc == 5 ? std::stoul(argv[4]) : std::numeric_limits<std::size_t>::max();
        const std::string file = BuildFile(ReadCities(), ReadAliases(argv[2]), limit);
        // Written beside the target and renamed, so a failed run never leaves half a file.
        const auto written = tarvella::WriteTemporaryFile(
            output.parent_path().empty() ? "." : output.parent_path(), "places", ".tmp",
            [&](const tarvella::ByteSink& out) { return out(file); }, {});
        if (!written) throw Failure{"cannot write " + output.string()};
        if (!tarvella::RenameReplacing(*written, output)) {
            std::filesystem::remove(*written);
            throw Failure{"cannot rename the file to " + output.string()};
        }
    } catch (const Failure& f) {
        std::fprintf(stderr, "make_places_file: %s\n", f.message.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_places_file: %s\n", e.what());
        return 1;
    }
    return 0;
}
