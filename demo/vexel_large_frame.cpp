// vexel: the frame drawn at the size the screen shows it: the backdrop from its picture made at a
// larger size, the figure by the scaled painter, the button tints over them; the frame of 800 x
// 600 stays the program's own (the pointer, the saved figure), this one is only shown.
#include <algorithm>
#include <cmath>
#include <vector>

#include "dravo.hpp"
#include "orla_sprites.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

// A rectangle of the large frame, both edges included.
struct area {
  LONGINT left, top, right, bottom;
};

struct large_state {
  bool original_only = false;  // the user chose the original picture for the session
  double scale = 0;            // this frame's scale; 0 when the original is shown
  orla::VIRTUALWINDOW backdrop, layer, frame;
  const WORD* backdrop_of = nullptr;  // the 800 x 600 backdrop the large one was made with
  // the frame holds the backdrop but where the figure's layer, the areas and the brightness
  // changed it since (false: it is copied whole)
  bool kept = false;
  std::vector<area> changed;
  bool brightened = false;
  // what differs from the large frame presented before: the areas the frame before changed (now
  // restored), everywhere when the frame was copied whole; the rectangles told the presenter
  std::vector<area> restored;
  bool whole = true;
  std::vector<win32::RECT> told;
  // the last frame left the figure out of the 800 x 600 frame
  bool small_figure_left_out = false;
  // the last large frame made was presented; this one's figure knows what it drew differently
  bool presented = false;
  std::uint64_t shown_as = 0;  // its number among the pictures presented at the size shown
  bool figure_known = false;
  std::vector<win32::RECT> figure_changes;
};
large_state large;

void release_windows() {
  for (auto* window : {&large.backdrop, &large.layer, &large.frame}) orla::KILL_VW(*window);
  large.backdrop_of = nullptr;
  large.kept = false;
  large.changed.clear();
  large.restored.clear();
}

// Records an area of the large frame changed by something other than the figure's layer.
void changed(LONGINT left, LONGINT top, LONGINT right, LONGINT bottom) {
  left = std::max<LONGINT>(left, 0);
  top = std::max<LONGINT>(top, 0);
  right = std::min<LONGINT>(right, large.frame.BREITE - 1);
  bottom = std::min<LONGINT>(bottom, large.frame.HOEHE - 1);
  if (left <= right && top <= bottom) large.changed.push_back({left, top, right, bottom});
}

// The backdrop at the large frame's size, from the larger renderings of the backdrop picture.
void make_backdrop() {
  detail::picture_at_size("menu.vex", BACKGROUND, large.backdrop);
  large.backdrop_of = BACKGROUND.DATA;
}

}  // namespace

void detail::choose_original_pixels(bool original) {
  large.original_only = original;
}

bool detail::original_pixels_chosen() {
  return large.original_only;
}

double detail::large_frame_scale() {
  return large.scale;
}

const orla::VIRTUALWINDOW& detail::large_frame() {
  return large.frame;
}

void detail::begin_large_frame() {
  int width = 0, height = 0;
  dravo::detail::shown_size(width, height);
  // the original picture where the screen shows it no larger, or where the user chose it
  if (large.original_only || width <= WIDTH || height <= HEIGHT || BACKGROUND.DATA == nullptr ||
      BACKGROUND.BREITE != WIDTH || BACKGROUND.HOEHE != HEIGHT) {
    large.scale = 0;
    large.small_figure_left_out = false;
    return;
  }
  large.scale = static_cast<double>(width) / WIDTH;
  // a click of help or exit shows this 800 x 600 frame (before the help picture, in the fade)
  large.small_figure_left_out =
      !save_requested() && !GOMBKATTINT(help_button) && !GOMBKATTINT(exit_button);
  const auto layer_rows = static_cast<LONGINT>(std::lrint(scene_rows * large.scale));
  if (large.frame.DATA == nullptr || large.frame.BREITE != width || large.frame.HOEHE != height) {
    release_windows();
    orla::INIT_VW(large.frame, width, height, true);
    orla::INIT_VW(large.backdrop, width, height, true);
    // the figure's layer is only its size: the figure goes straight into the frame
    orla::CALCULATEVW(large.layer, width, std::min<LONGINT>(layer_rows, height));
  }
  if (large.backdrop_of != BACKGROUND.DATA) {
    make_backdrop();
    large.kept = false;
  }
  // the backdrop back where the last large frame's tints and message changed it (the figure
  // puts it back under what it draws differently); the whole of it after a brightness or a new
  // backdrop, and then the figure is drawn whole
  const bool copy_whole = !large.kept || large.brightened;
  // (a large frame made but not presented, before the help picture: the presenter has the one
  // before it, which this frame is not compared with)
  large.whole = copy_whole || !large.presented;
  large.presented = false;
  large.figure_known = false;
  large.figure_changes.clear();
  if (copy_whole) {
    std::copy_n(large.backdrop.DATA, static_cast<std::size_t>(width) * height, large.frame.DATA);
    forget_figure_drawn();
  } else {
    for (const area& a : large.changed)
      for (LONGINT y = a.top; y <= a.bottom; ++y)
        std::copy_n(large.backdrop.DATA + static_cast<std::size_t>(y) * width + a.left,
                    a.right - a.left + 1,
                    large.frame.DATA + static_cast<std::size_t>(y) * width + a.left);
  }
  large.kept = true;
  large.brightened = false;
  large.restored.swap(large.changed);
  large.changed.clear();
}

