// platform: the SDL backend's window: made, shown, minimised and destroyed for the program, and
// switched between fullscreen and a window for the user; with or without a window manager.
#include <SDL_syswm.h>
#ifdef ORLA_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "sdl_backend.hpp"

namespace platform::detail::sdl {

// SDL's fullscreen on X11 is a request to the window manager; without one (a bare X server, a
// kiosk session) nothing would happen, so the backend needs to know.
bool window_manager_present(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info)) return true;
#ifdef ORLA_HAVE_X11
  if (info.subsystem == SDL_SYSWM_X11) {
    Display* display = info.info.x11.display;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int result = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return result == Success && type == XA_WINDOW && count == 1;
  }
#endif
  return true;  // other window systems always manage their windows
}

// The frame's size, or the largest 4:3 size that fits the desktop.
void windowed_size(int& width, int& height) {
  width = 800;
  height = 600;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
    const double fit = std::min({1.0, usable.w * 0.9 / width, usable.h * 0.9 / height});
    width = static_cast<int>(width * fit);
    height = static_cast<int>(height * fit);
  }
}

void apply_window_mode() {
  sdl_state& s = state();
  if (!s.window) return;
  if (s.fullscreen && s.managed) {
    if (s.display_mode) {
      SDL_SetWindowDisplayMode(s.window, &*s.display_mode);
      SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN);
    } else {
      SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
  } else if (s.fullscreen) {
    // no window manager: a borderless window over the whole display, in the desktop's mode
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) == 0) {
      SDL_SetWindowBordered(s.window, SDL_FALSE);
      SDL_SetWindowPosition(s.window, bounds.x, bounds.y);
      SDL_SetWindowSize(s.window, bounds.w, bounds.h);
      s.covering = true;
    }
  } else {
    SDL_SetWindowFullscreen(s.window, 0);
    if (s.covering) {
      int width = 0, height = 0;
      windowed_size(width, height);
      SDL_SetWindowBordered(s.window, SDL_TRUE);
      SDL_SetWindowSize(s.window, width, height);
      SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      s.covering = false;
    }
  }
  redraw();
}

void release_window() {
  sdl_state& s = state();
  if (s.texture) SDL_DestroyTexture(s.texture);
  if (s.renderer) SDL_DestroyRenderer(s.renderer);
  s.surface.close();
  if (s.window) SDL_DestroyWindow(s.window);
  s.texture = nullptr;
  s.renderer = nullptr;
  s.window = nullptr;
  s.frame_shown = false;
}

}  // namespace platform::detail::sdl

namespace platform::detail {

using namespace sdl;

bool backend_create_window(const window_description& window) {
  sdl_state& s = state();
  if (!open_video()) return false;
  // one window on the screen; a child inside another program's window cannot be made here
  if (window.child || s.hwnd != 0) return false;
  if (s.window) release_window();  // still held by the presenter for a window already gone

  int width = 0, height = 0;
  windowed_size(width, height);
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
  if (window.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  s.window = SDL_CreateWindow(window.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              width, height, flags);
  if (!s.window) {
    std::fprintf(stderr, "%s: cannot open a window: %s\n", program_invocation_short_name,
                 SDL_GetError());
    return false;
  }
  s.renderer =
      SDL_CreateRenderer(s.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  s.on_surface = !s.renderer || drawn_by_processor(s.renderer);
  if (s.on_surface && s.renderer) {
    SDL_DestroyRenderer(s.renderer);
    s.renderer = nullptr;
  }
  // the window system's own surface of the window, not a texture drawn by a renderer
  if (s.on_surface) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (!s.renderer && !s.on_surface) {
    std::fprintf(stderr, "%s: cannot draw into the window: %s\n", program_invocation_short_name,
                 SDL_GetError());
    release_window();
    return false;
  }
  if (window.icon == program_icon) {
    if (SDL_Surface* icon = make_program_icon()) {
      SDL_SetWindowIcon(s.window, icon);
      SDL_FreeSurface(icon);
    }
  }
  s.managed = window_manager_present(s.window);
  s.covering = false;
  s.hwnd = window.handle;
  forget_mouse_position();
  apply_window_mode();
  apply_cursor();
  return true;
}

void backend_destroy_window(win32::HWND window) {
  sdl_state& s = state();
  if (window != s.hwnd) return;
  s.hwnd = 0;
  // the presenter keeps the picture on the screen until it is closed, as a fullscreen
  // presenter does on a display of its own
  if (!presenting()) release_window();
}

void backend_show_window(win32::HWND window, bool visible, bool minimized) {
  sdl_state& s = state();
  if (window != s.hwnd || !s.window) return;
  if (!visible) {
    SDL_HideWindow(s.window);
    return;
  }
  if (!s.managed) {
    // without a window manager nothing minimises a window, and a window covering the screen
    // would hide the message boxes shown meanwhile: minimised means hidden then
    if (minimized) {
      SDL_HideWindow(s.window);
    } else {
      SDL_ShowWindow(s.window);
      SDL_RaiseWindow(s.window);
      redraw();
    }
    return;
  }
  SDL_ShowWindow(s.window);
  const bool now_minimized = (SDL_GetWindowFlags(s.window) & SDL_WINDOW_MINIMIZED) != 0;
  if (minimized && !now_minimized) SDL_MinimizeWindow(s.window);
  if (!minimized && now_minimized) SDL_RestoreWindow(s.window);
  if (!minimized) SDL_RaiseWindow(s.window);
  redraw();
}

}  // namespace platform::detail
