// platform (Windows): the Win32 subset of win32.hpp onto Windows itself. Each name calls its
// Windows function, with the units' UTF-8 texts through the wide functions; no stand-in and no
// backend. The one window procedure Windows calls lets the presenter see each message first
// (windows_presenter.hpp), then calls the units' procedure.
//
// Where this differs from a plain call: a window class of the units gets this procedure in front
// of its own; PeekMessage waits for input a little while the program's window is minimised and
// nothing is queued, so that a program that polls does not spin.
#include "command_line.hpp"
#include "win32.hpp"
#include "windows_presenter.hpp"
#include "windows_text.hpp"

// win32.hpp comes first: <windows.h> defines most of its names as macros
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#undef ChangeDisplaySettings
#undef CreateWindowEx
#undef DefWindowProc
#undef DEVMODE
#undef DispatchMessage
#undef EnumDisplaySettings
#undef GetModuleHandle
#undef GetWindowLong
#undef LoadCursor
#undef LoadIcon
#undef MessageBox
#undef PeekMessage
#undef PostMessage
#undef RegisterClass
#undef SendMessage
#undef WNDCLASS

namespace {

::HWND native(win32::HWND window) {
  return reinterpret_cast<::HWND>(window);
}
win32::HWND ours(::HWND window) {
  return reinterpret_cast<win32::HWND>(window);
}
template <typename Handle>
Handle native_handle(win32::HANDLE handle) {
  return reinterpret_cast<Handle>(handle);
}
win32::HANDLE our_handle(const void* handle) {
  return reinterpret_cast<win32::HANDLE>(handle);
}

// The units' window procedures by the atom of their class, and the class names kept alive.
std::map<ATOM, win32::WNDPROC>& procedures() {
  static std::map<ATOM, win32::WNDPROC> by_atom;
  return by_atom;
}

LRESULT CALLBACK window_procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
  const auto found = procedures().find(atom);
  if (found == procedures().end()) return DefWindowProcW(window, message, wParam, lParam);
  std::uintptr_t w = wParam;
  std::intptr_t l = lParam;
  std::intptr_t result = 0;
  if (platform::windows::presenter_message(window, message, w, l, result)) return result;
  return found->second(ours(window), message, w, l);
}

win32::RECT our_rect(const ::RECT& r) {
  return {static_cast<win32::LONG>(r.left), static_cast<win32::LONG>(r.top),
          static_cast<win32::LONG>(r.right), static_cast<win32::LONG>(r.bottom)};
}
win32::POINT our_point(const ::POINT& p) {
  return {static_cast<win32::LONG>(p.x), static_cast<win32::LONG>(p.y)};
}

::MSG native_message(const win32::MSG& m) {
  ::MSG n{};
  n.hwnd = native(m.hwnd);
  n.message = m.message;
  n.wParam = m.wParam;
  n.lParam = m.lParam;
  n.time = m.time;
  n.pt = {m.pt.x, m.pt.y};
  return n;
}

