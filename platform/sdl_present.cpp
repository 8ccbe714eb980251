// platform: the SDL backend's frames on the window: a streaming RGB565 texture drawn by a
// renderer at the display's pace, or, without a graphics processor, the window's own surface
// (sdl_surface_presenter.cpp); and the picture drawn again when the window needs it.
#include <cstring>

#include "sdl_backend.hpp"

namespace platform::detail::sdl {

bool presenting() {
  return state().texture || state().surface.is_open();
}

// SDL's software renderer, or OpenGL in Mesa's software rasterisers (no graphics processor):
// presenting through it then costs more than the window's own surface with our conversion.
bool drawn_by_processor(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
  if (info.flags & SDL_RENDERER_SOFTWARE) return true;
  if (SDL_strncmp(info.name, "opengl", 6) != 0) return false;
  using get_string = const unsigned char* (*)(unsigned);
  constexpr unsigned gl_renderer = 0x1F01;
  const auto gl_get_string = reinterpret_cast<get_string>(SDL_GL_GetProcAddress("glGetString"));
  if (!gl_get_string) return false;
  const auto* name = reinterpret_cast<const char*>(gl_get_string(gl_renderer));
  if (!name) return false;
  for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
    if (std::strstr(name, software)) return true;
  return false;
}

void redraw() {
  sdl_state& s = state();
  if (s.large_shown && s.large_surface.is_open()) {
    s.large_surface.redraw();
    return;
  }
  if (s.surface.is_open()) {
    s.surface.redraw();
    return;
  }
  if (s.on_surface && s.window) {
    // nothing presented: a black window
    if (SDL_Surface* surface = SDL_GetWindowSurface(s.window)) {
      SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
      SDL_UpdateWindowSurface(s.window);
    }
    return;
  }
  if (!s.renderer) return;
  SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
  SDL_RenderClear(s.renderer);
  // the logical size's viewport: a frame drawn at its size lands on it pixel for pixel
  SDL_Texture* shown = s.large_shown && s.large_texture ? s.large_texture : s.texture;
  if (shown && s.frame_shown) SDL_RenderCopy(s.renderer, shown, nullptr, nullptr);
  SDL_RenderPresent(s.renderer);
}

}  // namespace platform::detail::sdl

