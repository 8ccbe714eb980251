// e2e tests: the known frames the probe presents and the checker expects on the screen.
#pragma once

#include <cstdint>

namespace e2e {

inline constexpr int frame_width = 800;
inline constexpr int frame_height = 600;

// Pixel (x, y) of pattern 1 or 2. Both have a white border, so the picture's place on the screen
// can be found; inside, pattern 1 varies every channel from pixel to pixel (all 64 greens, all
// 32 reds and blues occur), pattern 2 is bands of pure colours, green 63 among them.
inline std::uint16_t pattern_pixel(int pattern, int x, int y) {
  if (x == 0 || y == 0 || x == frame_width - 1 || y == frame_height - 1) return 0xFFFF;
  if (pattern == 1) {
    const unsigned r = static_cast<unsigned>(x * 7 + y * 3) & 31u;
    const unsigned g = static_cast<unsigned>(x + 5 * y + (x >> 3)) & 63u;
    const unsigned b = static_cast<unsigned>((x ^ y) + (y >> 2)) & 31u;
    const std::uint16_t p = static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
    return p == 0 ? 0x0841 : p;  // no black inside the picture
  }
  static constexpr std::uint16_t bands[] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF,
                                            0xF81F, 0x8410, 0x0020, 0x0801, 0x7BEF};
  return bands[(x / 80 + y / 60) % 10];
}

}  // namespace e2e
