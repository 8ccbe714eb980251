// orla: the basic types shared by every unit, the files' byte order, and the small checked table
// type.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orla {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using SHORTINT = std::int8_t;
using LONGINT = std::int32_t;
using DWORD = std::uint32_t;
using REAL = double;
using SINGLE = float;
using BOOLEAN = bool;

namespace detail {

// The 128-bit integer of the exact intermediate products (a GNU extension of g++ and clang).
__extension__ using int128 = __int128;

// The 16- and 32-bit values the files store little-endian, from their first byte.
inline WORD read_le16(const unsigned char* p) {
  return static_cast<WORD>(p[0] | p[1] << 8);
}
inline DWORD read_le32(const unsigned char* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
         static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[3]) << 24;
}

// Longest text the library's strings hold; longer results are cut here.
inline constexpr std::size_t max_string_length = 255;

// Cuts a text to the library's string limit.
inline std::string cut255(std::string s) {
  if (s.size() > max_string_length) s.resize(max_string_length);
  return s;
}

// A table indexed from Lo to Hi inclusive, as the role tables are numbered;
// an index outside is a bug and trips the assertion in debug and sanitizer builds.
template <typename T, long Lo, long Hi>
struct checked_array {
  static_assert(Hi >= Lo);
  T items[Hi - Lo + 1]{};

  static constexpr long first = Lo;
  static constexpr long last = Hi;
  static constexpr std::size_t size() { return Hi - Lo + 1; }

  constexpr T& operator[](long i) {
    assert(i >= Lo && i <= Hi);
    return items[i - Lo];
  }
  constexpr const T& operator[](long i) const {
    assert(i >= Lo && i <= Hi);
    return items[i - Lo];
  }
  constexpr T* begin() { return items; }
  constexpr T* end() { return items + size(); }
  constexpr const T* begin() const { return items; }
  constexpr const T* end() const { return items + size(); }
};

}  // namespace detail
}  // namespace orla
