// platform: the browser backend (WebAssembly through Emscripten): frames on the page's canvas,
// the page's pointer and key events as messages, message boxes as dialogs in the page. The
// program keeps its own loop: it hands the thread to the browser once per presented frame (until
// the next animation frame), and whenever it has held the thread for a while (its busy waits).
//
// What it cannot do:
// - change the display mode: the frame is the one mode there is (800 x 600 x 16), scaled to the
//   page by the browser; where the canvas is shown larger than the frame in device pixels (CSS
//   size x device pixel ratio) the program may draw a larger frame at that size;
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
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "backend.hpp"
#include "user_services.hpp"

// The page's side: platform/browser/vexel_page.js.
extern "C" {
double vexel_page_now();
void vexel_page_wait_frame();
void vexel_page_pause(int ms);
void vexel_page_open(int open, const char* title);
void vexel_page_frame_size(int width, int height);
void vexel_page_canvas_size(int width, int height);
int vexel_page_shown_size(std::int32_t* size);
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

// A frame as the canvas takes it, and the frame last converted into it, to find what changed.
struct canvas_frame {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgba;
  std::vector<std::uint16_t> shown;
  bool have_shown = false;  // the canvas shows `rgba` (false: it must take it whole)

  void open(int w, int h) {
    width = w;
    height = h;
    rgba.assign(static_cast<std::size_t>(w) * h, 0xFF000000u);
    shown.assign(static_cast<std::size_t>(w) * h, 0);
    have_shown = false;
  }
  void close() {
    width = height = 0;
    rgba = {};
    shown = {};
    have_shown = false;
  }
};

struct browser_state {
  HWND hwnd = 0;             // the program's window, 0 when there is none
  bool window_made = false;  // a window was made: the start-up calibration is over
  double away_ms = 0.0;      // time the page had the thread before the first window
  double held_since = 0.0;   // when the program last got the thread back
  bool hidden = false;       // the page is not on the screen
  bool frames_open = false;
  canvas_frame frame;               // the program's frame (800 x 600)
  canvas_frame large;               // a larger frame, drawn at the canvas's size in device pixels
  bool large_on_canvas = false;     // the canvas's backing store holds the large frame
  std::vector<std::int32_t> areas;  // what changed in the frame given: x, y, width, height each
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

// Whether the eight pixels at `a` and at `b` are the same: 16 bytes at once (the C library's
// memcmp goes byte by byte here), one vector compare in the SIMD build.
bool same_eight(const std::uint16_t* a, const std::uint16_t* b) {
#if defined(__wasm_simd128__)
  return !wasm_v128_any_true(wasm_v128_xor(wasm_v128_load(a), wasm_v128_load(b)));
#else
  std::uint64_t a0, a1, b0, b1;
  std::memcpy(&a0, a, 8);
  std::memcpy(&a1, a + 4, 8);
  std::memcpy(&b0, b, 8);
  std::memcpy(&b1, b + 4, 8);
  return ((a0 ^ b0) | (a1 ^ b1)) == 0;
#endif
}

// The first and the last pixel of a row of `width` that differ between `now` and `before`; false
// when none does. Eight pixels at a time: a large frame's unchanged rows are most of its cost.
bool changed_span(const std::uint16_t* now, const std::uint16_t* before, int width, int& first,
                  int& last) {
  constexpr int step = 8;
  int a = 0;
  while (a + step <= width && same_eight(now + a, before + a)) a += step;
  while (a < width && now[a] == before[a]) ++a;
  if (a == width) return false;
  // a differs, so both walks back stop at or after it
  int end = width;
  while (end - step >= a && same_eight(now + end - step, before + end - step)) end -= step;
  while (now[end - 1] == before[end - 1]) --end;
  first = a;
  last = end - 1;
  return true;
}

// Converts what differs between `frame` and the one converted before within the region of it
// from (x0, y0) to (x1, y1) (excluded) in one pass through the table, and keeps a copy; adds the
// rectangles around the change (x, y, width, height each) to `areas`, so that the canvas takes,
// and the browser composes, only those parts. Overlapping regions cost only the comparison the
// second time.
void convert_changes(canvas_frame& f, const std::uint16_t* frame, int x0, int y0, int x1, int y1,
                     std::vector<std::int32_t>& areas) {
  const std::uint32_t* table = rgba_of().data();
  const int w = f.width;
  area last{0, 0, -1, -1};  // the rectangle not yet given: it may still grow
  const auto give = [&areas](const area& a) {
    if (a.x1 >= a.x0) areas.insert(areas.end(), {a.x0, a.y0, a.x1 - a.x0 + 1, a.y1 - a.y0 + 1});
  };
  for (int band = y0; band < y1; band += band_rows) {
    area changed{w, 0, -1, -1};
    for (int y = band; y < std::min(band + band_rows, y1); ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * w + x0;
      const std::uint16_t* now = frame + row;
      std::uint16_t* before = f.shown.data() + row;
      int a = 0, b = x1 - x0 - 1;
      if (f.have_shown && !changed_span(now, before, x1 - x0, a, b)) continue;
      std::uint32_t* target = f.rgba.data() + row;
      for (int x = a; x <= b; ++x) target[x] = table[now[x]];
      std::memcpy(before + a, now + a, static_cast<std::size_t>(b - a + 1) * 2);
      if (changed.x1 < changed.x0) changed.y0 = y;
      changed = {std::min(changed.x0, x0 + a), changed.y0, std::max(changed.x1, x0 + b), y};
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
}

// Puts `f` on the canvas, whose backing store takes its size first where it held the other
// frame (which clears it: the frame is then taken whole). `changed`: the rectangles (right and
// bottom excluded) outside which the frame equals the one given before; nullptr: the whole frame
// is compared.
void show(browser_state& s, canvas_frame& f, bool large, const std::uint16_t* pixels,
          const win32::RECT* changed, int count) {
  if (s.large_on_canvas != large) {
    vexel_page_canvas_size(f.width, f.height);
    s.large_on_canvas = large;
    f.have_shown = false;
  }
  s.areas.clear();
  if (changed == nullptr || !f.have_shown) {
    convert_changes(f, pixels, 0, 0, f.width, f.height, s.areas);
  } else {
    for (int i = 0; i < count; ++i) {
      const win32::RECT& r = changed[i];
      const int x0 = std::max<int>(r.left, 0), y0 = std::max<int>(r.top, 0);
      const int x1 = std::min<int>(r.right, f.width), y1 = std::min<int>(r.bottom, f.height);
      if (x0 < x1 && y0 < y1) convert_changes(f, pixels, x0, y0, x1, y1, s.areas);
    }
  }
  f.have_shown = true;
  vexel_page_show(f.rgba.data(), s.areas.data(), static_cast<int>(s.areas.size() / 4));
  hand_over(true);
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
  width = s.frames_open ? s.frame.width : canvas_width;
  height = s.frames_open ? s.frame.height : canvas_height;
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
  s.frame.open(width, height);
  s.large.close();
  s.large_on_canvas = false;
  s.frames_open = true;
  vexel_page_frame_size(width, height);
  return true;
}

void backend_present(const void* pixels) {
  browser_state& s = state();
  if (!s.frames_open) return;
  show(s, s.frame, false, static_cast<const std::uint16_t*>(pixels), nullptr, 0);
}

// The size the page shows the canvas at in device pixels, where it is larger than the frame and
// the page has what a larger frame needs; else the frame's own size.
void backend_present_shown_size(int& width, int& height) {
  browser_state& s = state();
  width = s.frame.width;
  height = s.frame.height;
  std::int32_t size[2];
  if (s.frames_open && vexel_page_shown_size(size) && size[0] > 0 && size[1] > 0) {
    width = size[0];
    height = size[1];
  }
}

void backend_present_large(const void* pixels, int width, int height, const win32::RECT* changed,
                           int count) {
  browser_state& s = state();
  if (!s.frames_open || width <= 0 || height <= 0) return;
  if (s.large.width != width || s.large.height != height) {
    s.large.open(width, height);
    s.large_on_canvas = false;  // the canvas takes the new size
  }
  show(s, s.large, true, static_cast<const std::uint16_t*>(pixels), changed, count);
}

void backend_present_close() {
  browser_state& s = state();
  s.frames_open = false;
  s.frame.close();
  s.large.close();
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
