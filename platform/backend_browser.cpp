// platform: the browser backend (WebAssembly through Emscripten): frames on the page's canvas,
// the page's pointer and key events as messages, message boxes as dialogs in the page. The
// program keeps its own loop: it hands the thread to the browser once per presented frame (until
// the next animation frame), and whenever it has held the thread for a while (its busy waits).
//
// What it cannot do:
// - change the display mode: the canvas is the one mode there is (800 x 600 x 16), scaled to the
//   page by the browser;
// - move, size, hide or minimise the window: the canvas fills the page; the page being hidden
//   (another tab, a minimised browser) is what counts as minimised;
// - ask to close the window: a page has no close request the program could see; leaving the page
//   simply ends the program;
// - show a second window, or a child window inside another program's window;
// - start the screen saver or switch the monitor off (such system commands are dropped);
// - give a key's scan code: the page's key events carry none;
// - keep files: a saved figure is offered as downloads, and the pictures folder is none.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "backend.hpp"
#include "user_services.hpp"

// The page's side: platform/browser/vexel_page.js.
extern "C" {
double vexel_page_now();
void vexel_page_wait_frame();
void vexel_page_pause(int ms);
void vexel_page_open(int open, const char* title);
void vexel_page_frame_size(int width, int height);
void vexel_page_show(const void* rgba, const std::int32_t* areas, int count);
void vexel_page_cursor(int visible);
int vexel_page_next_event(std::int32_t* event);
int vexel_page_box(const char* caption, const char* text, int yes_no, int stop);
int vexel_page_download(const char* name, const char* mime, const void* data, int size);
int vexel_page_copy(const char* text);
void vexel_page_share(const char* line);
}

namespace {

using namespace win32;

// The canvas the page gives, which is also the only display mode.
constexpr int canvas_width = 800, canvas_height = 600;
// The longest the program holds the thread in a busy wait before the page gets a turn.
constexpr double longest_hold_ms = 50.0;
// How long a wait lasts while the page is hidden and the program polls for its return.
constexpr int hidden_poll_ms = 100;

struct browser_state {
  HWND hwnd = 0;             // the program's window, 0 when there is none
  bool window_made = false;  // a window was made: the start-up calibration is over
  double away_ms = 0.0;      // time the page had the thread before the first window
  double held_since = 0.0;   // when the program last got the thread back
  bool hidden = false;       // the page is not on the screen
  bool frames_open = false;
  int frame_width = 0, frame_height = 0;
  std::vector<std::uint32_t> rgba;   // the frame as the canvas takes it
  std::vector<std::uint16_t> shown;  // the frame last converted, to find what changed
  std::vector<std::int32_t> areas;   // what changed in it: x, y, width, height each
  bool have_shown = false;
};

browser_state& state() {
  static browser_state s;
  return s;
}

// Gives the browser the thread: until its next animation frame, or for `ms` milliseconds.
// Before the first window exists the time the page had is left out of the clock, so that a
// busy wait there counts only the program's own time.
void hand_over(bool until_frame, int ms = 0) {
  browser_state& s = state();
  const double before = vexel_page_now();
  if (until_frame)
    vexel_page_wait_frame();
  else
    vexel_page_pause(ms);
  const double after = vexel_page_now();
  if (!s.window_made) s.away_ms += after - before;
  s.held_since = after;
}

// ---- events into messages -----------------------------------------------------------------------

enum event_kind : std::int32_t {
  pointer_move = 1,
  pointer_button = 2,
  key_event = 3,
  visibility = 4,
  typed_character = 5
};

void handle_event(const std::int32_t (&e)[5]) {
  browser_state& s = state();
  switch (e[0]) {
    case pointer_move:
      platform::detail::post_mouse_move(s.hwnd, e[1], e[2], static_cast<WPARAM>(e[3]));
      break;
    case pointer_button: {
      // the page's button: 0 left (also a touch or a pen tip), 1 middle, 2 right
      using platform::detail::mouse_button;
      constexpr mouse_button buttons[] = {mouse_button::left, mouse_button::middle,
                                          mouse_button::right};
      const int button = e[4] & 0xFF;
      if (button <= 2)
        platform::detail::post_mouse_button(s.hwnd, e[1], e[2], buttons[button],
                                            (e[4] & 0x100) != 0, static_cast<WPARAM>(e[3]));
      break;
    }
    case key_event:
      platform::detail::post_key(s.hwnd, static_cast<WORD>(e[1]), e[2] != 0, e[3] != 0, e[4] != 0);
      break;
    case typed_character:
      // the page sends it right after the key press that typed it (KeyboardEvent.key)
      platform::detail::post_character(s.hwnd, static_cast<WORD>(e[1]));
      break;
    case visibility:
      s.hidden = e[1] != 0;
      platform::detail::window_state_changed(s.hwnd, s.hidden, !s.hidden);
      break;
    default:
      break;
  }
}

// ---- the frame on the canvas --------------------------------------------------------------------

// Every 5-6-5 value as the canvas's RGBA word: 5 and 6 bits widened to 8 by repeating their top
// bits, so that the canvas shows 0 and full intensity exactly and the 5-6-5 value can be read
// back from it. The canvas's bytes are red, green, blue, alpha: little-endian words.
const std::vector<std::uint32_t>& rgba_of() {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> t(65536);
    for (std::uint32_t p = 0; p < t.size(); ++p) {
      const std::uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
      const std::uint32_t r8 = (r << 3) | (r >> 2), g8 = (g << 2) | (g >> 4),
                          b8 = (b << 3) | (b >> 2);
      t[p] = 0xFF000000u | (b8 << 16) | (g8 << 8) | r8;
    }
    return t;
  }();
  return table;
}

