// platform: the SDL backend's screen: its size, SDL's list of display modes as Win32's, and a
// mode set for the fullscreen window.
#include "sdl_backend.hpp"

namespace platform::detail {

using namespace win32;
using namespace sdl;

void backend_screen_size(int& width, int& height) {
  const sdl_state& s = state();
  // while frames are presented the screen is the frame, as in the display mode of its size
  if (presenting()) {
    width = s.frame_width;
    height = s.frame_height;
    return;
  }
  if (s.display_mode) {
    width = s.display_mode->w;
    height = s.display_mode->h;
    return;
  }
  SDL_DisplayMode desktop;
  if (open_video() && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    width = desktop.w;
    height = desktop.h;
    return;
  }
  width = 800;
  height = 600;
}

bool backend_display_mode(DWORD index, DEVMODE& mode) {
  if (!open_video()) return false;
  const int count = SDL_GetNumDisplayModes(0);
  if (count < 0 || index >= static_cast<DWORD>(count)) return false;
  SDL_DisplayMode m;
  if (SDL_GetDisplayMode(0, static_cast<int>(index), &m) != 0) return false;
  DWORD bits = SDL_BITSPERPIXEL(m.format);
  if (bits == 24 && SDL_BYTESPERPIXEL(m.format) == 4) bits = 32;  // counted as Win32 does
  mode = {bits, static_cast<DWORD>(m.w), static_cast<DWORD>(m.h),
          static_cast<DWORD>(m.refresh_rate)};
  return true;
}

bool backend_change_display_mode(const DEVMODE* mode) {
  sdl_state& s = state();
  if (mode == nullptr) {
    s.display_mode.reset();
    apply_window_mode();
    return true;
  }
  if (!open_video()) return false;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    DEVMODE candidate;
    SDL_DisplayMode m;
    if (!backend_display_mode(static_cast<DWORD>(i), candidate) ||
        SDL_GetDisplayMode(0, i, &m) != 0)
      continue;
    if (candidate.dmPelsWidth == mode->dmPelsWidth &&
        candidate.dmPelsHeight == mode->dmPelsHeight &&
        candidate.dmBitsPerPel == mode->dmBitsPerPel &&
        (mode->dmDisplayFrequency == 0 ||
         candidate.dmDisplayFrequency == mode->dmDisplayFrequency)) {
      s.display_mode = m;
      apply_window_mode();
      return true;
    }
  }
  return false;
}

}  // namespace platform::detail
