// platform: the Win32 subset, with the behaviour shared by every backend.
#include "win32.hpp"

#include <string>

#include "backend.hpp"

namespace win32 {

namespace {
int cursor_counter = 0;  // Win32's display counter starts at 0: shown
}

int MessageBox(HWND, const char* text, const char* caption, UINT type) {
  return platform::detail::backend_message_box(caption ? caption : "", text ? text : "", type);
}

DWORD GetTickCount() { return platform::detail::backend_tick_count(); }

int ShowCursor(BOOL show) {
  cursor_counter += show ? 1 : -1;
  platform::detail::backend_cursor_visible(cursor_counter >= 0);
  return cursor_counter;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  if (window == 0 || placement == nullptr) return FALSE;
  if (placement->showCmd == SW_MINIMIZE) platform::detail::backend_show_window(false);
  if (placement->showCmd == SW_RESTORE) platform::detail::backend_show_window(true);
  return TRUE;
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
