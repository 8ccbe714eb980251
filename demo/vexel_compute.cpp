// vexel: the per-frame computation of the figure: every construction, the travelling point on
// the circumcircle, its pedal line and the parabolas, opened by the backdrop copy and the clearing
// of the scene layer.
#include <cmath>

#include "orla.hpp"
#include "orla_sprites.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

using ext = long double;

}  // namespace

void SZAMOLASI_QELJARASOK() {
  detail::compute_frame(1);
}

void detail::compute_frame(std::int64_t steps, long double fraction) {
  if (GOMBKATTINT(slider_button) && SARGAMENU == pedal_chapter) {
    SEBESSEG = static_cast<BYTE>(GOMB[slider_button].y2 - orla_win32::M_Y);
  }
  // The backdrop becomes the frame, and the scene layer is cleared: only what the figure drew
  // last frame, the rest of the layer being black already. The frame at the size the screen
  // shows it starts likewise; while it is shown, the 800 x 600 frame is composed only when
  // something takes it.
  detail::begin_large_frame();
  if (detail::small_figure_wanted()) orla::FLIP_VW(BACKGROUND.DATA, RESULT.DATA);
  detail::clear_layer(SPRITE01);

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
    const ext angle = detail::drawn_point_angle(fraction);
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

}  // namespace vexel
