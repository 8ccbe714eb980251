// vexel: the intro (the title picture circling on white) and the fade-out to black.
#include <cmath>

#include "orla_2d.hpp"
#include "orla_sprites.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

constexpr orla::DWORD intro_length_ms = 7000;
constexpr double ms_per_radian = 600.0;
constexpr double circle_radius = 11.0;
constexpr double corner_x = 150.0, corner_y = 175.0;
constexpr int fade_steps = 32;
// The speed calibration counted after each frame of the intro: about half of a display's frame
// time, so the intro keeps its frame rate and the three seconds are counted in about six.
constexpr orla::DWORD calibration_slice_ms = 8;

}  // namespace

void KESLELTET(WORD ms) {
  const orla::DWORD start = win32::GetTickCount();
  // the unsigned difference stays right across the wrap of the counter
  while (static_cast<orla::DWORD>(win32::GetTickCount() - start) < ms) {
  }
}

void INTRO() {
  orla::KILL_VW(BACKGROUND);
  orla_sprites::LOAD_SPRITE(detail::program_file("vex.vex"), "", BACKGROUND);
  orla::CURSORVISIBLE(false);
  const orla::DWORD t0 = win32::GetTickCount();
  const WORD white = RGBTOCOL[31][63][31];
  for (;;) {
    for (LONGINT y = 0; y < HEIGHT; ++y) orla_2d::LINEHORZ(RESULT, 0, WIDTH - 1, y, white);
    const orla::DWORD elapsed = win32::GetTickCount() - t0;
    const double t = elapsed / ms_per_radian;
    const REAL x = corner_x + circle_radius * std::cos(t),
               y = corner_y + circle_radius * std::sin(t);
    orla_sprites::PUTCLIPPEDSPRITE(RESULT, BACKGROUND, static_cast<LONGINT>(std::lrint(x)),
                                   static_cast<LONGINT>(std::lrint(y)));
    // on a large screen the same frame drawn at the size shown, the picture from its larger
    // renderings, placed at its exact place there (the motion in the screen's finer steps)
    if (!detail::present_large_intro(x, y)) orla::FLIP_DD(RESULT.DATA);
    orla_win32::GETALLMESSAGES();
    orla_win32::HANDLEMINIMIZED();
    detail::count_calibration(calibration_slice_ms);
    if (static_cast<orla::DWORD>(win32::GetTickCount() - t0) > intro_length_ms) break;
    if (orla_win32::M_L || detail::intro_key_pressed()) break;
    if (!orla::APPLICATIONRUNNING) break;
  }
  orla_win32::detail::clear_key_presses();
  detail::finish_calibration();
  detail::release_large_intro();
  detail::load_backdrop();
  orla::KILL_VW(RESULT);
  orla::INIT_VW(RESULT, WIDTH, HEIGHT, false);
  orla::CURSORVISIBLE(true);
}

void LAMPALE() {
  // what the screen showed last is what fades: at the size shown where it was shown so
  const bool large = detail::begin_large_fade();
  for (int k = 0; k > -fade_steps; --k) {
    FENYFORRAS = static_cast<orla::SHORTINT>(k);
    orla_sprites::ADJUSTSPRITEBRIGHTNESS(RESULT, FENYFORRAS, static_cast<orla::SHORTINT>(2 * k),
                                         FENYFORRAS);
    if (large)
      detail::fade_large(FENYFORRAS);
    else
      orla::FLIP_DD(RESULT.DATA);
    orla_win32::GETALLMESSAGES();
    orla_win32::HANDLEMINIMIZED();
    KESLELTET(10);
  }
  FENYFORRAS = 0;
}

}  // namespace vexel
