// platform: the test hooks of the Win32 subset: windows of other programs, a fresh window
// system, a command line, a clock, failures on demand and an observer of system commands.
#include "backend.hpp"
#include "win32_state.hpp"

namespace win32::detail {

// A failure a test asked for; each is spent by the call it names.
bool fails(const char* call) {
  auto& failing = sys().failing_calls;
  auto it = failing.find(call);
  if (it == failing.end()) return false;
  failing.erase(it);
  return true;
}

}  // namespace win32::detail

namespace platform::detail {

using namespace win32;
using win32::detail::find;
using win32::detail::sys;
using win32::detail::window_record;

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

}  // namespace platform::detail
