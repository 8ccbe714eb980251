// platform: the headless backend, for tests, benchmarks and batch rendering: no window system;
// boxes, windows and frames are observable, and input is injected by the caller (headless.hpp).
//
// What it cannot do:
// - show anything: a box is recorded and written to standard error, and answered at once (OK, or
//   the yes/no answer a test set); a window is a title and two flags; frames are kept in memory;
// - receive input of its own: every message comes from the caller;
// - pace frames: each is taken as it comes;
// - start the screen saver or switch the monitor off (system commands are only recorded).
#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>

#include "backend.hpp"
#include "headless.hpp"
#include "user_services.hpp"

namespace {

struct window_state {
  std::string title;
  bool visible = false;
  bool minimized = false;
};

struct headless_state {
  std::vector<headless::shown_box> boxes;
  int yes_no_answer = win32::IDNO;
  bool cursor = true;
  bool restored = true;
  std::vector<win32::DEVMODE> modes{{32, 1024, 768, 60}, {16, 800, 600, 60}};
  int desktop_width = 1024, desktop_height = 768;
  win32::DEVMODE current{};
  bool changed = false;
  std::map<win32::HWND, window_state> windows;
  std::vector<win32::WPARAM> system_commands;
  std::function<void()> idle_hook;
  bool open = false;
  int width = 0, height = 0;
  std::uint64_t frames = 0;
  std::vector<std::uint16_t> last;
  bool keep_all = false;
  std::vector<std::vector<std::uint16_t>> all;
  // the size the frames are shown at (0: the frame's own), and the last frame drawn at it
  int shown_width = 0, shown_height = 0;
  int large_width = 0, large_height = 0;
  std::uint64_t large_frames = 0;
  // large frames given with their changed rectangles, and the pixels they changed outside them
  std::uint64_t large_told = 0, large_untold = 0;
  std::vector<std::uint16_t> large;
  std::string clipboard;
  std::string shared_line;
};

headless_state& state() {
  static headless_state s;
  return s;
}

// The system commands are recorded from the start.
[[maybe_unused]] const bool observing_system_commands = [] {
  platform::detail::observe_system_commands(
      [](win32::WPARAM command) { state().system_commands.push_back(command); });
  return true;
}();

}  // namespace

namespace platform::detail {

int backend_message_box(const std::string& caption, const std::string& text, win32::UINT type) {
  state().boxes.push_back({caption, text, type});
  platform::box_to_standard_error(caption, text);
  return (type & 0xF) == win32::MB_YESNO ? state().yes_no_answer : win32::IDOK;
}

win32::DWORD backend_milliseconds() {
  static const auto start = std::chrono::steady_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  return static_cast<win32::DWORD>(ms);
}

void backend_cursor_visible(bool visible) {
  state().cursor = visible;
}

bool backend_create_window(const window_description& window) {
  state().windows[window.handle] = {window.title, window.visible, false};
  return true;
}

void backend_destroy_window(win32::HWND window) {
  state().windows.erase(window);
}

void backend_show_window(win32::HWND window, bool visible, bool minimized) {
  auto& w = state().windows[window];
  w.visible = visible;
  w.minimized = minimized;
  state().restored = !minimized;
}

void backend_pump(bool queue_empty) {
  if (queue_empty && state().idle_hook) state().idle_hook();
}

void backend_screen_size(int& width, int& height) {
  const auto& s = state();
  width = s.changed ? static_cast<int>(s.current.dmPelsWidth) : s.desktop_width;
  height = s.changed ? static_cast<int>(s.current.dmPelsHeight) : s.desktop_height;
}

bool backend_display_mode(win32::DWORD index, win32::DEVMODE& mode) {
  if (index >= state().modes.size()) return false;
  mode = state().modes[index];
  return true;
}

bool backend_change_display_mode(const win32::DEVMODE* mode) {
  state().current = mode ? *mode : win32::DEVMODE{};
  state().changed = mode != nullptr;
  return true;
}

bool backend_present_open(win32::HWND, int width, int height) {
  auto& s = state();
  s.open = true;
  s.width = width;
  s.height = height;
  s.last.assign(static_cast<std::size_t>(width) * height, 0);
  return true;
}

void backend_present(const void* pixels) {
  auto& s = state();
  if (!s.open) return;
  std::memcpy(s.last.data(), pixels, s.last.size() * sizeof(std::uint16_t));
  ++s.frames;
  if (s.keep_all) s.all.push_back(s.last);
}

void backend_present_shown_size(int& width, int& height) {
  auto& s = state();
  width = s.shown_width > 0 ? s.shown_width : s.width;
  height = s.shown_height > 0 ? s.shown_height : s.height;
}

void backend_present_large(const void* pixels, int width, int height, const win32::RECT* changed,
                           int count) {
  auto& s = state();
  if (!s.open) return;
  const auto* p = static_cast<const std::uint16_t*>(pixels);
  if (changed != nullptr && s.large_width == width && s.large_height == height) {
    // the pixels that differ from the large frame before outside the rectangles told
    ++s.large_told;
    std::vector<bool> told(static_cast<std::size_t>(width) * height, false);
    for (int k = 0; k < count; ++k)
      for (long y = std::max<long>(changed[k].top, 0);
           y < std::min<long>(changed[k].bottom, height); ++y)
        for (long x = std::max<long>(changed[k].left, 0);
             x < std::min<long>(changed[k].right, width); ++x)
          told[static_cast<std::size_t>(y) * width + x] = true;
    for (std::size_t i = 0; i < told.size(); ++i) s.large_untold += !told[i] && p[i] != s.large[i];
  }
  s.large_width = width;
  s.large_height = height;
  s.large.assign(p, p + static_cast<std::size_t>(width) * height);
  ++s.frames;
  ++s.large_frames;
}

void backend_present_close() {
  state().open = false;
}

}  // namespace platform::detail

