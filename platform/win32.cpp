// platform: the Win32 subset, with the window records and the message queue shared by every
// backend, the input and box helpers the backends share, and the test hooks (a test clock,
// failures on demand, the system commands seen).
#include "win32.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "backend.hpp"

namespace {

using namespace win32;

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
  // test hooks
  std::optional<std::vector<std::string>> arguments;
  std::function<DWORD()> test_clock;
  std::multiset<std::string> failing_calls;
  std::function<void(WPARAM)> system_command_observer;
};

// Reached from other units' start-up code too, so it is built on first use.
window_system& sys() {
  static window_system s;
  return s;
}

constexpr HINSTANCE program_instance = 0x00400000;
// The program's resource table holds one icon.
constexpr WORD program_icon_resource = 125;
constexpr HGDIOBJ stock_object_base = 0x00030000;

std::string upper(const char* text) {
  std::string s = text ? text : "";
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

window_record* find(HWND window) {
  auto it = sys().windows.find(window);
  return it == sys().windows.end() ? nullptr : &it->second;
}

window_record* find_own(HWND window) {
  window_record* w = find(window);
  return w && !w->foreign ? w : nullptr;
}

RECT screen_rect_of(HWND window) {
  const window_record* w = find(window);
  if (!w) return {};
  RECT r = w->rect;
  if ((w->style & WS_CHILD) && w->parent) {
    const RECT p = screen_rect_of(w->parent);
    r.left += p.left;
    r.right += p.left;
    r.top += p.top;
    r.bottom += p.top;
  }
  return r;
}

// A failure a test asked for; each is spent by the call it names.
bool fails(const char* call) {
  auto& failing = sys().failing_calls;
  auto it = failing.find(call);
  if (it == failing.end()) return false;
  failing.erase(it);
  return true;
}

void send_activate(HWND window, bool active, bool minimized) {
  SendMessage(window, WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, minimized ? 1 : 0),
              0);
}

bool matches(const MSG& m, HWND window, UINT low, UINT high) {
  if (window != 0 && m.hwnd != window) return false;
  if (low == 0 && high == 0) return true;
  return m.message >= low && m.message <= high;
}

}  // namespace

