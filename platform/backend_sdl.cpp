// platform: the SDL2 backend: one real window showing the presented frames scaled with the aspect
// kept, SDL events turned into Win32 messages, real message boxes.
#include <SDL.h>
#include <SDL_syswm.h>
#ifdef ORLA_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "backend.hpp"
#include "desktop_dialog.hpp"
#include "frame_pacer.hpp"
#include "sdl_surface_presenter.hpp"

namespace {

using namespace win32;

struct sdl_state {
  bool video_tried = false;
  bool video_ok = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // the presenter's frame
  HWND hwnd = 0;                   // the program's window shown by `window`, 0 once destroyed
  bool frame_shown = false;        // the texture holds a presented frame
  int frame_width = 0, frame_height = 0;
  bool cursor_visible = true;
  bool fullscreen = true;                       // the user's choice, F11 or Alt+Enter
  bool managed = true;                          // a window manager can make the window fullscreen
  bool covering = false;                        // fullscreen done by hand: a borderless window
  std::optional<SDL_DisplayMode> display_mode;  // a real mode set by ChangeDisplaySettings
  int last_x = -1, last_y = -1;                 // last mouse position posted, frame coordinates
  WPARAM last_buttons = 0;
  platform::detail::frame_pacer pacer;  // holds the presented frames to the display's rate
  // no graphics processor: frames go into the window's surface instead of through a renderer
  bool on_surface = false;
  platform::detail::surface_presenter surface;
};

sdl_state& state() {
  static sdl_state s;
  return s;
}

// ---- video start-up ---------------------------------------------------------------------------

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

// Opens SDL's video subsystem once. A driver that shows nothing (offscreen, dummy), which SDL
// picks silently when there is no display, counts as no display unless it was asked for.
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
  std::atexit(SDL_Quit);
  SDL_StopTextInput();
  s.video_ok = true;
  return true;
}

// ---- window, picture and display mode -----------------------------------------------------------

// The program's icon: a light triangle on a dark blue disc.
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

void apply_cursor() {
  if (state().video_ok) SDL_ShowCursor(state().cursor_visible ? SDL_ENABLE : SDL_DISABLE);
}

// Frames are presented (between GetDefaultDirectDraw and CloseDirectDraw).
bool presenting() {
  return state().texture || state().surface.is_open();
}

// The renderer draws with the processor: SDL's software renderer, or OpenGL in Mesa's software
// rasterisers (no graphics processor). Presenting through it then costs more than the window's
// own surface with our conversion.
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

// Shows the last presented frame again (after a resize, an expose or a mode change).
void redraw() {
  sdl_state& s = state();
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
  if (s.texture && s.frame_shown) SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
  SDL_RenderPresent(s.renderer);
}

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

// Window size for windowed mode: the frame's, or the largest 4:3 size that fits the desktop.
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

// Fullscreen (a real mode when one is set, else the desktop's) or a resizable window.
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

// ---- events into messages -----------------------------------------------------------------------

WORD virtual_key(const SDL_Keysym& key) {
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return static_cast<WORD>('A' + (key.sym - SDLK_a));
  const SDL_Scancode sc = key.scancode;
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z)
    return static_cast<WORD>('A' + (sc - SDL_SCANCODE_A));
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9)
    return static_cast<WORD>('1' + (sc - SDL_SCANCODE_1));
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
    return static_cast<WORD>(VK_F1 + (sc - SDL_SCANCODE_F1));
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24)
    return static_cast<WORD>(VK_F1 + 12 + (sc - SDL_SCANCODE_F13));
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
    return static_cast<WORD>(VK_NUMPAD0 + 1 + (sc - SDL_SCANCODE_KP_1));
  switch (sc) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return VK_RETURN;
    case SDL_SCANCODE_ESCAPE:
      return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
      return VK_BACK;
    case SDL_SCANCODE_TAB:
      return VK_TAB;
    case SDL_SCANCODE_SPACE:
      return VK_SPACE;
    case SDL_SCANCODE_MINUS:
      return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS:
      return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET:
      return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET:
      return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
      return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON:
      return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE:
      return VK_OEM_7;
    case SDL_SCANCODE_GRAVE:
      return VK_OEM_3;
    case SDL_SCANCODE_COMMA:
      return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD:
      return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH:
      return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return VK_OEM_102;
    case SDL_SCANCODE_CAPSLOCK:
      return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN:
      return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK:
      return VK_SCROLL;
    case SDL_SCANCODE_PAUSE:
      return VK_PAUSE;
    case SDL_SCANCODE_INSERT:
      return VK_INSERT;
    case SDL_SCANCODE_HOME:
      return VK_HOME;
    case SDL_SCANCODE_PAGEUP:
      return VK_PRIOR;
    case SDL_SCANCODE_DELETE:
      return VK_DELETE;
    case SDL_SCANCODE_END:
      return VK_END;
    case SDL_SCANCODE_PAGEDOWN:
      return VK_NEXT;
    case SDL_SCANCODE_RIGHT:
      return VK_RIGHT;
    case SDL_SCANCODE_LEFT:
      return VK_LEFT;
    case SDL_SCANCODE_DOWN:
      return VK_DOWN;
    case SDL_SCANCODE_UP:
      return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE:
      return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS:
      return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS:
      return VK_ADD;
    case SDL_SCANCODE_KP_0:
      return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD:
      return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION:
      return VK_APPS;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return VK_CONTROL;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return VK_SHIFT;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return VK_MENU;
    case SDL_SCANCODE_LGUI:
      return VK_LWIN;
    case SDL_SCANCODE_RGUI:
      return VK_RWIN;
    default:
      return 0;
  }
}

