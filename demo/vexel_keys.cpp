// vexel: the keyboard and a presenter remote: each key press stands for a button of the panel,
// or steps the speed, or selects and moves a vertex.
#include <algorithm>

#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

using orla_win32::detail::key_press;

constexpr int speed_step = 5, top_speed = 85;
// The limits of dragging: a vertex stays on the screen's columns and above the panel.
constexpr REAL rightmost_x = 799.0, lowest_y = 455.0;

// The button the key press of this pass stands for (0: none).
BYTE clicked_button = 0;
// A key press of this pass leaves the help screen.
bool leaves_help = false;

bool is_modifier(WORD code) {
  return code == win32::VK_SHIFT || code == win32::VK_CONTROL || code == win32::VK_MENU;
}

bool is_arrow(WORD code) {
  return code >= win32::VK_LEFT && code <= win32::VK_DOWN;
}

// +1 or -1 for a press that steps the speed, 0 otherwise: + and - by what the key typed on the
// user's layout (Shift+3 on a Hungarian keyboard, = on a US one without Shift is no +), and the
// keypad's + and - whatever they typed.
int speed_step_sign(const key_press& key) {
  if (key.code == win32::VK_ADD || key.character == '+') return 1;
  if (key.code == win32::VK_SUBTRACT || key.character == '-') return -1;
  return 0;
}

void step_speed(int sign) {
  SEBESSEG = static_cast<BYTE>(std::clamp(SEBESSEG + sign * speed_step, 0, top_speed));
}

void move_selected_vertex(WORD code, bool shift) {
  const REAL step = shift ? 10.0 : 1.0;
  auto& p = PONT[detail::selected_vertex];
  if (code == win32::VK_LEFT) p.X = std::max(p.X - step, 0.0);
  if (code == win32::VK_RIGHT) p.X = std::min(p.X + step, rightmost_x);
  if (code == win32::VK_UP) p.Y = std::max(p.Y - step, 0.0);
  if (code == win32::VK_DOWN) p.Y = std::min(p.Y + step, lowest_y);
  PONT_SZAMOL(detail::selected_vertex);
}

// Acts on one press in a normal frame; false when the press does nothing, so that the next one
// is taken in the same pass.
bool act(const key_press& key) {
  const WORD code = key.code;
  const int speed_sign = speed_step_sign(key);
  // a held key repeats only where holding it means "more of the same"
  if (key.repeat && speed_sign == 0 && !is_arrow(code)) return false;
  if (key.control) {
    if (code == 'S') detail::request_save();
    if (code == 'C') detail::request_copy();
    if (code == 'S' || code == 'C') return true;
    if (code != 'Q') return false;
    clicked_button = exit_button;
    return true;
  }
  const bool pedal = SARGAMENU == pedal_chapter;
  if (speed_sign != 0) {
    // the key that types + or - is nothing else (Hungarian + is Shift+3, not chapter 3)
    if (!pedal) return false;
    step_speed(speed_sign);
  } else if (code == win32::VK_NEXT || code == 'N') {
    clicked_button = SARGAMENU >= last_chapter ? first_chapter : SARGAMENU + 1;
  } else if (code == win32::VK_PRIOR || code == 'P') {
    clicked_button = SARGAMENU <= first_chapter ? last_chapter : SARGAMENU - 1;
  } else if (code >= '1' && code <= '9') {
    clicked_button = static_cast<BYTE>(first_chapter + (code - '1'));
  } else if (code >= win32::VK_NUMPAD0 + 1 && code <= win32::VK_NUMPAD0 + 9) {
    clicked_button = static_cast<BYTE>(first_chapter + (code - win32::VK_NUMPAD0 - 1));
  } else if (code == 'S') {
    detail::request_save();
  } else if (code == 'O') {
    // the original picture, enlarged, or back to the picture drawn at the screen's size
    detail::choose_original_pixels(!detail::original_pixels_chosen());
  } else if (code == win32::VK_F1 || code == 'H') {
    clicked_button = help_button;
    // the mouse cannot open help during a drag (that takes a fresh click); a key can, and a drag
    // left on would make the click that leaves help move the vertex there
    MOZGAT = false;
  } else if (code == win32::VK_SPACE || code == win32::VK_RETURN) {
    if (!pedal) return false;
    clicked_button = PLAY ? stop_button : start_button;
  } else if (code == 'A' || code == 'M') {
    if (!pedal) return false;
    clicked_button = code == 'A' ? automatic_button : pointer_button;
  } else if (code == win32::VK_TAB) {
    BYTE& v = detail::selected_vertex;
    v = key.shift ? (v <= 1 ? 3 : v - 1) : (v >= 3 ? 1 : v + 1);
  } else if (is_arrow(code)) {
    if (detail::selected_vertex == 0) return false;
    move_selected_vertex(code, key.shift);
  } else if (code == win32::VK_ESCAPE) {
    // a remote's Escape must never end a lesson: it only lets the vertex go
    detail::selected_vertex = 0;
  } else {
    return false;
  }
  return true;
}

}  // namespace

void detail::reset_keys() {
  selected_vertex = 0;
  clicked_button = 0;
  leaves_help = false;
  orla_win32::detail::clear_key_presses();
}

void detail::take_frame_key() {
  clicked_button = 0;
  leaves_help = false;
  key_press key;
  if (SUGOB) {
    // on the help screen any key returns to the figure; Ctrl+Q still ends the program
    while (orla_win32::detail::take_key_press(key)) {
      if (key.repeat || is_modifier(key.code)) continue;
      leaves_help = true;
      if (key.control && key.code == 'Q') clicked_button = exit_button;
      return;
    }
    return;
  }
  if (fresh_press() && orla_win32::M_Y < scene_rows) selected_vertex = 0;
  // one press per pass, so that presses that came together act one after the other
  while (orla_win32::detail::take_key_press(key))
    if (act(key)) return;
}

bool detail::key_clicks(BYTE n) {
  return clicked_button != 0 && clicked_button == n;
}

bool detail::key_leaves_help() {
  return leaves_help;
}

bool detail::intro_key_pressed() {
  key_press key;
  bool ends = false;
  // the intro takes no other key: everything pressed while it runs is dropped
  while (orla_win32::detail::take_key_press(key))
    ends = ends || (!key.repeat && !key.control &&
                    (key.code == win32::VK_SPACE || key.code == win32::VK_RETURN ||
                     key.code == win32::VK_NEXT));
  return ends;
}

}  // namespace vexel
