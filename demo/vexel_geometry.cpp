// vexel: the plane geometry routines: lines in two explicit forms, intersections,
// perpendiculars, feet, bisectors, distances, direction angles and rotation.
#include <cmath>

#include "vexel.hpp"

namespace vexel {

namespace {

// Every expression is evaluated in extended precision; every assignment stores a REAL.
using ext = long double;

constexpr ext half_pi = 1.5707963267948966L;
constexpr ext pi = 3.141592653589793L;
constexpr ext three_half_pi = 4.71238898038469L;

// The angle of a line: arctan of the slope, or pi/2 when it has no y-of-x form.
REAL line_angle(REAL m, BOOLEAN yx) {
  return yx ? static_cast<REAL>(std::atan(static_cast<ext>(m))) : static_cast<REAL>(half_pi);
}

// The values of one line, for routines that build lines into locals.
struct line_values {
  REAL m = 0;
  REAL c = 0;
  REAL m2 = 0;
  REAL c2 = 0;
  REAL angle = 0;
  BOOLEAN yx = false;
  BOOLEAN xy = false;
};

}  // namespace

void KETPONT_EGYENESENEK_ABCDSZOG(REAL x1, REAL y1, REAL x2, REAL y2, REAL& m, REAL& c, REAL& m2,
                                  REAL& c2, REAL& angle, BOOLEAN& yx, BOOLEAN& xy) {
  if (x1 == x2 && y1 == y2) return;
  if (x1 != x2) {
    const ext dx = static_cast<ext>(x2) - x1;
    m = static_cast<REAL>((static_cast<ext>(y2) - y1) / dx);
    c = static_cast<REAL>((static_cast<ext>(x2) * y1 - static_cast<ext>(x1) * y2) / dx);
    yx = true;
    angle = static_cast<REAL>(std::atan(static_cast<ext>(m)));
    if (y1 != y2) {
      m2 = static_cast<REAL>(1.0L / m);
      c2 = static_cast<REAL>(-(static_cast<ext>(c) / m));
      xy = true;
    } else {
      xy = false;
    }
  } else {
    yx = false;
    xy = true;
    m2 = 0;
    c2 = x1;
    angle = static_cast<REAL>(half_pi);
  }
}

void KETEGYENES_METSZESPONTJA(REAL m_1, REAL c_1, [[maybe_unused]] REAL m2_1, REAL c2_1, REAL m_2,
                              REAL c_2, [[maybe_unused]] REAL m2_2, REAL c2_2, BOOLEAN yx1,
                              [[maybe_unused]] BOOLEAN xy1, BOOLEAN yx2,
                              [[maybe_unused]] BOOLEAN xy2, REAL& x, REAL& y, BOOLEAN& ok) {
  // Equal angles also mean equal slopes, so the divisions below never see a zero.
  if (line_angle(m_1, yx1) == line_angle(m_2, yx2)) {
    ok = false;
    return;
  }
  ok = true;
  if (yx1 && yx2) {
    x = static_cast<REAL>((static_cast<ext>(c_2) - c_1) / (static_cast<ext>(m_1) - m_2));
    y = static_cast<REAL>(static_cast<ext>(m_1) * x + c_1);
  } else if (yx2) {
    x = c2_1;
    y = static_cast<REAL>(static_cast<ext>(m_2) * x + c_2);
  } else if (yx1) {
    x = c2_2;
    y = static_cast<REAL>(static_cast<ext>(m_1) * x + c_1);
  }
}

void PONTONATMENO_EGYENESRE_MEROLEGES(REAL m, [[maybe_unused]] REAL c, [[maybe_unused]] REAL m2,
                                      [[maybe_unused]] REAL c2, BOOLEAN yx, BOOLEAN xy, REAL px,
                                      REAL py, REAL& rm, REAL& rc, REAL& rm2, REAL& rc2,
                                      REAL& rangle, BOOLEAN& ryx, BOOLEAN& rxy) {
  const REAL a = line_angle(m, yx);
  if (yx && xy) {
    // a is not 0 (the slope is not), so a + pi/2 is no multiple of pi and the new slope not 0.
    rm = static_cast<REAL>(std::tan(static_cast<ext>(a) + half_pi));
    rc = static_cast<REAL>(static_cast<ext>(py) - static_cast<ext>(rm) * px);
    rm2 = static_cast<REAL>(1.0L / rm);
    rc2 = static_cast<REAL>(-(static_cast<ext>(rc) / rm));
    ryx = true;
    rxy = true;
    rangle = static_cast<REAL>(static_cast<ext>(a) + half_pi);
    if (rangle > pi) rangle = static_cast<REAL>(rangle - pi);
  } else if (yx) {
    ryx = false;
    rxy = true;
    rm2 = 0;
    rc2 = px;
    rangle = static_cast<REAL>(half_pi);
  } else if (xy) {
    ryx = true;
    rxy = false;
    rm = 0;
    rc = py;
    rangle = 0;
  }
}

void SZAKASZFELEZO(REAL x1, REAL y1, REAL x2, REAL y2, REAL& mx, REAL& my) {
  mx = static_cast<REAL>((static_cast<ext>(x1) + x2) / 2);
  my = static_cast<REAL>((static_cast<ext>(y1) + y2) / 2);
}

void PONTNAK_EGYENESRE_TALPPONTJA(REAL m, REAL c, REAL m2, REAL c2, BOOLEAN yx, BOOLEAN xy, REAL px,
                                  REAL py, REAL& fx, REAL& fy) {
  line_values perp;
  PONTONATMENO_EGYENESRE_MEROLEGES(m, c, m2, c2, yx, xy, px, py, perp.m, perp.c, perp.m2, perp.c2,
                                   perp.angle, perp.yx, perp.xy);
  KETEGYENES_METSZESPONTJA(m, c, m2, c2, perp.m, perp.c, perp.m2, perp.c2, yx, xy, perp.yx, perp.xy,
                           fx, fy, HULYESEGBOOLEAN);
}

void HAROMPONTRA_SZOGFELEZO(REAL ax, REAL ay, REAL bx, REAL by, REAL cx, REAL cy, REAL& m, REAL& c,
                            REAL& m2, REAL& c2, REAL& angle, BOOLEAN& yx, BOOLEAN& xy) {
  if ((ax == bx && ay == by) || (bx == cx && by == cy) || (cx == ax && cy == ay)) {
    yx = false;
    xy = false;
    return;
  }
  line_values ab;
  line_values bc;
  KETPONT_EGYENESENEK_ABCDSZOG(ax, ay, bx, by, ab.m, ab.c, ab.m2, ab.c2, ab.angle, ab.yx, ab.xy);
  KETPONT_EGYENESENEK_ABCDSZOG(bx, by, cx, cy, bc.m, bc.c, bc.m2, bc.c2, bc.angle, bc.yx, bc.xy);
  if (ab.angle == bc.angle) return;
  const REAL dab = KETPONT_TAVOLSAGA(ax, ay, bx, by);
  const REAL dbc = KETPONT_TAVOLSAGA(bx, by, cx, cy);
  // D divides AC in the ratio AB : BC, so BD bisects the angle at B.
  const ext sum = static_cast<ext>(dab) + dbc;
  const REAL dx =
      static_cast<REAL>((static_cast<ext>(dbc) * ax + static_cast<ext>(dab) * cx) / sum);
  const REAL dy =
      static_cast<REAL>((static_cast<ext>(dbc) * ay + static_cast<ext>(dab) * cy) / sum);
  KETPONT_EGYENESENEK_ABCDSZOG(bx, by, dx, dy, m, c, m2, c2, angle, yx, xy);
}

REAL SZOGMERES(REAL px, REAL py, REAL qx, REAL qy) {
  const REAL dx = px - qx;
  const REAL dy = py - qy;
  if (dx > 0 && dy == 0) return 0;
  if (dx > 0 && dy > 0) return static_cast<REAL>(std::atan(static_cast<ext>(dy) / dx));
  if (dx == 0 && dy > 0) return static_cast<REAL>(half_pi);
  if (dx < 0 && dy > 0) return static_cast<REAL>(pi - std::atan(static_cast<ext>(dy) / -dx));
  if (dx < 0 && dy == 0) return static_cast<REAL>(pi);
  if (dx < 0 && dy < 0) return static_cast<REAL>(pi + std::atan(static_cast<ext>(dy) / dx));
  if (dx == 0 && dy < 0) return static_cast<REAL>(three_half_pi);
  if (dx > 0 && dy < 0) {
    return static_cast<REAL>(three_half_pi + std::atan(static_cast<ext>(dx) / -dy));
  }
  return 0;  // P = Q: no direction; the callers then have a zero distance
}

REAL KETPONT_TAVOLSAGA(REAL x1, REAL y1, REAL x2, REAL y2) {
  const ext dx = static_cast<ext>(x1) - x2;
  const ext dy = static_cast<ext>(y1) - y2;
  return static_cast<REAL>(std::sqrt(dx * dx + dy * dy));
}

void FORGAT(REAL angle, REAL px, REAL py, REAL cx, REAL cy, REAL& rx, REAL& ry) {
  const REAL d = KETPONT_TAVOLSAGA(px, py, cx, cy);
  const REAL t = static_cast<REAL>(static_cast<ext>(SZOGMERES(px, py, cx, cy)) + angle);
  rx = static_cast<REAL>(d * std::cos(static_cast<ext>(t)) + cx);
  ry = static_cast<REAL>(d * std::sin(static_cast<ext>(t)) + cy);
}

BOOLEAN PONTEGYENESEN(REAL px, REAL py, REAL m, REAL c, [[maybe_unused]] REAL m2, REAL c2,
                      BOOLEAN yx, BOOLEAN xy) {
  if (yx && !xy) return py == c;
  if (xy && !yx) return px == c2;
  if (yx && xy) return static_cast<ext>(py) == static_cast<ext>(m) * px + c;
  return false;
}

}  // namespace vexel