namespace win32 {

HINSTANCE GetModuleHandle(const char* module) {
  return module == nullptr ? program_instance : 0;
}

ATOM RegisterClass(const WNDCLASS* window_class) {
  if (fails("RegisterClass")) return 0;
  if (window_class == nullptr || window_class->lpfnWndProc == nullptr ||
      window_class->lpszClassName == nullptr || window_class->lpszClassName[0] == '\0')
    return 0;
  const std::string key = upper(window_class->lpszClassName);
  if (sys().classes.count(key)) return 0;  // Win32 refuses a second class of the same name
  class_record record{*window_class, window_class->lpszClassName};
  sys().classes.emplace(key, std::move(record));
  return sys().next_atom++;
}

HWND CreateWindowEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU, HINSTANCE, void*) {
  if (fails("CreateWindowEx")) return 0;
  auto cls = sys().classes.find(upper(class_name));
  if (cls == sys().classes.end()) return 0;
  if ((style & WS_CHILD) && parent == 0) return 0;  // a child needs a parent
  if (parent != 0 && !find(parent)) return 0;

  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    int sw = 0, sh = 0;
    platform::detail::backend_screen_size(sw, sh);
    width = sw;
    height = sh;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);

  window_record record;
  record.procedure = cls->second.window_class.lpfnWndProc;
  record.style = style;
  record.ex_style = ex_style;
  record.parent = parent;
  record.rect = {x, y, x + width, y + height};
  const HWND handle = sys().next_window;
  sys().next_window += 0x10;
  sys().windows.emplace(handle, record);

  platform::detail::window_description description;
  description.handle = handle;
  description.title = title ? title : "";
  description.visible = false;
  description.topmost = (ex_style & WS_EX_TOPMOST) != 0;
  description.child = (style & WS_CHILD) != 0;
  description.icon = cls->second.window_class.hIcon;
  if (!platform::detail::backend_create_window(description)) {
    sys().windows.erase(handle);
    return 0;
  }

  if (SendMessage(handle, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(handle);
    return 0;
  }
  if (!find(handle)) return 0;  // destroyed while being created
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL ShowWindow(HWND window, int command) {
  window_record* w = find_own(window);
  if (!w) return FALSE;
  const bool was_visible = w->visible;
  const bool was_minimized = w->minimized;
  switch (command) {
    case SW_HIDE:
      w->visible = false;
      break;
    case SW_MINIMIZE:
      w->visible = true;
      w->minimized = true;
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      w->visible = true;
      w->minimized = false;
      break;
    default:
      w->visible = true;
      break;
  }
  if (w->visible == was_visible && w->minimized == was_minimized) return was_visible;
  if (w->visible && !was_visible) w->needs_paint = true;
  const bool top_level = !(w->style & WS_CHILD);
  const bool minimized = w->minimized;
  const bool activate = top_level && w->visible && (!was_visible || minimized != was_minimized);
  if (activate) w->active = !minimized;
  platform::detail::backend_show_window(window, w->visible, minimized);
  // activation news reach the window procedure before the call returns, as on Win32
  if (activate) send_activate(window, !minimized, minimized);
  return was_visible;
}

BOOL UpdateWindow(HWND window) {
  if (fails("UpdateWindow")) return FALSE;
  window_record* w = find_own(window);
  if (!w) return FALSE;
  if (w->needs_paint && w->visible) {
    w->needs_paint = false;
    SendMessage(window, WM_PAINT, 0, 0);
  }
  return TRUE;
}

HDC GetDC(HWND window) {
  if (fails("GetDC")) return 0;
  if (!find_own(window)) return 0;
  const HDC dc = sys().next_dc++;
  sys().device_contexts.emplace(dc, window);
  return dc;
}

int ReleaseDC(HWND window, HDC dc) {
  if (fails("ReleaseDC")) return 0;
  auto it = sys().device_contexts.find(dc);
  if (it == sys().device_contexts.end() || it->second != window) return 0;
  sys().device_contexts.erase(it);
  return 1;
}

BOOL DestroyWindow(HWND window) {
  window_record* w = find_own(window);
  if (!w || w->destroying) return FALSE;
  w->destroying = true;
  SendMessage(window, WM_DESTROY, 0, 0);

  // children and owned windows go with their parent
  std::vector<HWND> dependants;
  for (const auto& [handle, record] : sys().windows)
    if (record.parent == window && !record.foreign) dependants.push_back(handle);
  for (HWND d : dependants) DestroyWindow(d);

  for (auto it = sys().device_contexts.begin(); it != sys().device_contexts.end();)
    it = it->second == window ? sys().device_contexts.erase(it) : std::next(it);
  std::erase_if(sys().queue, [window](const MSG& m) { return m.hwnd == window; });
  sys().windows.erase(window);
  platform::detail::backend_destroy_window(window);
  return TRUE;
}

BOOL IsWindow(HWND window) {
  return find(window) ? TRUE : FALSE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  window_record* w = find_own(window);
  if (!w || placement == nullptr) return FALSE;
  const int command = static_cast<int>(placement->showCmd);
  if (command == SW_SHOWNORMAL || command == SW_RESTORE) w->rect = placement->rcNormalPosition;
  ShowWindow(window, command);
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (!find(window) || rect == nullptr) return FALSE;
  *rect = screen_rect_of(window);
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  if (fails("GetClientRect")) return FALSE;
  const window_record* w = find(window);
  if (!w || rect == nullptr) return FALSE;
  *rect = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  window_record* w = find_own(window);
  if (!w) return FALSE;
  w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  if (repaint) w->needs_paint = true;
  return TRUE;
}

LONG GetWindowLong(HWND window, int index) {
  const window_record* w = find(window);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->ex_style);
    case GWL_HWNDPARENT:
      return static_cast<LONG>(w->parent);
    default:
      return 0;
  }
}

HICON LoadIcon(HINSTANCE instance, WORD resource) {
  if (fails("LoadIcon")) return 0;
  if (instance == 0 && resource == IDI_APPLICATION)
    return platform::detail::system_application_icon;
  if (instance == program_instance && resource == program_icon_resource)
    return platform::detail::program_icon;
  return 0;
}

HCURSOR LoadCursor(HINSTANCE instance, WORD resource) {
  if (instance == 0 && resource == IDC_ARROW) return platform::detail::arrow_cursor;
  return 0;
}