// A rectangle of the frame, corners inclusive; empty while x1 < x0.
struct area {
  int x0, y0, x1, y1;
  long pixels() const { return x1 < x0 ? 0 : static_cast<long>(x1 - x0 + 1) * (y1 - y0 + 1); }
};

// The rows of a band, whose changes the canvas takes as one rectangle: a line moving across the
// frame then costs the bands it crosses, not the rectangle around all of it.
constexpr int band_rows = 16;
// Two neighbouring rectangles become one when that puts at most this many unchanged pixels
// more: a rectangle has a cost of its own (a call into the canvas).
constexpr long merge_slack = 4096;

// The first and the last pixel of a row of `width` that differ between `now` and `before`; false
// when none does. Four pixels at a time: the C library's memcmp goes byte by byte here.
bool changed_span(const std::uint16_t* now, const std::uint16_t* before, int width, int& first,
                  int& last) {
  constexpr int step = 4;
  const auto four = [](const std::uint16_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  };
  int a = 0;
  while (a + step <= width && four(now + a) == four(before + a)) a += step;
  while (a < width && now[a] == before[a]) ++a;
  if (a == width) return false;
  // a differs, so both walks back stop at or after it
  int end = width;
  while (end - step >= a && four(now + end - step) == four(before + end - step)) end -= step;
  while (now[end - 1] == before[end - 1]) --end;
  first = a;
  last = end - 1;
  return true;
}

// Converts what differs between the frame and the one converted before (all of it the first
// time) in one pass through the table, and keeps a copy; gives the rectangles around the change
// (x, y, width, height each, in s.areas), so that the canvas takes, and the browser composes,
// only those parts.
void convert_changes(browser_state& s, const std::uint16_t* frame) {
  const std::uint32_t* table = rgba_of().data();
  const int w = s.frame_width;
  s.areas.clear();
  area last{0, 0, -1, -1};  // the rectangle not yet given: it may still grow
  const auto give = [&s](const area& a) {
    if (a.x1 >= a.x0) s.areas.insert(s.areas.end(), {a.x0, a.y0, a.x1 - a.x0 + 1, a.y1 - a.y0 + 1});
  };
  for (int band = 0; band < s.frame_height; band += band_rows) {
    area changed{w, 0, -1, -1};
    for (int y = band; y < std::min(band + band_rows, s.frame_height); ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * w;
      const std::uint16_t* now = frame + row;
      std::uint16_t* before = s.shown.data() + row;
      int a = 0, b = w - 1;
      if (s.have_shown && !changed_span(now, before, w, a, b)) continue;
      std::uint32_t* target = s.rgba.data() + row;
      for (int x = a; x <= b; ++x) target[x] = table[now[x]];
      std::memcpy(before + a, now + a, static_cast<std::size_t>(b - a + 1) * 2);
      if (changed.x1 < changed.x0) changed.y0 = y;
      changed = {std::min(changed.x0, a), changed.y0, std::max(changed.x1, b), y};
    }
    if (changed.x1 < changed.x0) continue;
    const area both{std::min(last.x0, changed.x0), last.y0, std::max(last.x1, changed.x1),
                    changed.y1};
    if (last.x1 >= last.x0 && both.pixels() - last.pixels() - changed.pixels() <= merge_slack) {
      last = both;
    } else {
      give(last);
      last = changed;
    }
  }
  give(last);
  s.have_shown = true;
}

}  // namespace

