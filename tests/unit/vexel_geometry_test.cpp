// Tests of unit vexel's plane geometry routines: line forms, intersections, perpendiculars and
// feet, bisectors, direction angles, rotation and the point-on-line test.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "vexel.hpp"

using namespace vexel;

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double unset = -99;  // marks an output the routine did not write

struct line {
  REAL m = unset, c = unset, m2 = unset, c2 = unset, angle = unset;
  BOOLEAN yx = false, xy = false;
  auto values() const { return std::tuple(m, c, m2, c2, yx, xy); }
};

line through(REAL x1, REAL y1, REAL x2, REAL y2) {
  line l;
  KETPONT_EGYENESENEK_ABCDSZOG(x1, y1, x2, y2, l.m, l.c, l.m2, l.c2, l.angle, l.yx, l.xy);
  return l;
}

line perpendicular(const line& l, REAL px, REAL py) {
  line r;
  PONTONATMENO_EGYENESRE_MEROLEGES(l.m, l.c, l.m2, l.c2, l.yx, l.xy, px, py, r.m, r.c, r.m2, r.c2,
                                   r.angle, r.yx, r.xy);
  return r;
}

line bisector(REAL ax, REAL ay, REAL bx, REAL by, REAL cx, REAL cy, line l = {}) {
  HAROMPONTRA_SZOGFELEZO(ax, ay, bx, by, cx, cy, l.m, l.c, l.m2, l.c2, l.angle, l.yx, l.xy);
  return l;
}

// The intersection, or (unset, unset) with ok false.
std::tuple<bool, REAL, REAL> meet(const line& a, const line& b) {
  REAL x = unset, y = unset;
  BOOLEAN ok = true;
  KETEGYENES_METSZESPONTJA(a.m, a.c, a.m2, a.c2, b.m, b.c, b.m2, b.c2, a.yx, a.xy, b.yx, b.xy, x, y,
                           ok);
  return {ok, x, y};
}

}  // namespace

TEST(VexelGeometry, TwoPointsGiveObliqueVerticalOrHorizontalLines) {
  const line oblique = through(0, 0, 10, 10);
  EXPECT_EQ(oblique.values(), std::tuple(1.0, 0.0, 1.0, 0.0, true, true));
  EXPECT_DOUBLE_EQ(oblique.angle, pi / 4);
  const line vertical = through(5, 0, 5, 9);
  EXPECT_EQ(vertical.values(), std::tuple(unset, unset, 0.0, 5.0, false, true));
  EXPECT_DOUBLE_EQ(vertical.angle, pi / 2);
  const line horizontal = through(2, 7, 9, 7);
  EXPECT_EQ(horizontal.values(), std::tuple(0.0, 7.0, unset, unset, true, false));
  EXPECT_EQ(horizontal.angle, 0);
  const line none = through(3, 4, 3, 4);
  EXPECT_EQ(none.values(), line{}.values()) << "two equal points write nothing";
  EXPECT_EQ(none.angle, unset);
}

TEST(VexelGeometry, IntersectionsAndParallelLines) {
  const line slope2 = through(0, 1, 1, 3);  // y = 2x + 1
  const line vertical = through(3, 0, 3, 5);
  EXPECT_EQ(meet(through(0, 0, 1, 1), through(0, 4, 4, 0)), std::tuple(true, 2.0, 2.0));
  EXPECT_EQ(meet(vertical, slope2), std::tuple(true, 3.0, 7.0));
  EXPECT_EQ(meet(slope2, vertical), std::tuple(true, 3.0, 7.0));
  EXPECT_EQ(meet(vertical, through(0, 6, 1, 6)), std::tuple(true, 3.0, 6.0));
  const std::tuple none(false, unset, unset);
  EXPECT_EQ(meet(slope2, through(0, 5, 1, 7)), none) << "parallel";
  EXPECT_EQ(meet(slope2, through(2, 5, 3, 7)), none) << "identical";
  EXPECT_EQ(meet(vertical, through(8, 0, 8, 1)), none) << "two verticals";
  EXPECT_EQ(meet(through(0, 1, 5, 1), through(0, 3, 5, 3)), none) << "two horizontals";
}