namespace platform {

bool copy_to_clipboard(const std::string& text) {
  state().clipboard = text;
  return true;
}

bool offer_download(const std::string&, const std::string&, const std::string&) {
  return false;
}

void share_figure_line(const std::string& line) {
  state().shared_line = line;
}

}  // namespace platform

namespace headless {

const std::string& clipboard_text() {
  return state().clipboard;
}
const std::string& shared_figure_line() {
  return state().shared_line;
}
void clear_user_services() {
  state().clipboard.clear();
  state().shared_line.clear();
}

const std::vector<shown_box>& message_boxes() {
  return state().boxes;
}
void clear_message_boxes() {
  state().boxes.clear();
}
void set_yes_no_answer(int answer) {
  state().yes_no_answer = answer;
}
void set_clock(std::function<win32::DWORD()> clock) {
  platform::detail::set_test_clock(std::move(clock));
}
bool cursor_visible() {
  return state().cursor;
}

void set_display_modes(std::vector<win32::DEVMODE> modes) {
  state().modes = std::move(modes);
}
void set_desktop_size(int width, int height) {
  state().desktop_width = width;
  state().desktop_height = height;
}
const win32::DEVMODE& current_display_mode() {
  return state().current;
}
bool display_mode_changed() {
  return state().changed;
}

void reset_window_system() {
  platform::detail::reset_window_system();
  platform::detail::clear_program_arguments();
  auto& s = state();
  s.windows.clear();
  s.system_commands.clear();
  s.idle_hook = nullptr;
  s.restored = true;
}
win32::HWND top_window() {
  return platform::detail::top_window();
}
bool window_restored() {
  return state().restored;
}
bool window_visible(win32::HWND window) {
  auto it = state().windows.find(window);
  return it != state().windows.end() && it->second.visible;
}
std::string window_title(win32::HWND window) {
  auto it = state().windows.find(window);
  return it == state().windows.end() ? std::string() : it->second.title;
}
bool add_foreign_window(win32::HWND window, const win32::RECT& screen_rect) {
  return platform::detail::add_foreign_window(window, screen_rect);
}
void fail_next_call(const std::string& call) {
  platform::detail::fail_next_call(call);
}
const std::vector<win32::WPARAM>& system_commands() {
  return state().system_commands;
}
void set_program_arguments(std::vector<std::string> arguments) {
  platform::detail::set_program_arguments(std::move(arguments));
}
void set_idle_hook(std::function<void()> hook) {
  state().idle_hook = std::move(hook);
}

void post_message(win32::UINT message, win32::WPARAM wParam, win32::LPARAM lParam) {
  platform::detail::post_message(platform::detail::top_window(), message, wParam, lParam);
}
void mouse_move(int x, int y, win32::WPARAM buttons) {
  post_message(win32::WM_MOUSEMOVE, buttons,
               win32::MAKELPARAM(static_cast<win32::WORD>(x), static_cast<win32::WORD>(y)));
}
void key(win32::WORD virtual_key, bool down, win32::WORD character) {
  platform::detail::post_key(platform::detail::top_window(), virtual_key, down, false, false);
  if (down && character != 0)
    platform::detail::post_character(platform::detail::top_window(), character);
}
void activate(bool minimized) {
  platform::detail::window_state_changed(platform::detail::top_window(), minimized, !minimized);
}
void close() {
  post_message(win32::WM_CLOSE);
}

bool presenter_open() {
  return state().open;
}
int presenter_width() {
  return state().width;
}
int presenter_height() {
  return state().height;
}
std::uint64_t frames_presented() {
  return state().frames;
}
const std::vector<std::uint16_t>& last_frame() {
  return state().last;
}
void set_shown_size(int width, int height) {
  auto& s = state();
  s.shown_width = width;
  s.shown_height = height;
  s.large_frames = s.large_told = s.large_untold = 0;
  s.large.clear();
  s.large_width = s.large_height = 0;
}
std::uint64_t large_frames_presented() {
  return state().large_frames;
}
const std::vector<std::uint16_t>& last_large_frame(int& width, int& height) {
  width = state().large_width;
  height = state().large_height;
  return state().large;
}
std::uint64_t large_frames_told_changes() {
  return state().large_told;
}
std::uint64_t large_pixels_changed_untold() {
  return state().large_untold;
}
void keep_presented_frames(bool keep) {
  state().keep_all = keep;
}
const std::vector<std::vector<std::uint16_t>>& presented_frames() {
  return state().all;
}

}  // namespace headless
