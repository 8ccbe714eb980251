// platform: the SDL backend's window icon, drawn here (the program has no image files for it).
#include <cmath>

#include "sdl_backend.hpp"

namespace platform::detail::sdl {

// A light triangle on a dark blue disc.
SDL_Surface* make_program_icon() {
  constexpr int size = 32;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return nullptr;
  auto* pixels = static_cast<Uint32*>(icon->pixels);
  const int stride = icon->pitch / 4;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double cx = x + 0.5 - size / 2.0, cy = y + 0.5 - size / 2.0;
      Uint32 colour = 0;  // transparent
      if (cx * cx + cy * cy <= (size / 2.0) * (size / 2.0)) colour = 0xFF1A2A6Cu;
      // inside the triangle (16,5) (5,26) (27,26)
      const double px = x + 0.5, py = y + 0.5;
      const bool inside = py <= 26 && (py - 5) >= 21.0 / 11.0 * std::abs(px - 16);
      if (inside) colour = 0xFFF2E6A0u;
      pixels[y * stride + x] = colour;
    }
  }
  return icon;
}

}  // namespace platform::detail::sdl
