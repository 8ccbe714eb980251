// platform: the Win32 subset's system services (boxes, the clock, the cursor, the screen and
// its display modes) and the program's command line.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "backend.hpp"
#include "command_line.hpp"
#include "win32_state.hpp"

using win32::detail::sys;

namespace win32 {

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
  return detail::process_arguments();
}

void box_to_standard_error(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s\n%s\n", caption.c_str(), detail::box_lines(text).c_str());
  std::fflush(stderr);
}

namespace detail {

std::string box_lines(const std::string& text) {
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  return lines;
}

}  // namespace detail
}  // namespace platform