void detail::draw_large_figure() {
  // straight into the frame: its layer only gives the figure area's size
  if (large.scale <= 0) return;
  static std::vector<win32::RECT> restored;
  restored.clear();
  for (const area& a : large.restored)
    restored.push_back({a.left, a.top, a.right + 1, a.bottom + 1});
  large.figure_known = draw_figure_scaled_onto(large.layer, large.scale, large.frame,
                                               large.backdrop, restored, large.figure_changes);
}

void detail::tint_large_frame(const orla::VIRTUALWINDOW& colour, LONGINT x, LONGINT y,
                              LONGINT width, LONGINT height, BYTE lr, BYTE lg, BYTE lb) {
  if (large.scale <= 0 || width <= 0 || height <= 0) return;
  // the rectangle's edges where the larger frame shows them
  const auto at = [](LONGINT v) { return static_cast<LONGINT>(std::lrint(v * large.scale)); };
  const LONGINT left = at(x), top = at(y), w = at(x + width) - left, h = at(y + height) - top;
  if (w <= 0 || h <= 0) return;
  orla::VIRTUALWINDOW tint;
  orla::INIT_VW(tint, w, h, true);
  orla_sprites::SCALESPRITE(colour, tint);
  orla_sprites::PUTTRANSCLIPPEDSPRITE(large.frame, tint, left, top, lr, lg, lb);
  orla::KILL_VW(tint);
  changed(left, top, left + w - 1, top + h - 1);
}

void detail::finish_large_frame(BYTE brightness) {
  if (large.scale <= 0 || brightness == 0) return;
  large.brightened = true;
  orla_sprites::ADJUSTSPRITEBRIGHTNESS(large.frame, brightness,
                                       static_cast<orla::SHORTINT>(2 * brightness), brightness);
}

void detail::copy_rows_to_large_frame(LONGINT top, LONGINT bottom, LONGINT left) {
  // what the 800 x 600 frame shows there, enlarged pixel by pixel (the title line's message)
  if (large.scale <= 0) return;
  const auto at = [](LONGINT v) { return static_cast<LONGINT>(std::lrint(v * large.scale)); };
  changed(at(left), at(top), large.frame.BREITE - 1, at(bottom + 1));
  // (only from those rows and columns: the rest of that frame is not composed while the large
  // one is shown)
  for (LONGINT y = at(top); y < std::min(at(bottom + 1), large.frame.HOEHE); ++y) {
    const auto sy = std::clamp<LONGINT>(static_cast<LONGINT>(y / large.scale), top,
                                        std::min(bottom, HEIGHT - 1));
    for (LONGINT x = at(left); x < large.frame.BREITE; ++x) {
      const auto sx = std::clamp<LONGINT>(static_cast<LONGINT>(x / large.scale), left, WIDTH - 1);
      large.frame.DATA[static_cast<std::size_t>(y) * large.frame.BREITE + x] =
          RESULT.DATA[static_cast<std::size_t>(sy) * WIDTH + sx];
    }
  }
}

bool detail::small_figure_wanted() {
  return !large.small_figure_left_out;
}

// (without the button tints, which only the frame's own pass lays: this is for a fade-out after
// the window closed, the exit button and its key composing their frame whole)
void detail::complete_small_frame() {
  if (!large.small_figure_left_out) return;
  large.small_figure_left_out = false;
  orla::FLIP_VW(BACKGROUND.DATA, RESULT.DATA);
  clear_layer(SPRITE01);
  draw_figure();
  lay_layer_over(SPRITE01, RESULT);
}

void detail::present_frame() {
  if (large.scale > 0) {
    // the presenter sends on only what may have changed: the tiles of the figure's elements that
    // changed, the areas either frame changed; all of it after a whole copy or a brightness
    const win32::RECT* changes = nullptr;
    large.told.clear();
    large.presented = true;
    if (large.figure_known) large.told.swap(large.figure_changes);
    if (!large.whole && !large.brightened && large.figure_known) {
      for (const auto* areas : {&large.restored, &large.changed})
        for (const area& a : *areas)
          large.told.push_back({a.left, a.top, a.right + 1, a.bottom + 1});
      static const win32::RECT none{};
      changes = large.told.empty() ? &none : large.told.data();
    }
    large.shown_as =
        present_large(large.frame, changes, static_cast<int>(large.told.size()), large.shown_as);
  } else
    orla::FLIP_DD(RESULT.DATA);
  // the next frame starts its own large frame, or shows the original (the help screen)
  large.scale = 0;
}

std::uint64_t detail::present_large(const orla::VIRTUALWINDOW& picture, const win32::RECT* changed,
                                    int count, std::uint64_t previous) {
  static std::uint64_t presented = 0;
  // the presenter compares with the last picture it was given, which must be the caller's
  if (previous == 0 || previous != presented) changed = nullptr;
  dravo::detail::blit_large(picture.DATA, picture.BREITE, picture.HOEHE, changed, count);
  return ++presented;
}

void detail::release_large_frame() {
  release_windows();
  release_large_pictures();
  forget_figure_drawn();
  large.scale = 0;
}

}  // namespace vexel
