// platform: the Win32 subset's message queue (peeking, dispatching, the default window
// procedure) and the messages the backends post into it (keys, mouse moves and buttons).
#include <algorithm>
#include <cstdint>

#include "backend.hpp"
#include "win32_state.hpp"

namespace {

using namespace win32;
using namespace win32::detail;

bool matches(const MSG& m, HWND window, UINT low, UINT high) {
  if (window != 0 && m.hwnd != window) return false;
  if (low == 0 && high == 0) return true;
  return m.message >= low && m.message <= high;
}

}  // namespace

namespace win32 {

void PostQuitMessage(int exit_code) {
  sys().quit_posted = true;
  sys().quit_code = exit_code;
}

BOOL PeekMessage(MSG* msg, HWND window, UINT filter_min, UINT filter_max, UINT remove) {
  if (msg == nullptr) return FALSE;
  platform::detail::backend_pump(false);
  for (int pass = 0; pass < 2; ++pass) {
    auto& q = sys().queue;
    auto it = std::find_if(q.begin(), q.end(), [&](const MSG& m) {
      return matches(m, window, filter_min, filter_max);
    });
    if (it != q.end()) {
      *msg = *it;
      if (remove & PM_REMOVE) q.erase(it);
      return TRUE;
    }
    // WM_QUIT passes every filter and comes once the posted messages are taken
    if (sys().quit_posted) {
      *msg = MSG{0, WM_QUIT, static_cast<WPARAM>(sys().quit_code), 0, GetTickCount(), {}};
      if (remove & PM_REMOVE) sys().quit_posted = false;
      return TRUE;
    }
    for (auto& [handle, record] : sys().windows) {
      if (!record.needs_paint || !record.visible || record.foreign) continue;
      const MSG paint{handle, WM_PAINT, 0, 0, GetTickCount(), {}};
      if (!matches(paint, window, filter_min, filter_max)) continue;
      *msg = paint;
      // a window counts as painted once its WM_PAINT is taken, whoever handles it, so a
      // paint hook that does not validate cannot flood the queue
      if (remove & PM_REMOVE) record.needs_paint = false;
      return TRUE;
    }
    if (pass == 0) platform::detail::backend_pump(true);
  }
  return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  return msg->message >= WM_KEYDOWN && msg->message <= WM_SYSKEYUP ? TRUE : FALSE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == 0) return 0;
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSKEYDOWN:
      // posted, as Windows does: the window closes when the queue is next taken
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT))
        PostMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      if (sys().system_command_observer) sys().system_command_observer(wParam & 0xFFF0);
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessage(window, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(window, SW_MINIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(window, SW_RESTORE);
          break;
        default:
          break;
      }
      return 0;
    case WM_PAINT:
      if (window_record* w = find_own(window)) w->needs_paint = false;
      return 0;
    default:
      return 0;
  }
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const window_record* w = find_own(window);
  if (!w || !w->procedure) return 0;
  return w->procedure(window, message, wParam, lParam);
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != 0 && !find_own(window)) return FALSE;
  platform::detail::post_message(window, message, wParam, lParam);
  return TRUE;
}

}  // namespace win32

namespace platform::detail {

using namespace win32;
using win32::detail::sys;

void post_message(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                  win32::LPARAM lParam) {
  sys().queue.push_back(MSG{window, message, wParam, lParam, win32::GetTickCount(), {}});
}

void post_key(win32::HWND window, win32::WORD virtual_key, bool down, bool repeat, bool alt,
              std::uint8_t scan_code) {
  const bool system = alt || virtual_key == VK_MENU || virtual_key == VK_F10;
  const UINT message =
      down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  auto bits = std::uint32_t{1} | (std::uint32_t{scan_code} << 16);
  if (alt) bits |= static_cast<std::uint32_t>(KF_ALTDOWN_BIT);
  if (repeat || !down) bits |= static_cast<std::uint32_t>(KF_REPEAT_BIT);
  if (!down) bits |= std::uint32_t{1} << 31;
  if (down) sys().last_key_down = static_cast<LPARAM>(bits);
  post_message(window, message, virtual_key, static_cast<LPARAM>(bits));
}

void post_character(win32::HWND window, win32::WORD character) {
  // WM_SYSCHAR, typed with Alt, is not posted: nothing reads it
  if (sys().last_key_down & KF_ALTDOWN_BIT) return;
  post_message(window, WM_CHAR, character, sys().last_key_down);
}

void post_mouse_move(win32::HWND window, int x, int y, win32::WPARAM buttons) {
  auto& s = sys();
  if (x == s.mouse_x && y == s.mouse_y && buttons == s.mouse_buttons) return;
  s.mouse_x = x;
  s.mouse_y = y;
  s.mouse_buttons = buttons;
  post_message(window, WM_MOUSEMOVE, buttons,
               MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void post_mouse_button(win32::HWND window, int x, int y, mouse_button button, bool down,
                       win32::WPARAM buttons) {
  constexpr UINT downs[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  constexpr UINT ups[] = {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
  constexpr WPARAM bits[] = {MK_LBUTTON, MK_MBUTTON, MK_RBUTTON};
  const auto index = static_cast<std::size_t>(button);
  post_mouse_move(window, x, y, down ? buttons & ~bits[index] : buttons | bits[index]);
  sys().mouse_buttons = buttons;
  post_message(window, down ? downs[index] : ups[index], buttons,
               MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void forget_mouse_position() {
  sys().mouse_x = sys().mouse_y = -1;
  sys().mouse_buttons = 0;
}

}  // namespace platform::detail