namespace platform::detail {

int backend_message_box(const std::string& caption, const std::string& text, UINT type) {
  const bool yes_no = (type & 0xF) == MB_YESNO;
  const bool stop = (type & 0xF0) == MB_ICONHAND;
  const int answer = vexel_page_box(caption.c_str(), box_lines(text).c_str(), yes_no, stop);
  state().held_since = vexel_page_now();
  if (yes_no) return answer == IDYES ? IDYES : IDNO;
  return IDOK;
}

DWORD backend_milliseconds() {
  browser_state& s = state();
  double now = vexel_page_now();
  // the busy waits (the window layer's wait after creating the window, the calibration's
  // slices) must not freeze the page
  if (now - s.held_since >= longest_hold_ms) {
    hand_over(false);
    now = vexel_page_now();
  }
  return static_cast<DWORD>(static_cast<std::uint64_t>(now - s.away_ms));
}

void backend_cursor_visible(bool visible) {
  vexel_page_cursor(visible ? 1 : 0);
}

bool backend_create_window(const window_description& window) {
  browser_state& s = state();
  // the page is one window
  if (window.child || s.hwnd != 0) return false;
  s.hwnd = window.handle;
  s.window_made = true;
  forget_mouse_position();
  vexel_page_open(1, window.title.c_str());
  return true;
}

void backend_destroy_window(HWND window) {
  browser_state& s = state();
  if (window != s.hwnd) return;
  s.hwnd = 0;
  // the canvas keeps the last frame presented
  vexel_page_open(0, "");
}

// The canvas stays as it is: the page cannot be hidden or minimised by the program.
void backend_show_window(HWND, bool, bool) {}

void backend_pump(bool queue_empty) {
  // while the page is hidden the program polls for its return; it need not spin meanwhile
  if (queue_empty && state().hidden) hand_over(false, hidden_poll_ms);
  if (state().hwnd == 0) return;
  std::int32_t event[5];
  while (vexel_page_next_event(event)) handle_event(event);
}

void backend_screen_size(int& width, int& height) {
  const browser_state& s = state();
  width = s.frames_open ? s.frame_width : canvas_width;
  height = s.frames_open ? s.frame_height : canvas_height;
}

bool backend_display_mode(DWORD index, DEVMODE& mode) {
  if (index != 0) return false;
  mode = {16, canvas_width, canvas_height, 60};
  return true;
}

bool backend_change_display_mode(const DEVMODE* mode) {
  return mode == nullptr || (mode->dmPelsWidth == canvas_width &&
                             mode->dmPelsHeight == canvas_height && mode->dmBitsPerPel == 16);
}

bool backend_present_open(HWND window, int width, int height) {
  browser_state& s = state();
  if (window != s.hwnd || window == 0) return false;
  s.frame_width = width;
  s.frame_height = height;
  s.rgba.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
  s.shown.assign(static_cast<std::size_t>(width) * height, 0);
  s.have_shown = false;
  s.frames_open = true;
  vexel_page_frame_size(width, height);
  return true;
}

void backend_present(const void* pixels) {
  browser_state& s = state();
  if (!s.frames_open) return;
  convert_changes(s, static_cast<const std::uint16_t*>(pixels));
  vexel_page_show(s.rgba.data(), s.areas.data(), static_cast<int>(s.areas.size() / 4));
  hand_over(true);
}

// The page shows the frames at the canvas's own size.
void backend_present_shown_size(int& width, int& height) {
  width = state().frame_width;
  height = state().frame_height;
}

void backend_present_large(const void*, int, int, const win32::RECT*, int) {}

void backend_present_close() {
  browser_state& s = state();
  s.frames_open = false;
  s.rgba = {};
  s.shown = {};
  s.have_shown = false;
}

}  // namespace platform::detail

namespace platform {

std::string pictures_folder() {
  return {};
}

bool offer_download(const std::string& name, const std::string& mime, const std::string& bytes) {
  return vexel_page_download(name.c_str(), mime.c_str(), bytes.data(),
                             static_cast<int>(bytes.size())) != 0;
}

bool copy_to_clipboard(const std::string& text) {
  return vexel_page_copy(text.c_str()) != 0;
}

void share_figure_line(const std::string& line) {
  vexel_page_share(line.c_str());
}

}  // namespace platform
