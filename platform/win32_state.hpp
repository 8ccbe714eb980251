// platform: the state the Win32 subset's files share (window records, the message queue, the
// test hooks' settings) and the small helpers they all use. Only platform/win32_*.cpp include it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "win32.hpp"

namespace win32::detail {

struct class_record {
  WNDCLASS window_class;
  std::string name;
};

struct window_record {
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = 0;  // the parent of a child window, the owner of a top-level one
  RECT rect;        // screen coordinates; a child's are relative to its parent's client area
  bool visible = false;
  bool minimized = false;
  bool active = false;
  bool needs_paint = false;
  bool foreign = false;  // a window of another program: it has a size, nothing more
  bool destroying = false;
};

struct window_system {
  std::map<std::string, class_record> classes;  // by upper-case name: class names ignore case
  std::map<HWND, window_record> windows;
  std::deque<MSG> queue;
  bool quit_posted = false;
  int quit_code = 0;
  std::map<HDC, HWND> device_contexts;
  HDC next_dc = 0x00050000;
  HWND next_window = 0x00100000;
  ATOM next_atom = 0xC000;
  int cursor_counter = 0;          // Win32's display counter starts at 0: shown
  int mouse_x = -1, mouse_y = -1;  // the last mouse move posted by a backend
  WPARAM mouse_buttons = 0;
  LPARAM last_key_down = 0;  // the lParam of the newest key press posted
  // test hooks
  std::optional<std::vector<std::string>> arguments;
  std::function<DWORD()> test_clock;
  std::multiset<std::string> failing_calls;
  std::function<void(WPARAM)> system_command_observer;
};

// Reached from other units' start-up code too, so it is built on first use.
inline window_system& sys() {
  static window_system s;
  return s;
}

inline constexpr HINSTANCE program_instance = 0x00400000;
// The program's resource table holds one icon.
inline constexpr WORD program_icon_resource = 125;
inline constexpr HGDIOBJ stock_object_base = 0x00030000;

inline window_record* find(HWND window) {
  auto it = sys().windows.find(window);
  return it == sys().windows.end() ? nullptr : &it->second;
}

// A window of this program (not one of another program made known by a test).
inline window_record* find_own(HWND window) {
  window_record* w = find(window);
  return w && !w->foreign ? w : nullptr;
}

// A failure a test asked for; each is spent by the call it names.
bool fails(const char* call);

}  // namespace win32::detail