WPARAM button_mask(Uint32 buttons) {
  WPARAM mask = 0;
  if (buttons & SDL_BUTTON_LMASK) mask |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) mask |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) mask |= MK_MBUTTON;
  const SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) mask |= MK_SHIFT;
  if (mod & KMOD_CTRL) mask |= MK_CONTROL;
  return mask;
}

// Event coordinates are frame coordinates once the presenter set the renderer's logical size
// (SDL converts them); before that they are window pixels. Either way they are clamped.
void to_frame(int x, int y, int& fx, int& fy) {
  const sdl_state& s = state();
  if (s.surface.is_open()) {
    s.surface.to_frame(x, y, fx, fy);
    return;
  }
  int w = s.frame_width, h = s.frame_height;
  if (!s.texture && s.window) SDL_GetWindowSize(s.window, &w, &h);
  fx = std::clamp(x, 0, std::max(w - 1, 0));
  fy = std::clamp(y, 0, std::max(h - 1, 0));
}

void post_mouse_move(int fx, int fy, WPARAM mask) {
  sdl_state& s = state();
  if (fx == s.last_x && fy == s.last_y && mask == s.last_buttons) return;
  s.last_x = fx;
  s.last_y = fy;
  s.last_buttons = mask;
  platform::detail::post_message(s.hwnd, WM_MOUSEMOVE, mask,
                                 MAKELPARAM(static_cast<WORD>(fx), static_cast<WORD>(fy)));
}

