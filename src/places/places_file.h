// The layout of the places file "places.dat", which tools/make_places_file writes at build time
// and the places module reads; header only, so that the tool needs no library above the core.
//
// All numbers are little-endian. After the 32-byte header come the places (32 bytes each), the
// search keys (8 bytes each, in byte order of their text), the folding table (8 bytes each, in
// order of code point) and the pool of the texts, each ending in a NUL. The file is exactly that
// long, so a file that was cut short shows in its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvella::places {

inline constexpr const char* kPlacesFileName = "places.dat";
inline constexpr std::string_view kPlacesMagic{"TVPLACES", 8};
inline constexpr std::uint32_t kPlacesVersion = 1;
inline constexpr std::size_t kPlacesHeaderBytes = 32;
inline constexpr std::size_t kPlaceBytes = 32;
inline constexpr std::size_t kKeyBytes = 8;
inline constexpr std::size_t kFoldBytes = 8;
// Far above the 2 MB of the whole GeoNames list; a larger file is not one of ours.
inline constexpr std::uint64_t kMaxPlacesFileBytes = 64u << 20;
// A key's place index carries this bit when the key is a former name from the alias list.
inline constexpr std::uint32_t kAliasKey = 0x80000000u;

// Header: magic, then u32 version, places, keys, folds, pool bytes, and a zero.
// Place: u32 pool offsets of name, state, country, country code and zone; i32 latitude and
// longitude in millionths of a degree; u32 population.
// Key: u32 pool offset of the folded text, u32 place index (| kAliasKey).
// Fold: u32 code point, u32 pool offset of what it folds to.

inline std::uint32_t ReadU32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

inline void WriteU32(std::uint32_t value, unsigned char* p) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace tarvella::places
