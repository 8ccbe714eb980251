// platform: the SDL backend's input: SDL events into Win32 messages (keys through a table of
// virtual-key codes and the characters they type, the mouse in frame coordinates, the window's
// state, the close request).
#include <algorithm>
#include <array>
#include <utility>

#include "sdl_backend.hpp"

namespace platform::detail::sdl {

namespace {

using namespace win32;

// The keys that are not in a run of codes (letters, digits, function keys, the keypad's digits).
struct key_code {
  SDL_Scancode scan_code;
  WORD virtual_key;
};
constexpr key_code single_keys[] = {
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
};

// The virtual-key code of every scan code (the key's place on the keyboard), 0 for none.
const std::array<WORD, SDL_NUM_SCANCODES>& key_table() {
  static const auto table = [] {
    std::array<WORD, SDL_NUM_SCANCODES> t{};
    const auto run = [&t](SDL_Scancode first, SDL_Scancode last, int code) {
      for (int sc = first; sc <= last; ++sc) t[sc] = static_cast<WORD>(code + (sc - first));
    };
    run(SDL_SCANCODE_A, SDL_SCANCODE_Z, 'A');
    run(SDL_SCANCODE_1, SDL_SCANCODE_9, '1');
    run(SDL_SCANCODE_F1, SDL_SCANCODE_F12, VK_F1);
    run(SDL_SCANCODE_F13, SDL_SCANCODE_F24, VK_F1 + 12);
    run(SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_9, VK_NUMPAD0 + 1);
    for (const key_code& k : single_keys) t[k.scan_code] = k.virtual_key;
    return t;
  }();
  return table;
}

WORD virtual_key(const SDL_Keysym& key) {
  // letters as the layout names them (Z and Y swap places on a German keyboard)
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return static_cast<WORD>('A' + (key.sym - SDLK_a));
  const int sc = key.scancode;
  if (sc < 0 || sc >= SDL_NUM_SCANCODES) return 0;
  return key_table()[static_cast<std::size_t>(sc)];
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

void post_button(const SDL_MouseButtonEvent& e) {
  mouse_button button;
  if (e.button == SDL_BUTTON_LEFT)
    button = mouse_button::left;
  else if (e.button == SDL_BUTTON_RIGHT)
    button = mouse_button::right;
  else if (e.button == SDL_BUTTON_MIDDLE)
    button = mouse_button::middle;
  else
    return;
  int fx = 0, fy = 0;
  to_frame(e.x, e.y, fx, fy);
  post_mouse_button(state().hwnd, fx, fy, button, e.type == SDL_MOUSEBUTTONDOWN,
                    button_mask(SDL_GetMouseState(nullptr, nullptr)));
}

// A key press was posted and its text input, which SDL sends right after it, may follow.
bool key_down_awaits_text = false;

// The first character of UTF-8 text as a UTF-16 unit; 0 when it needs two (or is malformed).
WORD first_character(const char* text) {
  const auto* b = reinterpret_cast<const unsigned char*>(text);
  if (b[0] < 0x80) return b[0];
  if ((b[0] & 0xE0) == 0xC0 && (b[1] & 0xC0) == 0x80)
    return static_cast<WORD>(((b[0] & 0x1F) << 6) | (b[1] & 0x3F));
  if ((b[0] & 0xF0) == 0xE0 && (b[1] & 0xC0) == 0x80 && (b[2] & 0xC0) == 0x80)
    return static_cast<WORD>(((b[0] & 0x0F) << 12) | ((b[1] & 0x3F) << 6) | (b[2] & 0x3F));
  return 0;
}

// The text a key press typed becomes the WM_CHAR that follows its WM_KEYDOWN, as on Win32.
void post_text(const SDL_TextInputEvent& e) {
  if (!std::exchange(key_down_awaits_text, false)) return;
  const WORD character = first_character(e.text);
  if (character != 0) post_character(state().hwnd, character);
}

void post_key(const SDL_KeyboardEvent& e) {
  key_down_awaits_text = false;
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
  detail::post_key(state().hwnd, vk, down, e.repeat != 0, alt,
                   static_cast<std::uint8_t>(sc & 0xFF));
  key_down_awaits_text = down;
}

}  // namespace

void handle_event(const SDL_Event& e) {
  sdl_state& s = state();
  const bool ours = s.window && s.hwnd;
  switch (e.type) {
    case SDL_QUIT:
      if (ours) post_message(s.hwnd, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (!s.window || e.window.windowID != SDL_GetWindowID(s.window)) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          if (ours) post_message(s.hwnd, WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN: {
          // the state now, not the event's: events may arrive after a later change
          const bool minimized = (SDL_GetWindowFlags(s.window) & SDL_WINDOW_MINIMIZED) != 0;
          if (ours) window_state_changed(s.hwnd, minimized, !minimized);
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
        post_mouse_move(s.hwnd, fx, fy, button_mask(e.motion.state));
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
    case SDL_TEXTINPUT:
      if (ours) post_text(e.text);
      break;
    default:
      break;
  }
}

}  // namespace platform::detail::sdl

namespace platform::detail {

void backend_pump(bool queue_empty) {
  sdl::sdl_state& s = sdl::state();
  if (queue_empty && s.window && (SDL_GetWindowFlags(s.window) & SDL_WINDOW_MINIMIZED)) {
    // minimised: nothing to show, so wait for the window system instead of polling at full speed
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 50)) sdl::handle_event(e);
  }
  if (!s.video_ok) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) sdl::handle_event(e);
}

}  // namespace platform::detail
