// platform: the headless backend: no window system; boxes, clock and frames are observable.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "backend.hpp"
#include "headless.hpp"

namespace {

struct headless_state {
  std::vector<headless::shown_box> boxes;
  int yes_no_answer = win32::IDNO;
  std::function<win32::DWORD()> clock;
  bool cursor = true;
  bool restored = true;
  std::vector<win32::DEVMODE> modes{{32, 1024, 768, 60}, {16, 800, 600, 60}};
  win32::DEVMODE current{};
  bool changed = false;
  bool open = false;
  int width = 0, height = 0;
  std::uint64_t frames = 0;
  std::vector<std::uint16_t> last;
  bool keep_all = false;
  std::vector<std::vector<std::uint16_t>> all;
};

headless_state& state() {
  static headless_state s;
  return s;
}

win32::DWORD real_clock() {
  static const auto start = std::chrono::steady_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start)
                .count();
  return static_cast<win32::DWORD>(ms);
}

}  // namespace

namespace platform::detail {

int backend_message_box(const std::string& caption, const std::string& text, win32::UINT type) {
  state().boxes.push_back({caption, text, type});
  // the box text uses carriage returns between lines; standard error wants newlines
  std::string shown = text;
  for (char& c : shown)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n%s\n", caption.c_str(), shown.c_str());
  std::fflush(stderr);
  return (type & 0xF) == win32::MB_YESNO ? state().yes_no_answer : win32::IDOK;
}

win32::DWORD backend_tick_count() { return state().clock ? state().clock() : real_clock(); }

void backend_cursor_visible(bool visible) { state().cursor = visible; }

void backend_show_window(bool restored) { state().restored = restored; }

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

void backend_present_close() { state().open = false; }

}  // namespace platform::detail

namespace headless {

const std::vector<shown_box>& message_boxes() { return state().boxes; }
void clear_message_boxes() { state().boxes.clear(); }
void set_yes_no_answer(int answer) { state().yes_no_answer = answer; }
void set_clock(std::function<win32::DWORD()> clock) { state().clock = std::move(clock); }
bool cursor_visible() { return state().cursor; }
bool window_restored() { return state().restored; }
void set_display_modes(std::vector<win32::DEVMODE> modes) { state().modes = std::move(modes); }
const win32::DEVMODE& current_display_mode() { return state().current; }
bool display_mode_changed() { return state().changed; }
bool presenter_open() { return state().open; }
int presenter_width() { return state().width; }
int presenter_height() { return state().height; }
std::uint64_t frames_presented() { return state().frames; }
const std::vector<std::uint16_t>& last_frame() { return state().last; }
void keep_presented_frames(bool keep) { state().keep_all = keep; }
const std::vector<std::vector<std::uint16_t>>& presented_frames() { return state().all; }

}  // namespace headless