HGDIOBJ GetStockObject(int object) {
  // Win32's stock objects are numbered 0 to 19, 9 unused
  if (object < 0 || object > 19 || object == 9) return 0;
  return stock_object_base + static_cast<HGDIOBJ>(object);
}

BOOL DrawIcon(HDC dc, int, int, HICON icon) {
  // the window's picture comes from the presenter alone, so there is nothing to draw into;
  // the call checks its arguments as Win32 would
  if (!sys().device_contexts.count(dc)) return FALSE;
  return icon == platform::detail::system_application_icon || icon == platform::detail::program_icon
             ? TRUE
             : FALSE;
}

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
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT))
        SendMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
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

int MessageBox(HWND, const char* text, const char* caption, UINT type) {
  return platform::detail::backend_message_box(caption ? caption : "", text ? text : "", type);
}

DWORD GetTickCount() {
  return sys().test_clock ? sys().test_clock() : platform::detail::backend_milliseconds();
}

int ShowCursor(BOOL show) {
  int& counter = sys().cursor_counter;
  counter += show ? 1 : -1;
  platform::detail::backend_cursor_visible(counter >= 0);
  return counter;
}

int GetSystemMetrics(int index) {
  int width = 0, height = 0;
  platform::detail::backend_screen_size(width, height);
  if (index == SM_CXSCREEN) return width;
  if (index == SM_CYSCREEN) return height;
  return 0;
}

BOOL EnumDisplaySettings(const char*, DWORD index, DEVMODE* mode) {
  if (mode == nullptr) return FALSE;
  return platform::detail::backend_display_mode(index, *mode) ? TRUE : FALSE;
}

LONG ChangeDisplaySettings(DEVMODE* mode, DWORD) {
  return platform::detail::backend_change_display_mode(mode) ? DISP_CHANGE_SUCCESSFUL
                                                             : DISP_CHANGE_FAILED;
}

}  // namespace win32

namespace platform {

std::vector<std::string> program_arguments() {
  if (sys().arguments) return *sys().arguments;
  // the kernel keeps the command line as zero-terminated words, the program name first
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> words;
  std::string word;
  while (std::getline(in, word, '\0')) words.push_back(word);
  if (!words.empty()) words.erase(words.begin());
  return words;
}

void box_to_standard_error(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s\n%s\n", caption.c_str(), detail::box_lines(text).c_str());
  std::fflush(stderr);
}

namespace detail {

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
  post_message(window, message, virtual_key, static_cast<LPARAM>(bits));
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

std::string box_lines(const std::string& text) {
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  return lines;
}

void window_state_changed(win32::HWND window, bool minimized, bool active) {
  window_record* w = find_own(window);
  if (!w || (w->minimized == minimized && w->active == active)) return;
  if (w->minimized && !minimized) w->needs_paint = true;
  w->minimized = minimized;
  w->active = active;
  post_message(window, WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, minimized ? 1 : 0),
               0);
}

win32::HWND top_window() {
  for (auto it = sys().windows.rbegin(); it != sys().windows.rend(); ++it)
    if (!it->second.foreign && !(it->second.style & WS_CHILD)) return it->first;
  return 0;
}

bool add_foreign_window(win32::HWND window, const win32::RECT& screen_rect) {
  if (window == 0 || find(window)) return false;
  window_record record;
  record.foreign = true;
  record.visible = true;
  record.rect = screen_rect;
  sys().windows.emplace(window, record);
  return true;
}

void reset_window_system() {
  auto& s = sys();
  for (const auto& [handle, record] : s.windows)
    if (!record.foreign) backend_destroy_window(handle);
  s.classes.clear();
  s.windows.clear();
  s.queue.clear();
  s.quit_posted = false;
  s.quit_code = 0;
  s.device_contexts.clear();
  s.failing_calls.clear();
  forget_mouse_position();
}

void set_program_arguments(std::vector<std::string> arguments) {
  sys().arguments = std::move(arguments);
}

void clear_program_arguments() {
  sys().arguments.reset();
}

void set_test_clock(std::function<win32::DWORD()> clock) {
  sys().test_clock = std::move(clock);
}

void fail_next_call(const std::string& call) {
  sys().failing_calls.insert(call);
}

void observe_system_commands(std::function<void(win32::WPARAM)> observer) {
  sys().system_command_observer = std::move(observer);
}

}  // namespace detail
}  // namespace platform
