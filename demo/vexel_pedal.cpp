// vexel: the per-frame computation of the figure, the travelling point and its pedal line, and
// the animation of the point's angle with its start-up speed calibration.
#include <algorithm>
#include <cmath>

#include "orla_win32.hpp"
#include "vexel.hpp"
#include "win32.hpp"

namespace vexel {

namespace {

using ext = long double;

constexpr ext pi = 3.14159265358979323846264338327950288L;
constexpr ext two_pi = 2 * pi;

// Length of the calibration in milliseconds of the tick counter.
constexpr win32::DWORD calibration_ms = 3000;

// Buttons the animation listens to.
constexpr BYTE stop_button = 12;
constexpr BYTE start_button = 13;
constexpr BYTE automatic_button = 14;
constexpr BYTE pointer_button = 15;
constexpr BYTE slider_button = 16;
constexpr BYTE pedal_chapter = 9;

ext degrees_to_radians(ext degrees) {
  return degrees * (pi / 180);
}

// Acts on a fresh click inside a button that is not greyed.
bool pressed(BYTE n) {
  return GOMBKATTINT(n) && GOMB[n].disabled == 0;
}

}  // namespace

namespace detail {

void set_speed_count(std::int64_t count) {
  MP = count;
  GYORSITAS = static_cast<REAL>(static_cast<ext>(count) / 200000000.0L);
  KIEGYENLITO = static_cast<REAL>(static_cast<ext>(count) / 2000000000.0L);
}

void start_step_clock() {
  step_clock = {};
}

std::int64_t steps_due() {
  const win32::DWORD now = win32::GetTickCount();
  if (!step_clock.started) {
    step_clock.started = true;
    step_clock.last = now;
    return 0;
  }
  // the unsigned difference stays right across the wrap of the counter
  const win32::DWORD elapsed =
      std::min(static_cast<win32::DWORD>(now - step_clock.last), max_catch_up_ms);
  step_clock.last = now;
  if (MP <= 0) return 0;
  step_clock.owed += elapsed * (steps_per_second_times_count / 1000.0L) / MP;
  const auto due = static_cast<std::int64_t>(std::min(step_clock.owed, ext{max_steps_per_frame}));
  step_clock.owed -= due;
  if (step_clock.owed > 1) step_clock.owed = 0;  // beyond the cap: forgotten, not carried
  return due;
}

}  // namespace detail

void MP_KISZAMITAS() {
  const win32::DWORD start = win32::GetTickCount();
  std::int64_t count = 0;
  // changed: the elapsed time is the unsigned 32-bit difference, so a wrap of the tick counter
  // during the three seconds neither stalls the count nor ends it early.
  do {
    ++count;
  } while (static_cast<win32::DWORD>(win32::GetTickCount() - start) < calibration_ms);
  detail::set_speed_count(count);
}

void SZAMOLASI_QELJARASOK() {
  detail::compute_frame(1);
}

void detail::compute_frame(std::int64_t steps) {
  if (GOMBKATTINT(slider_button) && SARGAMENU == pedal_chapter) {
    SEBESSEG = static_cast<BYTE>(GOMB[slider_button].y2 - orla_win32::M_Y);
  }

  if (detail::prepare_frame_layers != nullptr) detail::prepare_frame_layers();

  // Midpoints, sides and side lines.
  QKETPONT_FELEZOJE(1, 2, 4);
  QKETPONT_FELEZOJE(2, 3, 5);
  QKETPONT_FELEZOJE(3, 1, 6);
  QKETPONTRA_SZAKASZ(1, 2, 1);
  QKETPONTRA_SZAKASZ(2, 3, 2);
  QKETPONTRA_SZAKASZ(3, 1, 3);
  QKETPONTRA_EGYENES(1, 2, 1);
  QKETPONTRA_EGYENES(2, 3, 2);
  QKETPONTRA_EGYENES(3, 1, 3);
  // Altitude feet, medians, altitude lines, perpendicular bisectors.
  QPONTNAK_EGYENESRE_TALPPONTJA(3, 1, 7);
  QPONTNAK_EGYENESRE_TALPPONTJA(1, 2, 8);
  QPONTNAK_EGYENESRE_TALPPONTJA(2, 3, 9);
  QKETPONTRA_SZAKASZ(3, 4, 4);
  QKETPONTRA_SZAKASZ(1, 5, 5);
  QKETPONTRA_SZAKASZ(2, 6, 6);
  QKETPONTRA_EGYENES(3, 4, 4);
  QKETPONTRA_EGYENES(1, 5, 5);
  QKETPONTRA_EGYENES(2, 6, 6);
  QPONTON_ATMENO_EGYENESREMEROLEGES(3, 1, 7);
  QPONTON_ATMENO_EGYENESREMEROLEGES(1, 2, 8);
  QPONTON_ATMENO_EGYENESREMEROLEGES(2, 3, 9);
  QPONTON_ATMENO_EGYENESREMEROLEGES(4, 1, 10);
  QPONTON_ATMENO_EGYENESREMEROLEGES(5, 2, 11);
  QPONTON_ATMENO_EGYENESREMEROLEGES(6, 3, 12);
  // Centroid, orthocentre, circumcentre and the circumcircle.
  QKETEGYENES_METSZESPONTJA(4, 5, 16);
  QKETEGYENES_METSZESPONTJA(7, 8, 15);
  QKETEGYENES_METSZESPONTJA(10, 11, 13);
  QPONTKERPONT_KOR(13, 1, 1);
  // Internal and external bisectors, incentre and excentres, their touch points and circles.
  QHAROMPONTRA_SZOGFELEZO(1, 3, 2, 13);
  QHAROMPONTRA_SZOGFELEZO(3, 1, 2, 14);
  QHAROMPONTRA_SZOGFELEZO(1, 2, 3, 15);
  QPONTON_ATMENO_EGYENESREMEROLEGES(3, 13, 16);
  QPONTON_ATMENO_EGYENESREMEROLEGES(1, 14, 17);
  QPONTON_ATMENO_EGYENESREMEROLEGES(2, 15, 18);
  QKETEGYENES_METSZESPONTJA(13, 14, 14);
  QKETEGYENES_METSZESPONTJA(16, 18, 10);
  QKETEGYENES_METSZESPONTJA(16, 17, 11);
  QKETEGYENES_METSZESPONTJA(17, 18, 12);
  QPONTNAK_EGYENESRE_TALPPONTJA(14, 1, 21);
  QPONTNAK_EGYENESRE_TALPPONTJA(10, 1, 22);
  QPONTNAK_EGYENESRE_TALPPONTJA(11, 1, 23);
  QPONTNAK_EGYENESRE_TALPPONTJA(12, 1, 24);
  QPONTKERPONT_KOR(14, 21, 2);
  QPONTKERPONT_KOR(10, 22, 3);
  QPONTKERPONT_KOR(11, 23, 4);
  QPONTKERPONT_KOR(12, 24, 5);
  // Altitude segments, bisector feet and segments, the line of the centres, the orthic triangle.
  QKETPONTRA_SZAKASZ(3, 7, 7);
  QKETPONTRA_SZAKASZ(1, 8, 8);
  QKETPONTRA_SZAKASZ(2, 9, 9);
  QKETEGYENES_METSZESPONTJA(13, 1, 25);
  QKETEGYENES_METSZESPONTJA(14, 2, 26);
  QKETEGYENES_METSZESPONTJA(15, 3, 27);
  QKETPONTRA_SZAKASZ(3, 25, 10);
  QKETPONTRA_SZAKASZ(1, 26, 11);
  QKETPONTRA_SZAKASZ(2, 27, 12);
  QKETPONTRA_EGYENES(13, 15, 19);
  QKETPONTRA_SZAKASZ(7, 8, 13);
  QKETPONTRA_SZAKASZ(8, 9, 14);
  QKETPONTRA_SZAKASZ(9, 7, 15);

  // The travelling point, at the angle the previous frame left.
  PONT_TYPE& traveller = PONT[17];
  const KOR_TYPE& circumcircle = KOR[1];
  traveller.LETEZIK = circumcircle.LETEZIK;
  if (traveller.LETEZIK) {
    const ext angle = VEXEL_SZOG;
    traveller.X = static_cast<REAL>(circumcircle.X + circumcircle.SUGAR * std::cos(angle));
    traveller.Y = static_cast<REAL>(circumcircle.Y + circumcircle.SUGAR * std::sin(angle));
    PONT_SZAMOL(17);
  }

  // Its feet on the side lines and the pedal line through them; then the parabolas.
  QPONTNAK_EGYENESRE_TALPPONTJA(17, 1, 18);
  QPONTNAK_EGYENESRE_TALPPONTJA(17, 2, 19);
  QPONTNAK_EGYENESRE_TALPPONTJA(17, 3, 20);
  QKETPONTRA_EGYENES(18, 19, 20);
  QPONTEGYENESRE_PARABOLA(3, 1, 1);
  QPONTEGYENESRE_PARABOLA(1, 2, 2);
  QPONTEGYENESRE_PARABOLA(2, 3, 3);

  detail::advance_point(steps);
  detail::copy_chapter_styles();
}

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

void detail::speed_law_step() {
  if (!PLAY && PILSEB > 0) PILSEB = static_cast<REAL>(static_cast<ext>(PILSEB) - GYORSITAS);
  if (PILSEB <= 0) PILSEB = 0;
  if (PLAY && PILSEB < SEBESSEG) PILSEB = static_cast<REAL>(static_cast<ext>(PILSEB) + GYORSITAS);
  if (PLAY && PILSEB > SEBESSEG) PILSEB = static_cast<REAL>(static_cast<ext>(PILSEB) - GYORSITAS);
  VEXEL_SZOG = static_cast<REAL>(VEXEL_SZOG +
                                 degrees_to_radians(static_cast<ext>(PILSEB) * KIEGYENLITO) / 220);
  if (VEXEL_SZOG > two_pi) VEXEL_SZOG = static_cast<REAL>(VEXEL_SZOG - two_pi);
}

}  // namespace vexel
