// orla: the basic types shared by every unit, and the small checked table type.
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
