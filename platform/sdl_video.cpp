// platform: the SDL backend's video start-up (a window, or a clear message when there is no
// display), its clock and its cursor.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sdl_backend.hpp"

#ifdef ORLA_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace platform::detail::sdl {

namespace {

// True when SDL_VIDEODRIVER names the driver (it may hold a comma-separated list).
bool driver_requested(const char* driver) {
  const char* env = std::getenv("SDL_VIDEODRIVER");
  if (env == nullptr) return false;
  std::string list = env;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(',', start), list.size());
    if (SDL_strcasecmp(list.substr(start, end - start).c_str(), driver) == 0) return true;
    start = end + 1;
  }
  return false;
}

void report_no_display(const std::string& detail) {
  std::fprintf(stderr,
               "%s: cannot open a window: no display is available (%s).\n"
               "Start the program inside a graphical session, or set DISPLAY or "
               "WAYLAND_DISPLAY to a running display server.\n",
               program_invocation_short_name, detail.c_str());
  std::fflush(stderr);
}

// Xlib ends the program through exit() when its connection to the X server breaks (a logout,
// the server ending). SDL_Quit, run at exit, would then wait for the window's unmapping on the
// dead connection, forever and at full speed; so once the connection is lost it is left out.
bool display_lost = false;

void quit_sdl_unless_display_lost() {
  if (!display_lost) SDL_Quit();
}

#ifdef ORLA_HAVE_X11
XIOErrorHandler xlib_handler = nullptr;

int on_display_lost(Display* display) {
  display_lost = true;
  // Xlib's own handler says so on standard error and calls exit()
  if (xlib_handler) return xlib_handler(display);
  std::exit(1);
}
#endif

void watch_x_connection() {
#ifdef ORLA_HAVE_X11
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && SDL_strcasecmp(driver, "x11") == 0)
    xlib_handler = XSetIOErrorHandler(on_display_lost);
#endif
}

}  // namespace

sdl_state& state() {
  static sdl_state s;
  return s;
}

// A driver that shows nothing (offscreen, dummy), which SDL picks silently when there is no
// display, counts as no display unless it was asked for.
bool open_video() {
  sdl_state& s = state();
  if (s.video_tried) return s.video_ok;
  s.video_tried = true;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    report_no_display(std::string("SDL: ") + SDL_GetError());
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  for (const char* invisible : {"offscreen", "dummy"}) {
    if (driver && SDL_strcasecmp(driver, invisible) == 0 && !driver_requested(invisible)) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      report_no_display(std::string("SDL could only offer its invisible \"") + invisible +
                        "\" video driver");
      return false;
    }
  }
  // leaving through exit() must still give the desktop its display mode back
  watch_x_connection();
  std::atexit(quit_sdl_unless_display_lost);
  // the characters the keys type on the user's layout come as text input (WM_CHAR)
  SDL_StartTextInput();
  s.video_ok = true;
  return true;
}

void apply_cursor() {
  if (state().video_ok) SDL_ShowCursor(state().cursor_visible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace platform::detail::sdl

namespace platform::detail {

win32::DWORD backend_milliseconds() {
  // SDL's own clock: monotonic, from SDL's start-up (it starts itself when read first)
  return SDL_GetTicks();
}

void backend_cursor_visible(bool visible) {
  sdl::state().cursor_visible = visible;
  sdl::apply_cursor();
}

}  // namespace platform::detail