namespace platform::detail {

using namespace sdl;

bool backend_present_open(win32::HWND window, int width, int height) {
  sdl_state& s = state();
  if (!s.window || window != s.hwnd) return false;
  const int display = SDL_GetWindowDisplayIndex(s.window);
  SDL_DisplayMode mode;
  const int hz =
      display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
  if (s.on_surface) {
    if (s.surface.open(s.window, width, height)) {
      s.frame_width = width;
      s.frame_height = height;
      forget_mouse_position();
      s.pacer.start(hz, false);
      return true;
    }
    // a surface format the presenter does not write: SDL's software renderer draws instead
    s.on_surface = false;
    s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!s.renderer) return false;
  if (s.texture) SDL_DestroyTexture(s.texture);
  s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                width, height);
  if (!s.texture) return false;
  SDL_SetTextureScaleMode(s.texture, SDL_ScaleModeNearest);
  SDL_RenderSetLogicalSize(s.renderer, width, height);
  s.frame_width = width;
  s.frame_height = height;
  s.frame_shown = false;
  forget_mouse_position();
  SDL_RendererInfo info;
  const bool vsync =
      SDL_GetRendererInfo(s.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
  s.pacer.start(hz, vsync);
  redraw();
  return true;
}

void backend_present(const void* pixels) {
  sdl_state& s = state();
  if (s.large_shown) {
    // the window showed a frame drawn at its size: this one is drawn whole
    s.large_shown = false;
    s.surface.forget_shown();
  }
  if (s.surface.is_open()) {
    s.pacer.wait();
    s.surface.present(pixels);
    s.pacer.presented();
    return;
  }
  if (!s.texture) return;
  SDL_UpdateTexture(s.texture, nullptr, pixels, s.frame_width * 2);
  s.frame_shown = true;
  s.pacer.wait();
  redraw();
  s.pacer.presented();
}

void backend_present_shown_size(int& width, int& height) {
  sdl_state& s = state();
  width = s.frame_width;
  height = s.frame_height;
  if (s.surface.is_open()) {
    s.surface.shown_size(width, height);
    return;
  }
  int w = 0, h = 0;
  if (!s.renderer || !s.texture || SDL_GetRendererOutputSize(s.renderer, &w, &h) != 0 ||
      s.frame_width <= 0 || s.frame_height <= 0)
    return;
  // the letterbox of the logical size, proportions kept
  width = w;
  height = h;
  if (static_cast<long>(w) * s.frame_height > static_cast<long>(h) * s.frame_width)
    width = static_cast<int>(static_cast<long>(h) * s.frame_width / s.frame_height);
  else
    height = static_cast<int>(static_cast<long>(w) * s.frame_height / s.frame_width);
}

void backend_present_large(const void* pixels, int width, int height, const win32::RECT* changed,
                           int count) {
  sdl_state& s = state();
  // the rectangles as SDL has them, and their bounding box
  s.large_changes.clear();
  SDL_Rect bounds{0, 0, 0, 0};
  for (int k = 0; changed != nullptr && k < count; ++k) {
    const win32::RECT& c = changed[k];
    const SDL_Rect r{static_cast<int>(c.left), static_cast<int>(c.top),
                     static_cast<int>(c.right - c.left), static_cast<int>(c.bottom - c.top)};
    if (r.w <= 0 || r.h <= 0) continue;
    s.large_changes.push_back(r);
    if (bounds.w == 0)
      bounds = r;
    else
      SDL_UnionRect(&bounds, &r, &bounds);
  }
  if (s.surface.is_open()) {
    if (!s.large_surface.is_open() || s.large_width != width || s.large_height != height) {
      if (!s.large_surface.open(s.window, width, height)) return;
      s.large_width = width;
      s.large_height = height;
    }
    if (!s.large_shown) s.large_surface.forget_shown();
    s.large_shown = true;
    s.pacer.wait();
    if (changed != nullptr)
      s.large_surface.present(pixels, s.large_changes.data(),
                              static_cast<int>(s.large_changes.size()));
    else
      s.large_surface.present(pixels);
    s.pacer.presented();
    return;
  }
  if (!s.renderer) return;
  bool whole = changed == nullptr;
  if (!s.large_texture || s.large_width != width || s.large_height != height) {
    if (s.large_texture) SDL_DestroyTexture(s.large_texture);
    s.large_texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB565,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!s.large_texture) return;
    s.large_width = width;
    s.large_height = height;
    whole = true;
  }
  // the texture holds the large frame presented before: only what changed goes up
  const SDL_Rect all{0, 0, width, height};
  if (whole)
    SDL_UpdateTexture(s.large_texture, nullptr, pixels, width * 2);
  else if (SDL_IntersectRect(&bounds, &all, &bounds))
    SDL_UpdateTexture(s.large_texture, &bounds,
                      static_cast<const Uint8*>(pixels) +
                          (static_cast<std::size_t>(bounds.y) * width + bounds.x) * 2,
                      width * 2);
  s.large_shown = true;
  s.frame_shown = true;
  s.pacer.wait();
  redraw();
  s.pacer.presented();
}

void backend_present_close() {
  sdl_state& s = state();
  if (s.large_texture) SDL_DestroyTexture(s.large_texture);
  s.large_texture = nullptr;
  s.large_surface.close();
  s.large_shown = false;
  s.large_width = s.large_height = 0;
  if (s.texture) SDL_DestroyTexture(s.texture);
  s.texture = nullptr;
  s.frame_shown = false;
  s.surface.close();
  if (!s.window) return;
  if (s.hwnd == 0) {
    release_window();
    return;
  }
  forget_mouse_position();
  if (s.renderer) SDL_RenderSetLogicalSize(s.renderer, 0, 0);
  redraw();
}

}  // namespace platform::detail
