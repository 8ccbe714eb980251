// platform: the Win32 subset's classes and windows (creation, showing, placement, device
// contexts, resources), and the window-state news a backend reports.
#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>

#include "backend.hpp"
#include "win32_state.hpp"

namespace {

using namespace win32;
using namespace win32::detail;

std::string upper(const char* text) {
  std::string s = text ? text : "";
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
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

void send_activate(HWND window, bool active, bool minimized) {
  SendMessage(window, WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, minimized ? 1 : 0),
              0);
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
  if (width == CW_USEDEFAULT && (style & (WS_POPUP | WS_CHILD))) {
    // a default size means nothing to a pop-up or child window: Windows gives it none
    width = height = 0;
  } else if (width == CW_USEDEFAULT) {
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

}  // namespace win32

namespace platform::detail {

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

}  // namespace platform::detail
