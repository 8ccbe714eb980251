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
};
large_state large;

void release_windows() {
  for (auto* window : {&large.backdrop, &large.layer, &large.frame}) orla::KILL_VW(*window);
  large.backdrop_of = nullptr;
  large.kept = false;
  large.changed.clear();
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
    return;
  }
  large.scale = static_cast<double>(width) / WIDTH;
  const auto layer_rows = static_cast<LONGINT>(std::lrint(scene_rows * large.scale));
  if (large.frame.DATA == nullptr || large.frame.BREITE != width || large.frame.HOEHE != height) {
    release_windows();
    orla::INIT_VW(large.frame, width, height, true);
    orla::INIT_VW(large.backdrop, width, height, true);
    orla::INIT_VW(large.layer, width, std::min<LONGINT>(layer_rows, height), true);
  }
  if (large.backdrop_of != BACKGROUND.DATA) {
    make_backdrop();
    large.kept = false;
  }
  // the backdrop back where the last large frame changed it: under its figure, its tints and
  // its message; the whole of it after a brightness or a new backdrop
  if (!large.kept || large.brightened) {
    std::copy_n(large.backdrop.DATA, static_cast<std::size_t>(width) * height, large.frame.DATA);
  } else {
    restore_under_layer(large.layer, large.backdrop, large.frame);
    for (const area& a : large.changed)
      for (LONGINT y = a.top; y <= a.bottom; ++y)
        std::copy_n(large.backdrop.DATA + static_cast<std::size_t>(y) * width + a.left,
                    a.right - a.left + 1,
                    large.frame.DATA + static_cast<std::size_t>(y) * width + a.left);
  }
  large.kept = true;
  large.brightened = false;
  large.changed.clear();
  clear_layer(large.layer);
}

void detail::draw_large_figure() {
  if (large.scale > 0) draw_figure_scaled(large.layer, large.scale);
}

void detail::lay_large_layer() {
  if (large.scale > 0) lay_layer_over(large.layer, large.frame);
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
  for (LONGINT y = at(top); y < std::min(at(bottom + 1), large.frame.HOEHE); ++y) {
    const auto sy = std::min<LONGINT>(static_cast<LONGINT>(y / large.scale), HEIGHT - 1);
    for (LONGINT x = at(left); x < large.frame.BREITE; ++x) {
      const auto sx = std::min<LONGINT>(static_cast<LONGINT>(x / large.scale), WIDTH - 1);
      large.frame.DATA[static_cast<std::size_t>(y) * large.frame.BREITE + x] =
          RESULT.DATA[static_cast<std::size_t>(sy) * WIDTH + sx];
    }
  }
}

void detail::present_frame() {
  if (large.scale > 0)
    dravo::detail::blit_large(large.frame.DATA, large.frame.BREITE, large.frame.HOEHE);
  else
    orla::FLIP_DD(RESULT.DATA);
  // the next frame starts its own large frame, or shows the original (the help screen)
  large.scale = 0;
}

void detail::release_large_frame() {
  release_windows();
  release_large_pictures();
  large.scale = 0;
}

}  // namespace vexel
