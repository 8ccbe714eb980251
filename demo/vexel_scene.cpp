// vexel: the scene tables with their fixed element roles and the start values of the figure.
#include "vexel.hpp"

namespace vexel {

// Points: 1-3 vertices A, B, C (free); 4-6 midpoints of AB, BC, CA; 7-9 feet of the altitudes
// from C, A, B; 10-12 excentres opposite A, B, C; 13 circumcentre; 14 incentre; 15 orthocentre;
// 16 centroid; 17 the point travelling on the circumcircle; 18-20 its feet on AB, BC, CA;
// 21 foot of the incentre on AB; 22-24 feet of the excentres on AB; 25-27 feet of the internal
// bisectors at C, A, B on the opposite side lines.
checked_array<PONT_TYPE, 1, 60> PONT;
// Segments: 1-3 sides AB, BC, CA; 4-6 medians; 7-9 altitudes; 10-12 internal bisectors up to the
// opposite side; 13-15 the triangle of the altitude feet.
checked_array<SZAKASZ_TYPE, 1, 50> SZAKASZ;
// Lines: 1-3 side lines AB, BC, CA; 4-6 median lines; 7-9 altitude lines; 10-12 perpendicular
// bisectors of the sides; 13-15 internal bisectors at C, A, B; 16-18 external bisectors at C, A,
// B; 19 through circumcentre and orthocentre; 20 the pedal line of point 17.
checked_array<EGYENES_TYPE, 1, 50> EGYENES;
// Circles: 1 circumcircle; 2 incircle; 3-5 excircles opposite A, B, C.
checked_array<KOR_TYPE, 1, 10> KOR;
// Parabolas: focus C with directrix AB, focus A with BC, focus B with CA.
checked_array<PARABOLA_TYPE, 1, 3> PARABOLA;

namespace detail {

void clear_scene_flags() {
  for (auto& p : PONT) p.LATSZIK = p.LETEZIK = false;
  for (auto& s : SZAKASZ) s.LATSZIK = s.LETEZIK = false;
  for (auto& e : EGYENES) e.LATSZIK = e.LETEZIK = false;
  for (auto& k : KOR) k.LATSZIK = k.LETEZIK = false;
}

void place_vertices_at_start() {
  for (int v = 1; v <= 3; ++v) {
    PONT[v].X = start_vertex[v - 1].x;
    PONT[v].Y = start_vertex[v - 1].y;
  }
}

}  // namespace detail
}  // namespace vexel