void post_button(const SDL_MouseButtonEvent& e) {
  UINT message = 0;
  const bool down = e.type == SDL_MOUSEBUTTONDOWN;
  if (e.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  if (e.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  if (e.button == SDL_BUTTON_MIDDLE) message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  if (message == 0) return;
  int fx = 0, fy = 0;
  to_frame(e.x, e.y, fx, fy);
  // a press where no move was reported yet arrives after a move there, as on Win32
  const Uint32 held = SDL_GetMouseState(nullptr, nullptr);
  const Uint32 before = down ? held & ~SDL_BUTTON(e.button) : held | SDL_BUTTON(e.button);
  post_mouse_move(fx, fy, button_mask(before));
  sdl_state& s = state();
  s.last_buttons = button_mask(held);
  platform::detail::post_message(s.hwnd, message, s.last_buttons,
                                 MAKELPARAM(static_cast<WORD>(fx), static_cast<WORD>(fy)));
}

void post_key(const SDL_KeyboardEvent& e) {
  const bool down = e.type == SDL_KEYDOWN;
  const bool alt = (e.keysym.mod & KMOD_ALT) != 0;
  const SDL_Scancode sc = e.keysym.scancode;
  const bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
  // F11 and Alt+Enter switch between fullscreen and a window; the program does not see them
  if (sc == SDL_SCANCODE_F11 || (enter && alt)) {
    if (down && !e.repeat) {
      state().fullscreen = !state().fullscreen;
      apply_window_mode();
    }
    return;
  }
  const WORD vk = virtual_key(e.keysym);
  if (vk == 0) return;
  const bool system = alt || vk == VK_MENU || vk == VK_F10;
  LPARAM lparam = 1 | (static_cast<LPARAM>(sc & 0xFF) << 16);
  if (alt) lparam |= KF_ALTDOWN_BIT;
  if (e.repeat || !down) lparam |= KF_REPEAT_BIT;
  if (!down) lparam |= LPARAM{1} << 31;
  const UINT message =
      down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  platform::detail::post_message(state().hwnd, message, vk, lparam);
}

void handle_event(const SDL_Event& e) {
  sdl_state& s = state();
  const bool ours = s.window && s.hwnd;
  switch (e.type) {
    case SDL_QUIT:
      if (ours) platform::detail::post_message(s.hwnd, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (!s.window || e.window.windowID != SDL_GetWindowID(s.window)) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          if (ours) platform::detail::post_message(s.hwnd, WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN: {
          // the state now, not the event's: events may arrive after a later change
          const bool minimized = (SDL_GetWindowFlags(s.window) & SDL_WINDOW_MINIMIZED) != 0;
          if (ours) platform::detail::window_state_changed(s.hwnd, minimized, !minimized);
          if (!minimized) redraw();
          break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          redraw();
          break;
        default:
          break;
      }
      break;
    case SDL_MOUSEMOTION:
      if (ours && e.motion.windowID == SDL_GetWindowID(s.window)) {
        int fx = 0, fy = 0;
        to_frame(e.motion.x, e.motion.y, fx, fy);
        post_mouse_move(fx, fy, button_mask(e.motion.state));
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (ours && e.button.windowID == SDL_GetWindowID(s.window)) post_button(e.button);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (ours) post_key(e.key);
      break;
    default:
      break;
  }
}

}  // namespace

namespace platform::detail {

int backend_message_box(const std::string& caption, const std::string& text, UINT type) {
  std::string shown = text;
  for (char& c : shown)
    if (c == '\r') c = '\n';
  const bool yes_no = (type & 0xF) == MB_YESNO;

  SDL_MessageBoxData box{};
  const UINT icon = type & 0xF0;
  box.flags = icon == MB_ICONHAND ? SDL_MESSAGEBOX_ERROR
              : (icon == MB_ICONQUESTION || icon == MB_ICONEXCLAMATION)
                  ? SDL_MESSAGEBOX_WARNING
                  : SDL_MESSAGEBOX_INFORMATION;
  // a box of its own: the program's window is minimised while a box shows
  box.window = nullptr;
  box.title = caption.c_str();
  box.message = shown.c_str();
  const SDL_MessageBoxButtonData ok[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
       "OK"}};
  const SDL_MessageBoxButtonData yes_no_buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"}};
  box.buttons = yes_no ? yes_no_buttons : ok;
  box.numbuttons = yes_no ? 2 : 1;

  // no box without a display: SDL would otherwise try display servers that are not there
  int answer = -1;
  if (open_video() && SDL_ShowMessageBox(&box, &answer) == 0) {
    if (answer == IDYES || answer == IDNO || answer == IDOK) return answer;
    return yes_no ? IDNO : IDOK;  // closed without a button
  }
  // changed: a message that SDL cannot show (no X core fonts, say) went only to standard error,
  // which a user started from the desktop never sees; the desktop's dialog programs come first
  if (const auto answer = desktop_dialog(caption, shown, type)) return *answer;
  std::fprintf(stderr, "%s\n%s\n", caption.c_str(), shown.c_str());
  // nothing is replaced without consent
  if (yes_no) std::fprintf(stderr, "(no message box can be shown: answered No)\n");
  std::fflush(stderr);
  return yes_no ? IDNO : IDOK;
}

DWORD backend_tick_count() {
  static const auto start = std::chrono::steady_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  return static_cast<DWORD>(ms);
}

void backend_cursor_visible(bool visible) {
  state().cursor_visible = visible;
  apply_cursor();
}

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
  s.last_x = s.last_y = -1;
  s.last_buttons = 0;
  apply_window_mode();
  apply_cursor();
  return true;
}

void backend_destroy_window(HWND window) {
  sdl_state& s = state();
  if (window != s.hwnd) return;
  s.hwnd = 0;
  // the presenter keeps the picture on the screen until it is closed, as a fullscreen
  // presenter does on a display of its own
  if (!presenting()) release_window();
}

void backend_show_window(HWND window, bool visible, bool minimized) {
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

// The window's place and size on the screen are the user's (fullscreen, or a window they size);
// the program's window rectangle stays the program's own view.
void backend_move_window(HWND, const RECT&) {}

void backend_pump() {
  if (!state().video_ok) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) handle_event(e);
}

void backend_idle() {
  sdl_state& s = state();
  if (!s.window || !(SDL_GetWindowFlags(s.window) & SDL_WINDOW_MINIMIZED)) return;
  // minimised: nothing to show, so wait for the window system instead of polling at full speed
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, 50)) handle_event(e);
}

// SDL can neither start the screen saver nor switch the monitor off; such requests are dropped.
void backend_system_command(HWND, WPARAM) {}

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

bool backend_call_fails(const char*) {
  return false;
}

bool backend_present_open(HWND window, int width, int height) {
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
      s.last_x = s.last_y = -1;
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
  s.last_x = s.last_y = -1;
  SDL_RendererInfo info;
  const bool vsync =
      SDL_GetRendererInfo(s.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
  s.pacer.start(hz, vsync);
  redraw();
  return true;
}

void backend_present(const void* pixels) {
  sdl_state& s = state();
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

void backend_present_close() {
  sdl_state& s = state();
  if (s.texture) SDL_DestroyTexture(s.texture);
  s.texture = nullptr;
  s.frame_shown = false;
  s.surface.close();
  if (!s.window) return;
  if (s.hwnd == 0) {
    release_window();
    return;
  }
  s.last_x = s.last_y = -1;
  if (s.renderer) SDL_RenderSetLogicalSize(s.renderer, 0, 0);
  redraw();
}

}  // namespace platform::detail
