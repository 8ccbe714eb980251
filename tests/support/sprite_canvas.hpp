// Test support: guarded canvases, random pixels and channel access for the sprite tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "orla.hpp"
#include "orla_sprites.hpp"

namespace sprite_test {

using namespace orla_sprites;

// A window whose pixels sit between two guard bands, so that a write outside the window shows
// up in any build, not only under the address sanitizer.
class canvas {
 public:
  static constexpr std::size_t guard = 64;
  static constexpr WORD guard_value = 0xA5C3;

  canvas(LONGINT w, LONGINT h, WORD fill = 0)
      : store_(guard * 2 + static_cast<std::size_t>(w) * static_cast<std::size_t>(h), guard_value) {
    orla::CALCULATEVW(vw, w, h);
    vw.DATA = store_.data() + guard;
    vw.LOADED = false;  // the buffer belongs to the canvas, not to the accounting
    for (LONGINT i = 0; i < w * h; ++i) vw.DATA[i] = fill;
  }
  canvas(const canvas&) = delete;
  canvas& operator=(const canvas&) = delete;

  WORD& at(LONGINT x, LONGINT y) { return vw.DATA[y * vw.BREITE + x]; }
  WORD at(LONGINT x, LONGINT y) const { return vw.DATA[y * vw.BREITE + x]; }
  std::vector<WORD> pixels() const {
    return std::vector<WORD>(vw.DATA, vw.DATA + vw.BREITE * vw.HOEHE);
  }
  bool guards_intact() const {
    const std::size_t n = static_cast<std::size_t>(vw.BREITE) * static_cast<std::size_t>(vw.HOEHE);
    for (std::size_t i = 0; i < guard; ++i)
      if (store_[i] != guard_value || store_[guard + n + i] != guard_value) return false;
    return true;
  }

  VIRTUALWINDOW vw;

 private:
  std::vector<WORD> store_;
};

// Random pixels in which the key turns up often enough for the keyed paths to matter.
inline WORD random_pixel(std::mt19937& rng, WORD key) {
  return rng() % 4 == 0 ? key : static_cast<WORD>(rng());
}

inline void fill_random(canvas& c, std::mt19937& rng, WORD key) {
  for (LONGINT i = 0; i < c.vw.BREITE * c.vw.HOEHE; ++i) c.vw.DATA[i] = random_pixel(rng, key);
}

inline int random_in(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// Channel access for the references.
inline int red(WORD p) {
  return p >> 11;
}
inline int green(WORD p) {
  return (p >> 5) & 63;
}
inline int blue(WORD p) {
  return p & 31;
}
inline WORD rgb(int r, int g, int b) {
  return static_cast<WORD>(r * 2048 + g * 32 + b);
}

// Both builds of the pixel loops are held to the same references; the widest build is put back
// whatever happens in the test.
struct every_loop_build {
  static constexpr detail::loop_build builds[] = {detail::loop_build::widest,
                                                  detail::loop_build::baseline};
  ~every_loop_build() { detail::select_loop_build(detail::loop_build::widest); }
  static const char* name(detail::loop_build b) {
    return b == detail::loop_build::widest ? "widest loop build" : "baseline loop build";
  }
};

}  // namespace sprite_test
