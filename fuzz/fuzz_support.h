// Shared by the fuzz targets: the real Sun table, and a reader that takes values from the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/sun_ephemeris.h"

namespace tarvella::fuzz {

inline const SunEphemeris& Table() {
    static const SunEphemeris* table = [] {
        auto* t = new SunEphemeris;
        if (t->Open(TARVELLA_FUZZ_SUN_FILE) != SunFileStatus::Ok) std::abort();
        return t;
    }();
    return *table;
}

// Takes plain values off the front of the input; zeros once it runs out.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    template <typename T>
    T Take() {
        T value{};
        const std::size_t n = sizeof(T) < size_ ? sizeof(T) : size_;
        std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }
    // Text up to the next NUL, or the rest.
    std::string Text() {
        std::size_t n = 0;
        while (n < size_ && data_[n] != 0) ++n;
        std::string s(reinterpret_cast<const char*>(data_), n);
        const std::size_t used = n < size_ ? n + 1 : n;
        data_ += used;
        size_ -= used;
        return s;
    }
    std::string Rest() { return std::string(reinterpret_cast<const char*>(data_), size_); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace tarvella::fuzz
