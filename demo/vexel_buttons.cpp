// vexel: the button highlights of the control panel and the chapter selection.
#include "orla_sprites.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

// Lays a translucent highlight: the frame under the rectangle is lowered by the levels, then
// the colour of the 2 x 2 window is added.
void tint(const orla::VIRTUALWINDOW& colour, LONGINT x, LONGINT y, LONGINT width, LONGINT height,
          BYTE lr, BYTE lg, BYTE lb) {
  if (width <= 0 || height <= 0) return;
  orla::INIT_VW(GOMBKERET, width, height, true);
  orla_sprites::SCALESPRITE(colour, GOMBKERET);
  // no tint leaves the panel (the slider's hover needs M_Y >= 504, its speed bar 87 rows at most,
  // so no bar starts above row 502); the clipped put keeps any rectangle inside the frame
  orla_sprites::PUTTRANSCLIPPEDSPRITE(RESULT, GOMBKERET, x, y, lr, lg, lb);
  orla::KILL_VW(GOMBKERET);
  detail::tint_large_frame(colour, x, y, width, height, lr, lg, lb);
}

void tint_button(const orla::VIRTUALWINDOW& colour, BYTE n, BYTE lr, BYTE lg, BYTE lb) {
  const auto& b = GOMB[n];
  tint(colour, b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, lr, lg, lb);
}

// A bar of the slider that shows the speed, from the bottom edge up.
void speed_bar(const orla::VIRTUALWINDOW& colour, BYTE lr, BYTE lg, BYTE lb) {
  const auto& b = GOMB[slider_button];
  tint(colour, b.x1, b.y2 - SEBESSEG - 2, b.x2 - b.x1, SEBESSEG + 2, lr, lg, lb);
}

}  // namespace

void GOMBKIRAK(BYTE n) {
  const auto& b = GOMB[n];
  const bool animation_control = n >= stop_button && n <= slider_button;

  if (GOMBONVAN(n) && !(animation_control && SARGAMENU != pedal_chapter)) {
    if (n != slider_button) {
      tint_button(KEK, n, 5, 10, 5);
    } else {
      const LONGINT y = orla_win32::M_Y;
      tint(KEK, b.x1, y - 2, b.x2 - b.x1, b.y2 - y + 2, 10, 20, 10);
    }
  }

  if (GOMBKATTINT(n) && n >= first_chapter && n <= last_chapter) SARGAMENU = n;

  if (SARGAMENU == n || (n == slider_button && SARGAMENU == pedal_chapter)) {
    if (n != slider_button)
      tint_button(SARGA, n, 18, 36, 18);
    else if (GOMBONVAN(slider_button))
      speed_bar(SARGA, 15, 30, 15);
    else
      speed_bar(SARGA, 25, 50, 25);
  }

  for (BYTE k = stop_button; k <= slider_button; ++k)
    GOMB[k].disabled = SARGAMENU == pedal_chapter ? 0 : 1;

  if (GOMB[n].disabled) {
    if (n != slider_button)
      tint_button(SZURKE, n, 20, 40, 20);
    else
      speed_bar(SZURKE, 20, 40, 20);
  }
}

}  // namespace vexel