// The program's own top-level windows, for PeekMessage's wait while they are minimised.
BOOL CALLBACK any_minimised(::HWND window, LPARAM found) {
  if (IsIconic(window)) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

bool program_minimised() {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), any_minimised, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

namespace win32 {

HINSTANCE GetModuleHandle(const char* module) {
  if (module == nullptr) return our_handle(GetModuleHandleW(nullptr));
  return our_handle(GetModuleHandleW(platform::detail::widen(module).c_str()));
}

ATOM RegisterClass(const WNDCLASS* window_class) {
  if (window_class == nullptr || window_class->lpfnWndProc == nullptr ||
      window_class->lpszClassName == nullptr)
    return 0;
  const std::wstring name = platform::detail::widen(window_class->lpszClassName);
  const std::wstring menu =
      window_class->lpszMenuName ? platform::detail::widen(window_class->lpszMenuName) : L"";
  WNDCLASSW native_class{};
  native_class.style = window_class->style;
  native_class.lpfnWndProc = window_procedure;
  native_class.cbClsExtra = window_class->cbClsExtra;
  native_class.cbWndExtra = window_class->cbWndExtra;
  native_class.hInstance = native_handle<::HINSTANCE>(window_class->hInstance);
  native_class.hIcon = native_handle<::HICON>(window_class->hIcon);
  native_class.hCursor = native_handle<::HCURSOR>(window_class->hCursor);
  native_class.hbrBackground = native_handle<::HBRUSH>(window_class->hbrBackground);
  native_class.lpszMenuName = window_class->lpszMenuName ? menu.c_str() : nullptr;
  native_class.lpszClassName = name.c_str();
  const ATOM atom = RegisterClassW(&native_class);
  if (atom != 0) procedures()[atom] = window_class->lpfnWndProc;
  return atom;
}

HWND CreateWindowEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    void* param) {
  const std::wstring wide_class = platform::detail::widen(class_name ? class_name : "");
  const std::wstring wide_title = platform::detail::widen(title ? title : "");
  return ours(CreateWindowExW(ex_style, wide_class.c_str(), wide_title.c_str(), style, x, y, width,
                              height, native(parent), native_handle<::HMENU>(menu),
                              native_handle<::HINSTANCE>(instance), param));
}

BOOL ShowWindow(HWND window, int command) {
  return ::ShowWindow(native(window), command);
}

BOOL UpdateWindow(HWND window) {
  return ::UpdateWindow(native(window));
}

HDC GetDC(HWND window) {
  return our_handle(::GetDC(native(window)));
}

int ReleaseDC(HWND window, HDC dc) {
  return ::ReleaseDC(native(window), native_handle<::HDC>(dc));
}

BOOL DestroyWindow(HWND window) {
  return ::DestroyWindow(native(window));
}

BOOL IsWindow(HWND window) {
  return ::IsWindow(native(window));
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  if (placement == nullptr) return FALSE;
  ::WINDOWPLACEMENT p{};
  p.length = sizeof p;
  p.flags = placement->flags;
  p.showCmd = placement->showCmd;
  p.ptMinPosition = {placement->ptMinPosition.x, placement->ptMinPosition.y};
  p.ptMaxPosition = {placement->ptMaxPosition.x, placement->ptMaxPosition.y};
  const RECT& r = placement->rcNormalPosition;
  p.rcNormalPosition = {r.left, r.top, r.right, r.bottom};
  return ::SetWindowPlacement(native(window), &p);
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  ::RECT r{};
  if (rect == nullptr || !::GetWindowRect(native(window), &r)) return FALSE;
  *rect = our_rect(r);
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  ::RECT r{};
  if (rect == nullptr || !::GetClientRect(native(window), &r)) return FALSE;
  *rect = our_rect(r);
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return ::MoveWindow(native(window), x, y, width, height, repaint);
}

LONG GetWindowLong(HWND window, int index) {
  // a window handle keeps its meaning in 32 bits on 64-bit Windows
  return static_cast<LONG>(GetWindowLongPtrW(native(window), index));
}

HICON LoadIcon(HINSTANCE instance, WORD resource) {
  return our_handle(LoadIconW(native_handle<::HINSTANCE>(instance), MAKEINTRESOURCEW(resource)));
}

HCURSOR LoadCursor(HINSTANCE instance, WORD resource) {
  return our_handle(LoadCursorW(native_handle<::HINSTANCE>(instance), MAKEINTRESOURCEW(resource)));
}

HGDIOBJ GetStockObject(int object) {
  return our_handle(::GetStockObject(object));
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return ::DrawIcon(native_handle<::HDC>(dc), x, y, native_handle<::HICON>(icon));
}

void PostQuitMessage(int exit_code) {
  ::PostQuitMessage(exit_code);
}

BOOL PeekMessage(MSG* msg, HWND window, UINT filter_min, UINT filter_max, UINT remove) {
  if (msg == nullptr) return FALSE;
  ::MSG m{};
  BOOL got = PeekMessageW(&m, native(window), filter_min, filter_max, remove);
  if (!got && program_minimised()) {
    // nothing to do while minimised: wait for input, a little, instead of spinning
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    got = PeekMessageW(&m, native(window), filter_min, filter_max, remove);
  }
  if (!got) return FALSE;
  *msg =
      MSG{ours(m.hwnd), m.message, m.wParam, m.lParam, static_cast<DWORD>(m.time), our_point(m.pt)};
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  const ::MSG m = native_message(*msg);
  return ::TranslateMessage(&m);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (msg == nullptr) return 0;
  const ::MSG m = native_message(*msg);
  return DispatchMessageW(&m);
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(native(window), message, wParam, lParam);
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(native(window), message, wParam, lParam);
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageW(native(window), message, wParam, lParam);
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxW(native(owner), platform::detail::widen(text ? text : "").c_str(),
                     platform::detail::widen(caption ? caption : "").c_str(), type);
}

DWORD GetTickCount() {
  return ::GetTickCount();
}

int ShowCursor(BOOL show) {
  return ::ShowCursor(show);
}

int GetSystemMetrics(int index) {
  return ::GetSystemMetrics(index);
}

BOOL EnumDisplaySettings(const char* device, DWORD index, DEVMODE* mode) {
  if (mode == nullptr) return FALSE;
  const std::wstring name = device ? platform::detail::widen(device) : L"";
  DEVMODEW m{};
  m.dmSize = sizeof m;
  if (!EnumDisplaySettingsW(device ? name.c_str() : nullptr, index, &m)) return FALSE;
  mode->dmBitsPerPel = m.dmBitsPerPel;
  mode->dmPelsWidth = m.dmPelsWidth;
  mode->dmPelsHeight = m.dmPelsHeight;
  mode->dmDisplayFrequency = m.dmDisplayFrequency;
  return TRUE;
}

LONG ChangeDisplaySettings(DEVMODE* mode, DWORD flags) {
  if (mode == nullptr) return ChangeDisplaySettingsW(nullptr, flags);
  DEVMODEW m{};
  m.dmSize = sizeof m;
  m.dmBitsPerPel = mode->dmBitsPerPel;
  m.dmPelsWidth = mode->dmPelsWidth;
  m.dmPelsHeight = mode->dmPelsHeight;
  m.dmDisplayFrequency = mode->dmDisplayFrequency;
  m.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT |
               (mode->dmDisplayFrequency != 0 ? DM_DISPLAYFREQUENCY : 0);
  return ChangeDisplaySettingsW(&m, flags);
}

}  // namespace win32

namespace platform {

std::vector<std::string> program_arguments() {
  return detail::process_arguments();
}

void box_to_standard_error(const std::string& caption, const std::string& text) {
  std::string lines = text;
  for (char& c : lines)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n%s\n", caption.c_str(), lines.c_str());
  std::fflush(stderr);
}

}  // namespace platform
