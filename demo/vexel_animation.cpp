// vexel: the animation of the travelling point's angle: the panel's animation buttons, the
// pointer mode and the speed law.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

using ext = long double;

constexpr ext pi = 3.14159265358979323846264338327950288L;
constexpr ext two_pi = 2 * pi;

ext degrees_to_radians(ext degrees) {
  return degrees * (pi / 180);
}

// The angle a step adds at a speed. It depends on the speed and the calibration's factor
// alone, which stay for most steps (the point at its full speed): the last one is kept. Where
// extended arithmetic is done in software (WebAssembly) a frame takes hundreds of steps.
ext angle_step(REAL speed, REAL balance) {
  // kept with the bits of what it was made from (-0 and 0 give steps of their own signs); the
  // first values are right as they stand: speed 0 and factor 0 give the step 0
  static_assert(sizeof(REAL) == sizeof(std::uint64_t));
  static std::uint64_t speed_bits = 0, balance_bits = 0;
  static ext step = 0;
  std::uint64_t s, b;
  std::memcpy(&s, &speed, sizeof s);
  std::memcpy(&b, &balance, sizeof b);
  if (s != speed_bits || b != balance_bits) {
    step = degrees_to_radians(static_cast<ext>(speed) * balance) / 220;
    speed_bits = s;
    balance_bits = b;
  }
  return step;
}

// Acts on a fresh click inside a button that is not greyed.
bool pressed(BYTE n) {
  return GOMBKATTINT(n) && GOMB[n].disabled == 0;
}

}  // namespace

void VEXEL_SZAMITASOK() {
  detail::advance_point(1);
}

void detail::advance_point(std::int64_t steps) {
  PONT_SZAMOL(13);
  const LONGINT px = PONT[13].KX;
  const LONGINT py = PONT[13].KY;

  if (pressed(automatic_button)) ANIMACIO = true;
  if (pressed(pointer_button)) ANIMACIO = false;
  if (pressed(stop_button)) PLAY = false;
  if (pressed(start_button)) PLAY = true;

  if (!ANIMACIO) {
    // Screen values stay within the screen limit, so these differences fit.
    const LONGINT dx = static_cast<LONGINT>(orla_win32::M_X) - px;
    const LONGINT dy = static_cast<LONGINT>(orla_win32::M_Y) - py;
    if (dx > 0) {
      VEXEL_SZOG = static_cast<REAL>(std::atan(static_cast<ext>(dy) / dx));
    } else if (dx < 0) {
      VEXEL_SZOG = static_cast<REAL>(std::atan(static_cast<ext>(dy) / dx) + pi);
    } else if (dy > 0) {
      VEXEL_SZOG = static_cast<REAL>(pi / 2);
    } else if (dy < 0) {
      VEXEL_SZOG = static_cast<REAL>(3 * pi / 2);
    } else {
      PONT[17].LETEZIK = false;  // no direction: the point is not drawn this frame
    }
    return;
  }
  for (std::int64_t i = 0; i < steps; ++i) detail::speed_law_step();
}

long double detail::drawn_point_angle(long double fraction) {
  // changed: the point is drawn where the time since its last step puts it, the fraction of the
  // next step that time owes added, not only at whole steps. Where a step takes longer than a
  // frame (Windows' cheap tick counter gives a large calibration count, so fewer and larger
  // steps) it stood still in one frame of four and jumped in the next.
  if (!ANIMACIO) return VEXEL_SZOG;
  return VEXEL_SZOG + fraction * angle_step(PILSEB, KIEGYENLITO);
}

void detail::speed_law_step() {
  if (!PLAY && PILSEB > 0) PILSEB = static_cast<REAL>(static_cast<ext>(PILSEB) - GYORSITAS);
  if (PILSEB <= 0) PILSEB = 0;
  // changed: a step that would pass the slider's speed ends on it. Rising past it and falling
  // back within the same step left the speed up to one step below the slider for good: on a fast
  // machine (a step of 10 with a large calibration count, Windows' cheap tick counter) slider 40
  // turned the point at 30, a revolution in 20 s instead of 15.
  if (PLAY && PILSEB < SEBESSEG)
    PILSEB = static_cast<REAL>(std::min<ext>(static_cast<ext>(PILSEB) + GYORSITAS, SEBESSEG));
  if (PLAY && PILSEB > SEBESSEG)
    PILSEB = static_cast<REAL>(std::max<ext>(static_cast<ext>(PILSEB) - GYORSITAS, SEBESSEG));
  VEXEL_SZOG = static_cast<REAL>(VEXEL_SZOG + angle_step(PILSEB, KIEGYENLITO));
  if (VEXEL_SZOG > two_pi) VEXEL_SZOG = static_cast<REAL>(VEXEL_SZOG - two_pi);
}

}  // namespace vexel