TEST(VexelGeometry, PerpendicularsAndFeet) {
  const line to_horizontal = perpendicular(through(0, 1, 5, 1), 2, 5);
  EXPECT_EQ(to_horizontal.values(), std::tuple(unset, unset, 0.0, 2.0, false, true));
  EXPECT_DOUBLE_EQ(to_horizontal.angle, pi / 2);
  const line to_vertical = perpendicular(through(7, 0, 7, 3), 2, 5);
  EXPECT_EQ(to_vertical.values(), std::tuple(0.0, 5.0, unset, unset, true, false));
  EXPECT_EQ(to_vertical.angle, 0);
  // y = 2x + 1: the perpendicular through (1, 1) has slope -1/2 and passes through the point.
  const line to_oblique = perpendicular(through(0, 1, 1, 3), 1, 1);
  EXPECT_TRUE(to_oblique.yx && to_oblique.xy);
  EXPECT_NEAR(to_oblique.m, -0.5, 1e-15);
  EXPECT_NEAR(to_oblique.m + to_oblique.c, 1, 1e-15);
  EXPECT_NEAR(to_oblique.m2 + to_oblique.c2, 1, 1e-15);
  EXPECT_NEAR(to_oblique.angle, std::atan(2.0) + pi / 2, 1e-15);
  const line nothing = perpendicular(line{0, 0, 0, 0, 0, false, false}, 1, 1);
  EXPECT_EQ(nothing.values(), line{}.values()) << "a line with no form gives nothing";

  REAL fx = 0, fy = 0;
  PONTNAK_EGYENESRE_TALPPONTJA(1, 0, 1, 0, true, true, 0, 4, fx, fy);
  EXPECT_EQ(std::tuple(fx, fy), std::tuple(2.0, 2.0));
  PONTNAK_EGYENESRE_TALPPONTJA(0, 0, 0, 6, false, true, 1, 9, fx, fy);
  EXPECT_EQ(std::tuple(fx, fy), std::tuple(6.0, 9.0));
}

TEST(VexelGeometry, AngleBisectors) {
  // D = (2, 2) divides AC in the ratio 4 : 4; the bisector at B = (4, 0) is y = -x + 4.
  const line b = bisector(0, 0, 4, 0, 4, 4);
  EXPECT_TRUE(b.yx && b.xy);
  EXPECT_DOUBLE_EQ(b.m, -1);
  EXPECT_DOUBLE_EQ(b.c, 4);
  // Sides 3 and 5 at a right angle in B = (0, 0): the bisector is y = x.
  const line right = bisector(3, 0, 0, 0, 0, 5);
  EXPECT_DOUBLE_EQ(right.m, 1);
  EXPECT_DOUBLE_EQ(right.c, 0);
  EXPECT_EQ(bisector(0, 0, 1, 1, 3, 3).values(), line{}.values()) << "collinear: nothing written";
  line flagged;
  flagged.yx = flagged.xy = true;
  EXPECT_EQ(bisector(0, 0, 2, 2, 2, 2, flagged).values(), line{}.values()) << "equal points";
}

TEST(VexelGeometry, DirectionAngleInAllEightCases) {
  const REAL qx = 10, qy = -3;
  const int directions[8][2] = {{2, 0},  {2, 1},   {0, 3},  {-2, 1},
                                {-2, 0}, {-1, -3}, {0, -1}, {1, -2}};
  for (const auto& d : directions) {
    const double expected = std::fmod(std::atan2(d[1], d[0]) + 2 * pi, 2 * pi);
    EXPECT_NEAR(SZOGMERES(qx + d[0], qy + d[1], qx, qy), expected, 1e-15) << d[0] << "," << d[1];
  }
  EXPECT_DOUBLE_EQ(SZOGMERES(0, 1, 0, 0), pi / 2);
  EXPECT_DOUBLE_EQ(SZOGMERES(-1, 0, 0, 0), pi);
  EXPECT_DOUBLE_EQ(SZOGMERES(1, -1, 0, 0), 7 * pi / 4);
}

TEST(VexelGeometry, RotationDistanceAndPointOnLine) {
  REAL x = 0, y = 0;
  FORGAT(pi / 2, 1, 0, 0, 0, x, y);
  EXPECT_NEAR(x, 0, 1e-15);
  EXPECT_NEAR(y, 1, 1e-15);
  FORGAT(pi, 13, 4, 10, 0, x, y);  // half a turn about (10, 0)
  EXPECT_NEAR(x, 7, 1e-13);
  EXPECT_NEAR(y, -4, 1e-13);
  FORGAT(1.0, 5, 6, 5, 6, x, y);
  EXPECT_EQ(std::tuple(x, y), std::tuple(5.0, 6.0)) << "a point on the centre stays";
  EXPECT_EQ(KETPONT_TAVOLSAGA(1, 2, 4, 6), 5);

  EXPECT_TRUE(PONTEGYENESEN(3, 8, 2, 2, 0.5, -1, true, true));
  EXPECT_FALSE(PONTEGYENESEN(3, 8.000000001, 2, 2, 0.5, -1, true, true));
  EXPECT_TRUE(PONTEGYENESEN(4, 1, 0, 1, 0, 0, true, false));
  EXPECT_FALSE(PONTEGYENESEN(4, 1.5, 0, 1, 0, 0, true, false));
  EXPECT_TRUE(PONTEGYENESEN(7, 0, 0, 0, 0, 7, false, true));
  EXPECT_FALSE(PONTEGYENESEN(7.25, 0, 0, 0, 0, 7, false, true));
  EXPECT_FALSE(PONTEGYENESEN(0, 0, 0, 0, 0, 0, false, false)) << "no line";
}
