// Tests of unit vexel's figure: the constructions checked against the geometry of the triangle,
// degenerate triangles, the screen copies and the construction table.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <png.h>
#endif

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <vector>

#include "file_fixtures.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"
#include "vexel_harness.hpp"
#include "vexel_scene_reset.hpp"

using namespace vexel;
using vexel_test::reset_scene;

namespace {

void place(REAL ax, REAL ay, REAL bx, REAL by, REAL cx, REAL cy) {
  PONT[1].X = ax;
  PONT[1].Y = ay;
  PONT[2].X = bx;
  PONT[2].Y = by;
  PONT[3].X = cx;
  PONT[3].Y = cy;
}

void all_screen_copies() {
  for (int i = 1; i <= 60; ++i) PONT_SZAMOL(i);
  for (int i = 1; i <= 50; ++i) SZAKASZ_SZAMOL(i);
  for (int i = 1; i <= 50; ++i) EGYENES_SZAMOL(i);
  for (int i = 1; i <= 10; ++i) KOR_SZAMOL(i);
}

struct vec {
  long double x, y;
  vec operator-(vec o) const { return {x - o.x, y - o.y}; }
  long double dot(vec o) const { return x * o.x + y * o.y; }
  long double len() const { return std::sqrt(dot(*this)); }
};
vec at(int p) {
  return {PONT[p].X, PONT[p].Y};
}
vec mid(vec a, vec b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}
// Distance of p from the line through a and b.
long double off_line(vec p, vec a, vec b) {
  const vec d = b - a, q = p - a;
  return std::fabs(d.x * q.y - d.y * q.x) / d.len();
}

}  // namespace

TEST(VexelFigure, RandomTrianglesGiveTheClassicalFigure) {
  reset_scene();
  std::mt19937_64 rng(20240601);
  std::uniform_real_distribution<double> ux(0, 799), uy(0, 455), turn(0, 6.283);
  const long double tol = 1e-9;
  for (int checked = 0; checked < 2000 && !HasFailure();) {
    place(ux(rng), uy(rng), ux(rng), uy(rng), ux(rng), uy(rng));
    const vec a = at(1), b = at(2), c = at(3);
    // each side line with the opposite vertex: AB and C, BC and A, CA and B
    const vec side[3][3] = {{a, b, c}, {b, c, a}, {c, a, b}};
    const long double size = std::fmax((b - a).len(), std::fmax((c - b).len(), (a - c).len()));
    // well-shaped triangles: sides of 30 px or more, every height at least a tenth of the longest
    bool shaped = true;
    for (const auto& s : side)
      shaped = shaped && (s[1] - s[0]).len() >= 30 && off_line(s[2], s[0], s[1]) >= 0.1 * size;
    if (!shaped) continue;
    ++checked;
    VEXEL_SZOG = turn(rng);
    SZAMOLASI_QELJARASOK();
    SCOPED_TRACE(testing::Message() << "A " << a.x << "," << a.y << " B " << b.x << "," << b.y
                                    << " C " << c.x << "," << c.y);
    for (int p = 4; p <= 27; ++p) ASSERT_TRUE(PONT[p].LETEZIK) << p;
    ASSERT_TRUE(EGYENES[20].LETEZIK && KOR[1].LETEZIK);

    const vec o = at(13), h = at(15), g = at(16), p17 = at(17);
    const long double r = (a - o).len();
    for (const vec& v : {b, c, p17}) EXPECT_LT(std::fabs((v - o).len() - r), tol * r);
    EXPECT_LT(std::fabs(KOR[1].SUGAR - r), tol * r);
    const EGYENES_TYPE& pedal = EGYENES[20];
    for (int k = 0; k < 3; ++k) {
      const vec u = side[k][0], v = side[k][1], w = side[k][2];
      for (int p : {14, 10, 11, 12}) {  // incentre and excentres
        const long double d = off_line(at(p), a, b);
        EXPECT_LT(std::fabs(off_line(at(p), u, v) - d), tol * d) << p;
      }
      EXPECT_LT(std::fabs((h - w).dot(v - u)) / (v - u).len(), tol * size) << "altitude " << k;
      EXPECT_LT(off_line(g, w, mid(u, v)), tol * size) << "median " << k;
      // The foot of point 17 on this side, and line 20 through it (measured in the form the
      // line is drawn from: y of x when flat, x of y when steep).
      const vec foot = at(18 + k);
      EXPECT_LT(off_line(foot, u, v), tol * size) << 18 + k;
      EXPECT_LT(std::fabs((p17 - foot).dot(v - u)) / size, tol * size) << 18 + k;
      const long double to_pedal =
          pedal.YXFORMA && std::fabs(pedal.M) < 1
              ? std::fabs(pedal.M * foot.x - foot.y + pedal.C) / std::hypot(pedal.M, 1.0)
              : std::fabs(foot.x - pedal.M2 * foot.y - pedal.C2) / std::hypot(pedal.M2, 1.0);
      EXPECT_LT(to_pedal, tol * size) << "foot " << 18 + k << " on line 20";

      // Parabola k+1 has the focus w and the directrix uv; its points, sampled as they are
      // drawn (u = FX + t, v = t^2 / 2P + FY - P/2, turned by SZOG about the focus), are as far
      // from the focus as from the directrix.
      const PARABOLA_TYPE& q = PARABOLA[k + 1];
      ASSERT_TRUE(q.LETEZIK) << k + 1;
      for (double t = -300; t <= 300; t += 37.5) {
        const long double du = t, dv = t * t / (2 * q.P) - q.P / 2;
        const vec pt{q.FX + std::cos(q.SZOG) * du - std::sin(q.SZOG) * dv,
                     q.FY + std::sin(q.SZOG) * du + std::cos(q.SZOG) * dv};
        const long double to_focus = (pt - w).len();
        EXPECT_LT(std::fabs(to_focus - off_line(pt, u, v)), tol * to_focus) << k + 1 << " " << t;
      }
    }
    EXPECT_LT(std::fabs(KOR[2].SUGAR - off_line(at(14), a, b)), tol * KOR[2].SUGAR);
  }
}

TEST(VexelFigure, DegenerateTrianglesLoseThePedalLineAndNeverWrapScreenFields) {
  // Exactly collinear (horizontal; diagonal as a drag places them, offsets 0, +0.1, -0.1), and C
  // a millionth of a pixel off AB, which puts the circumcentre some 4.5e10 pixels away: its
  // screen copies are refused, the circle is not drawn, but the points keep existing.
  const REAL cases[3][6] = {{100, 100, 200, 100, 300, 100},
                            {0, 0, 1.1, 1.1, 1.9, 1.9},
                            {100, 300, 700, 300, 400, 300 + 1e-6}};
  for (const auto& v : cases) {
    reset_scene();
    SZAMOLASI_QELJARASOK();  // a proper triangle first, so stale values are around
    all_screen_copies();
    const LONGINT old_kx = PONT[13].KX;
    place(v[0], v[1], v[2], v[3], v[4], v[5]);
    std::feclearexcept(FE_ALL_EXCEPT);
    SZAMOLASI_QELJARASOK();
    const bool collinear = !KOR[1].LETEZIK;
    all_screen_copies();
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID));
    EXPECT_EQ(collinear, v[5] != 300 + 1e-6) << "the near one is constructed, then skipped";
    EXPECT_FALSE(KOR[1].LETEZIK);
    EXPECT_TRUE(!collinear || !EGYENES[20].LETEZIK);
    for (int p : {13, 17, 18, 19, 20}) EXPECT_EQ(PONT[p].LETEZIK, !collinear) << p;
    EXPECT_EQ(PONT[13].KX, old_kx) << "the screen copy keeps its last value";
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(PARABOLA[k].LETEZIK, !collinear) << "focus on directrix";
    EXPECT_TRUE(SZAKASZ[1].LETEZIK && EGYENES[1].LETEZIK) << "the sides are still there";

    auto fits = [](LONGINT v) { return v > -detail::screen_limit && v < detail::screen_limit; };
    for (const auto& p : PONT) EXPECT_TRUE(!p.LETEZIK || (fits(p.KX) && fits(p.KY))) << p.X;
    for (const auto& s : SZAKASZ)
      EXPECT_TRUE(!s.LETEZIK || (fits(s.KX1) && fits(s.KY1) && fits(s.KX2) && fits(s.KY2)));
    for (const auto& e : EGYENES)
      EXPECT_TRUE(!e.LETEZIK || (fits(e.KX1) && fits(e.KY1) && fits(e.KX2) && fits(e.KY2)));
    for (const auto& k : KOR)
      EXPECT_TRUE(!k.LETEZIK || (fits(k.KX) && fits(k.KY) && fits(k.KSUGAR)));
  }
}

TEST(VexelFigure, TheTravellingPointFarAboveAHugeCircumcircleKeepsItsPedalLine) {
  // A triangle a drag can make, circumradius 5.5e8 pixels: just past the top of the circle the
  // point is 1.1e9 pixels above the picture, and the pedal line crosses the picture.
  reset_scene();
  place(0, 100, 445.1, 101.1, 768.9, 101.9);
  VEXEL_SZOG = 1.5 * 3.14159265358979323846 + 0.0018;
  SZAMOLASI_QELJARASOK();
  ASSERT_TRUE(PONT[17].LETEZIK);
  EXPECT_LT(PONT[17].Y, -1.1e9);
  for (int p = 18; p <= 20; ++p) EXPECT_TRUE(PONT[p].LETEZIK) << p;
  ASSERT_TRUE(EGYENES[20].LETEZIK);
  EGYENES_SZAMOL(20);
  EXPECT_TRUE(EGYENES[20].LETEZIK);
  EXPECT_EQ(EGYENES[20].KX1, 0);
  EXPECT_EQ(EGYENES[20].KX2, 800);
  for (const LONGINT y : {EGYENES[20].KY1, EGYENES[20].KY2}) {
    EXPECT_GT(y, 100);
    EXPECT_LT(y, 350);
  }
  // a flatter triangle's circumcircle, 1.5e9 pixels in radius, still passes through the
  // vertices on screen: its screen copy holds it
  KOR[1].X = 400;
  KOR[1].Y = 1.5e9 + 200;
  KOR[1].SUGAR = 1.5e9;
  KOR_SZAMOL(1);
  EXPECT_TRUE(KOR[1].LETEZIK);
  EXPECT_EQ(KOR[1].KSUGAR, 1500000000);
}

TEST(VexelFigure, NoDivisionByZeroOrInvalidOperationAnywhereADragCanReach) {
  reset_scene();
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> ux(0, 799), uy(0, 455);
  std::uniform_real_distribution<double> along(-0.5, 1.5);
  for (int n = 0; n < 8000; ++n) {
    const int ax = ux(rng), ay = uy(rng), bx = ux(rng), by = uy(rng);
    int cx = ux(rng), cy = uy(rng);
    if (n % 2) {  // C on the grid point nearest to line AB: nearly or exactly collinear
      const double t = along(rng);
      cx = static_cast<int>(std::lround(ax + t * (bx + 0.1 - ax)));
      cy = static_cast<int>(std::lround(ay + t * (by + 0.1 - ay)));
      if (cx < 0 || cx > 799 || cy < 0 || cy > 455) continue;
    }
    const REAL placements[4][6] = {
        {REAL(ax), REAL(ay), bx + 0.1, by + 0.1, cx - 0.1, cy - 0.1},
        {REAL(ax), REAL(ay), 550, 405, cx - 0.1, cy - 0.1},  // B still at its start
        {550, 405, 550, 405, cx - 0.1, cy - 0.1},            // A dragged onto B
        {REAL(ax), REAL(ay), bx + 0.1, by + 0.1, 420, 150}};
    for (const auto& v : placements) {
      place(v[0], v[1], v[2], v[3], v[4], v[5]);
      std::feclearexcept(FE_ALL_EXCEPT);
      SZAMOLASI_QELJARASOK();
      all_screen_copies();
      ASSERT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID))
          << v[0] << "," << v[1] << " " << v[2] << "," << v[3] << " " << v[4] << "," << v[5];
      for (int k = 1; k <= 3; ++k)
        ASSERT_TRUE(!PARABOLA[k].LETEZIK || PARABOLA[k].P != 0) << "parabola " << k;
    }
  }
}

TEST(VexelFigure, ParabolaSideOfTheDirectrix) {
  reset_scene();
  auto parabola_p = [](REAL fx, REAL fy, REAL x1, REAL y1, REAL x2, REAL y2) {
    PONT[3].LETEZIK = PONT[1].LETEZIK = PONT[2].LETEZIK = true;
    place(x1, y1, x2, y2, fx, fy);
    QKETPONTRA_EGYENES(1, 2, 1);
    QPONTEGYENESRE_PARABOLA(3, 1, 1);
    return PARABOLA[1].LETEZIK ? PARABOLA[1].P : 0.0;
  };
  EXPECT_EQ(parabola_p(50, 80, 0, 30, 100, 30), 50) << "directrix above the focus";
  EXPECT_EQ(parabola_p(50, 80, 0, 90, 100, 90), -10) << "below";
  EXPECT_EQ(parabola_p(50, 80, 70, 0, 70, 100), 20) << "vertical, right of the focus";
  EXPECT_EQ(parabola_p(50, 80, 40, 0, 40, 100), -10) << "left";
  EXPECT_EQ(parabola_p(50, 80, 0, 80, 100, 80), 0) << "focus on the directrix";
  EXPECT_EQ(PARABOLA[1].P, -10) << "a parabola that cannot be made keeps its values";

  // A drag can put C a rounding error off line AB: the exact test says off the line, yet the
  // computed foot is the focus itself. Such a parabola must not exist (it would have P = 0).
  place(607, 81, 778 + 0.1, 252 + 0.1, 713 - 0.1, 187 - 0.1);
  SZAMOLASI_QELJARASOK();
  const EGYENES_TYPE& ab = EGYENES[1];
  ASSERT_FALSE(
      PONTEGYENESEN(PONT[3].X, PONT[3].Y, ab.M, ab.C, ab.M2, ab.C2, ab.YXFORMA, ab.XYFORMA));
  EXPECT_FALSE(PARABOLA[1].LETEZIK);
}

TEST(VexelFigure, ScreenCopiesOfLinesAndSegments) {
  reset_scene();
  auto ends = [](REAL m, REAL c, REAL m2, REAL c2, bool yx, bool xy) {
    EGYENES_TYPE& e = EGYENES[30];
    e = EGYENES_TYPE{m, c, m2, c2, 0, 0, 0, 0, 0, 0, 0, 0, 1, false, true, yx, xy};
    EGYENES_SZAMOL(30);
    return std::array<LONGINT, 5>{e.KX1, e.KY1, e.KX2, e.KY2,
                                  static_cast<LONGINT>(std::lrint(e.SZOG * 1e6))};
  };
  EXPECT_EQ(ends(0.5, 10, 2, -20, true, true), (std::array<LONGINT, 5>{0, 10, 800, 410, 463648}));
  EXPECT_EQ(ends(9, 9, 0, 300, false, true), (std::array<LONGINT, 5>{300, 0, 300, 460, 1570796}));
  EXPECT_EQ(ends(2, 0, 0.5, 0, true, true), (std::array<LONGINT, 5>{0, 0, 230, 460, 1107149}));
  EXPECT_EQ(ends(0, 7.5, 9, 9, true, false), (std::array<LONGINT, 5>{0, 8, 800, 8, 0}));

  // Rounding is half to even; a segment whose ends meet in one pixel stops existing until its
  // construction runs again.
  place(10.5, 11.5, 10.4, 12.4, 0, 0);
  PONT[1].LETEZIK = PONT[2].LETEZIK = true;
  QKETPONTRA_SZAKASZ(1, 2, 40);
  SZAKASZ_SZAMOL(40);
  EXPECT_FALSE(SZAKASZ[40].LETEZIK);
  EXPECT_EQ(SZAKASZ[40].KX1, 10);
  EXPECT_EQ(SZAKASZ[40].KY1, 12);
  QKETPONTRA_SZAKASZ(1, 2, 40);
  EXPECT_TRUE(SZAKASZ[40].LETEZIK);
  PONT[2].Y = 20;
  QKETPONTRA_SZAKASZ(1, 2, 40);
  SZAKASZ_SZAMOL(40);
  EXPECT_TRUE(SZAKASZ[40].LETEZIK);
  EXPECT_NEAR(SZAKASZ[40].SZOG, std::atan(8.5 / -0.1), 1e-15);
}

TEST(VexelFigure, ChapterRowsDecideWhatIsShown) {
  reset_scene();
  // chapter -> shown points, segments, lines, circles, parabolas beyond the triangle
  struct shown {
    std::vector<int> p, s, l, k, q;
  };
  const std::map<int, shown> chapters = {
      {2, {{4, 5, 6, 13}, {}, {1, 2, 3, 10, 11, 12}, {1}, {}}},
      {3, {{14}, {10, 11, 12}, {}, {2}, {}}},
      {4, {{7, 8, 9, 15}, {}, {7, 8, 9}, {}, {}}},
      {5, {{4, 5, 6, 16}, {4, 5, 6}, {}, {}, {}}},
      {6, {{10, 11, 12}, {}, {1, 2, 3, 16, 17, 18}, {3, 4, 5}, {}}},
      {7, {{13, 15, 16}, {}, {19}, {}, {}}},
      {8, {{7, 8, 9}, {13, 14, 15}, {1, 2, 3}, {}, {}}},
      {9, {{13, 17, 18, 19, 20}, {}, {1, 2, 3, 20}, {1}, {}}},
      {10, {{}, {}, {1, 2, 3, 13, 14, 15}, {}, {1, 2, 3}}}};
  auto listed = [](const std::vector<int>& v, int i) {
    return std::find(v.begin(), v.end(), i) != v.end();
  };
  for (const auto& [chapter, want] : chapters) {
    SARGAMENU = static_cast<BYTE>(chapter);
    SZAMOLASI_QELJARASOK();
    for (int i = 1; i <= 60; ++i)
      EXPECT_EQ(PONT[i].LATSZIK, i <= 3 || listed(want.p, i)) << chapter << " point " << i;
    for (int i = 1; i <= 50; ++i)
      EXPECT_EQ(SZAKASZ[i].LATSZIK, i <= 3 || listed(want.s, i)) << chapter << " segment " << i;
    for (int i = 1; i <= 50; ++i)
      EXPECT_EQ(EGYENES[i].LATSZIK, listed(want.l, i)) << chapter << " line " << i;
    for (int i = 1; i <= 10; ++i)
      EXPECT_EQ(KOR[i].LATSZIK, listed(want.k, i)) << chapter << " circle " << i;
    for (int i = 1; i <= 3; ++i)
      EXPECT_EQ(PARABOLA[i].LATSZIK, listed(want.q, i)) << chapter << " parabola " << i;
    EXPECT_EQ(PONT[1].MERET, 5);
    EXPECT_EQ(SZAKASZ[2].VASTAGSAG, 2);
    EXPECT_FALSE(PONT[40].LETEZIK) << "nothing constructs point 40";
  }
  // Styles come along: the pedal-line chapter's travelling point, the excircles' stroke.
  SARGAMENU = 9;
  SZAMOLASI_QELJARASOK();
  EXPECT_EQ(PONT[17].MERET, 5);
  EXPECT_EQ((std::array<int, 3>{PONT[17].R, PONT[17].G, PONT[17].B}),
            (std::array<int, 3>{31, 30, 15}));
  SARGAMENU = 6;
  SZAMOLASI_QELJARASOK();
  EXPECT_EQ(KOR[4].VASTAGSAG, 2);
  EXPECT_EQ((std::array<int, 3>{KOR[4].R, KOR[4].G, KOR[4].B}), (std::array<int, 3>{5, 40, 5}));
  EXPECT_EQ(EGYENES[30].VASTAGSAG, 1) << "default style";
}

// ---- taking the figure out: the figure line and the SVG drawing ------------------------------

TEST(VexelFigure, FigureLineRoundTripsAndEveryBadLineIsRefusedWithItsMessage) {
  reset_scene();
  std::mt19937_64 rng(27);
  std::uniform_real_distribution<REAL> x(0, 800), y(0, 458), angle(-20, 20);
  for (int n = 0; n < 300; ++n) {
    detail::figure_state f;
    for (int v = 0; v < 3; ++v) f.x[v] = x(rng), f.y[v] = y(rng);
    f.chapter = static_cast<BYTE>(2 + n % 9);
    f.angle = angle(rng);
    f.speed = static_cast<BYTE>(rng() % 86);
    f.mode = static_cast<detail::point_mode>(rng() % 3);
    const std::string line = detail::figure_line(f);
    const auto read = detail::read_figure_line(line);
    ASSERT_TRUE(read.ok) << line << ": " << read.error;
    EXPECT_EQ(detail::figure_line(read.figure), line);
    // through the screen: applied, then read from the program's own state
    detail::apply_figure(read.figure);
    EXPECT_EQ(detail::figure_line(detail::current_figure()), line);
  }
  EXPECT_EQ(detail::figure_line(detail::figure_state{}),
            "A=300.0,400.0;B=550.0,405.0;C=420.0,150.0;ch=2");
  const auto pedal = detail::read_figure_line(" A=300,400;B=550,405;C=420,150;ch=9;t=0.785;v=40\n");
  ASSERT_TRUE(pedal.ok) << pedal.error;
  EXPECT_EQ(detail::figure_line(pedal.figure),
            "A=300.0,400.0;B=550.0,405.0;C=420.0,150.0;ch=9;t=0.7850;v=40;m=stop");
  EXPECT_TRUE(detail::read_figure_line("A=1,1;B=2,2;C=3,3").ok)
      << "a degenerate triangle is a figure";

  const struct {
    std::string line;
    std::string says;
  } bad[] = {
      {"", "the figure line is empty"},
      {"  \n", "the figure line is empty"},
      {"A=300,400;B=550,405", "the vertex C is missing"},
      {"A=300,400;B=550,405;C=420,150;", "an empty item"},
      {"A=300,400;;B=550,405;C=420,150", "an empty item"},
      {"A=300,400;B550,405;C=420,150", "'B550,405' is not of the form key=value"},
      {"A=300,400;B=550,405;C=420,150;D=1,1", "unknown key 'D'"},
      {"A=300,400;B=550,405;C=420,150;a=1,1", "unknown key 'a'"},
      {"A=300,400;B=550,405;A=1,1;C=420,150", "the vertex A is given twice"},
      {"A=300,400;B=550,405;C=420,150;ch=3;ch=3", "the chapter ch is given twice"},
      {"A=300,400;B=550,405;C=420,150;t=1;t=1", "the angle t is given twice"},
      {"A=nan,400;B=550,405;C=420,150", "the vertex A: 'nan,400' is not a pair of numbers x,y"},
      {"A=300,inf;B=550,405;C=420,150", "is not a pair of numbers"},
      {"A=3e2,400;B=550,405;C=420,150", "is not a pair of numbers"},
      {"A=300;B=550,405;C=420,150", "the vertex A: '300' is not a pair of numbers x,y"},
      {"A=300,400,5;B=550,405;C=420,150", "is not a pair of numbers"},
      {"A=300,400;B=550.5.5,405;C=420,150", "the vertex B: '550.5.5,405'"},
      {"A=300,400;B=800.1,405;C=420,150", "the vertex B=800.1,405 lies outside the figure area"},
      {"A=300,400;B=550,405;C=420,-1", "the vertex C=420,-1 lies outside the figure area"},
      {"A=300,400;B=550,405;C=420,458.5", "lies outside the figure area"},
      {"A=300,400;B=550,405;C=420,150;ch=1", "the chapter ch: '1' is not a chapter number 2 to 10"},
      {"A=300,400;B=550,405;C=420,150;ch=11", "is not a chapter number"},
      {"A=300,400;B=550,405;C=420,150;ch=x", "is not a chapter number"},
      {"A=300,400;B=550,405;C=420,150;t=NaN", "the angle t: 'NaN' is not a number"},
      {"A=300,400;B=550,405;C=420,150;t=6.3", "the angle t=6.3 is outside 0 to 2 pi"},
      {"A=300,400;B=550,405;C=420,150;t=-0.1", "is outside 0 to 2 pi"},
      {"A=300,400;B=550,405;C=420,150;v=86", "the speed v: '86' is not a whole number 0 to 85"},
      {"A=300,400;B=550,405;C=420,150;v=-1", "is not a whole number"},
      {"A=300,400;B=550,405;C=420,150;m=fly", "the mode m: 'fly' is not one of run, stop, mouse"},
      {std::string(100 * 1024, 'A'),
       "the figure line is too long (102400 characters; at most 4096)"},
      {"A=300,400;B=550,405;C=420,150;ch=9;t=" + std::string(1024 * 1024, '1'),
       "the figure line is too long (1048613 characters"},
      {"A=" + std::string(3000, '1') + ",1;B=1,1;C=2,2", "the vertex A: '111111"},
  };
  for (const auto& b : bad) {
    const auto read = detail::read_figure_line(b.line);
    EXPECT_FALSE(read.ok) << b.line.substr(0, 80);
    EXPECT_NE(read.error.find(b.says), std::string::npos)
        << b.line.substr(0, 80) << " said: " << read.error;
    EXPECT_LT(read.error.size(), 200u) << "a long line is named by its start";
    // on the command line: the message, and the default figure (nothing of the line is used)
    EXPECT_FALSE(detail::choose_start_figure({"--lang", "en", "--figure", b.line}).empty());
    EXPECT_FALSE(detail::start_figure_given);
    EXPECT_NE(detail::start_figure_refusal.find(b.says), std::string::npos);
    EXPECT_NE(detail::start_figure_refusal.find("The default figure is shown."), std::string::npos);
  }
  EXPECT_FALSE(detail::choose_start_figure({"--figure"}).empty()) << "a missing line";
  EXPECT_TRUE(detail::choose_start_figure({"--figure=A=1,2;B=3,4;C=5,6;ch=4"}).empty());
  EXPECT_TRUE(detail::start_figure_given);
  EXPECT_EQ(detail::start_figure.chapter, 4);
  EXPECT_TRUE(detail::choose_start_figure({"--lang", "hu"}).empty());
  EXPECT_FALSE(detail::start_figure_given) << "no --figure: the default start";
}

namespace {

// The numeric attribute `name` of the SVG element with the given id; NaN when missing.
std::map<std::string, REAL> svg_attributes(const std::string& svg, const std::string& id) {
  std::map<std::string, REAL> values;
  const std::size_t at = svg.find(" id=\"" + id + "\"");
  if (at == std::string::npos) return values;
  const std::size_t end = svg.find("/>", at);
  const std::string element = svg.substr(at, end - at);
  for (const char* name : {"cx", "cy", "r", "x1", "y1", "x2", "y2", "stroke-width"}) {
    const std::string key = std::string(" ") + name + "=\"";
    const std::size_t k = element.find(key);
    if (k != std::string::npos)
      values[name] = std::strtod(element.c_str() + k + key.size(), nullptr);
  }
  const std::size_t d = element.find(" d=\"M ");
  if (d != std::string::npos) {
    // M x y Q cx cy x y
    const char* p = element.c_str() + d + 6;
    char* next = nullptr;
    const char* names[] = {"mx", "my", "qx", "qy", "ex", "ey"};
    for (int i = 0; i < 6; ++i) {
      if (i == 2) p = std::strchr(p, 'Q') + 1;
      values[names[i]] = std::strtod(p, &next);
      p = next;
    }
  }
  return values;
}

}  // namespace

TEST(VexelFigure, SvgAgreesWithTheRecordsForRandomTrianglesInEveryChapter) {
  reset_scene();
  std::mt19937_64 rng(2712);
  std::uniform_real_distribution<REAL> x(20, 780), y(20, 440);
  constexpr REAL close = 0.01;
  int circles = 0, lines = 0, parabolas = 0;
  for (int n = 0; n < 90; ++n) {
    place(x(rng), y(rng), x(rng), y(rng), x(rng), y(rng));
    SARGAMENU = static_cast<BYTE>(2 + n % 9);
    VEXEL_SZOG = x(rng) / 100;
    SZAMOLASI_QELJARASOK();
    all_screen_copies();
    const std::string svg = detail::figure_svg("t", "d", "");
    for (const bool shadow : {false, true}) {
      const std::string prefix = shadow ? "shadow-" : "";
      const REAL d = shadow ? shadow_offset : 0;
      for (int i = 1; i <= 60; ++i) {
        if (!PONT[i].LATSZIK || !PONT[i].LETEZIK) continue;
        auto a = svg_attributes(svg, prefix + "point-" + std::to_string(i));
        ASSERT_EQ(a.count("cx"), 1u) << "point " << i << " is in the drawing";
        EXPECT_NEAR(a["cx"], PONT[i].X + d, close);
        EXPECT_NEAR(a["cy"], PONT[i].Y + d, close);
      }
      for (int i = 1; i <= 10; ++i) {
        const auto& k = KOR[i];
        if (!k.LATSZIK || !k.LETEZIK) continue;
        auto a = svg_attributes(svg, prefix + "circle-" + std::to_string(i));
        ASSERT_EQ(a.count("r"), 1u) << "circle " << i;
        EXPECT_NEAR(a["cx"], k.X + d, close);
        EXPECT_NEAR(a["cy"], k.Y + d, close);
        // the rings R, R+1, R-1 ...: the stroke's middle is half a pixel out for an even count
        EXPECT_NEAR(a["r"] - (k.VASTAGSAG % 2 == 0 ? 0.5 : 0.0), k.SUGAR, close);
        EXPECT_EQ(a["stroke-width"], k.VASTAGSAG);
        ++circles;
      }
      for (int i = 1; i <= 50; ++i) {
        const auto& e = EGYENES[i];
        if (!e.LATSZIK || !e.LETEZIK) continue;
        auto a = svg_attributes(svg, prefix + "line-" + std::to_string(i));
        if (a.empty()) continue;  // a line that misses the figure area is left out
        // both ends lie on the record's line: its direction and its place
        for (const auto& [px, py] :
             {std::pair{a["x1"] - d, a["y1"] - d}, std::pair{a["x2"] - d, a["y2"] - d}}) {
          const REAL off = e.YXFORMA ? std::fabs(e.M * px + e.C - py) / std::hypot(1.0, e.M)
                                     : std::fabs(e.M2 * py + e.C2 - px) / std::hypot(1.0, e.M2);
          EXPECT_LT(off, close) << "line " << i << " chapter " << int(SARGAMENU);
          EXPECT_GE(px + d, -0.5 - close);
          EXPECT_LE(px + d, 799.5 + close);
          EXPECT_GE(py + d, -0.5 - close);
          EXPECT_LE(py + d, 457.5 + close) << "clipped to the figure area";
        }
        ++lines;
      }
      for (int i = 1; i <= 3; ++i) {
        const auto& q = PARABOLA[i];
        if (!q.LATSZIK || !q.LETEZIK) continue;
        auto a = svg_attributes(svg, prefix + "parabola-" + std::to_string(i));
        ASSERT_EQ(a.count("qx"), 1u) << "parabola " << i;
        // the curve's ends and its middle are as far from the focus as from the directrix
        const REAL mx = (a["mx"] + 2 * a["qx"] + a["ex"]) / 4,
                   my = (a["my"] + 2 * a["qy"] + a["ey"]) / 4;
        for (const auto& [px, py] : {std::pair{a["mx"] - d, a["my"] - d}, std::pair{mx - d, my - d},
                                     std::pair{a["ex"] - d, a["ey"] - d}}) {
          const REAL to_focus = std::hypot(px - q.FX, py - q.FY);
          const REAL to_line = q.YXFORMA ? std::fabs(q.M * px + q.C - py) / std::hypot(1.0, q.M)
                                         : std::fabs(q.M2 * py + q.C2 - px) / std::hypot(1.0, q.M2);
          EXPECT_NEAR(to_focus, to_line, close * std::max(1.0, to_focus / 1000))
              << "parabola " << i;
        }
        ++parabolas;
      }
    }
  }
  EXPECT_GT(circles, 20);
  EXPECT_GT(lines, 100);
  EXPECT_GT(parabolas, 20);
}

// The tools below run on the build machine only: libpng, xmllint, rsvg-convert.
#ifndef _WIN32

namespace {

// An RGBA picture read from a PNG file (empty when unreadable).
std::vector<std::uint8_t> read_rgba(const std::string& path, unsigned& width, unsigned& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return rgba;
}

// Adds the colours of the elements shown, by their SVG names.
void walk_colours(std::map<std::string, WORD>& palette) {
  detail::walk_figure([&palette](const detail::figure_element& e) {
    BYTE r = 0, g = 0, b = 0;
    switch (e.kind) {
      case detail::element_kind::point:
        r = PONT[e.index].R, g = PONT[e.index].G, b = PONT[e.index].B;
        break;
      case detail::element_kind::segment:
        r = SZAKASZ[e.index].R, g = SZAKASZ[e.index].G, b = SZAKASZ[e.index].B;
        break;
      case detail::element_kind::line:
        r = EGYENES[e.index].R, g = EGYENES[e.index].G, b = EGYENES[e.index].B;
        break;
      case detail::element_kind::circle:
        r = KOR[e.index].R, g = KOR[e.index].G, b = KOR[e.index].B;
        break;
      case detail::element_kind::parabola:
        r = PARABOLA[e.index].R, g = PARABOLA[e.index].G, b = PARABOLA[e.index].B;
        break;
    }
    if (!e.shadow) palette[detail::svg_colour(orla::PACK(r, g, b))] = orla::PACK(r, g, b);
  });
}

}  // namespace

TEST(VexelFigure, SvgIsWellFormedAndItsRenderingCoversEveryDrawnPixelInItsColour) {
  // the drawing as browsers and drawing programs see it: xmllint reads it, rsvg-convert renders
  // it at 1x, and every pixel the program draws lies within 1.5 pixels of a pixel of the
  // rendering of (nearly) the same colour
  reset_scene();
  fixtures::scratch_dir dir;
  orla::INIT_VW(SPRITE01, 800, scene_rows, true);
  std::mt19937_64 rng(1527);
  std::uniform_real_distribution<REAL> x(40, 760), y(40, 420);
  for (int chapter = 2; chapter <= 10; ++chapter) {
    place(x(rng), y(rng), x(rng), y(rng), x(rng), y(rng));
    SARGAMENU = static_cast<BYTE>(chapter);
    VEXEL_SZOG = x(rng) / 100;
    SZAMOLASI_QELJARASOK();
    std::fill_n(SPRITE01.DATA, 800 * scene_rows, 0);
    detail::draw_figure();
    const std::string svg = detail::figure_svg("t", "d", "");
    const std::string svg_path = dir / "figure.svg", png_path = dir / "figure.png";
    std::ofstream(svg_path) << svg;
    ASSERT_EQ(std::system(("xmllint --noout " + svg_path).c_str()), 0) << "chapter " << chapter;
    // the colours drawn, each rendered alone: the drawing's shapes of that colour, so that what
    // lies over them elsewhere does not count
    std::map<WORD, int> colours;
    for (int i = 0; i < 800 * scene_rows; ++i)
      if (SPRITE01.DATA[i] != 0) ++colours[SPRITE01.DATA[i]];
    int drawn = 0, missed = 0;
    for (const auto& [colour, count] : colours) {
      std::string paint(1, '"');
      paint += detail::svg_colour(colour);
      paint += '"';
      std::string alone;
      std::istringstream lines(svg);
      for (std::string line; std::getline(lines, line);)
        if (line.find(" id=\"") == std::string::npos || line.find(paint) != std::string::npos)
          alone += line + "\n";
      std::ofstream(svg_path) << alone;
      ASSERT_EQ(std::system(("rsvg-convert " + svg_path + " -o " + png_path).c_str()), 0);
      unsigned w = 0, h = 0;
      const auto rgba = read_rgba(png_path, w, h);
      ASSERT_EQ(w, 800u);
      ASSERT_EQ(h, static_cast<unsigned>(scene_rows));
      for (int py = 0; py < scene_rows; ++py)
        for (int px = 0; px < 800; ++px) {
          if (SPRITE01.DATA[py * 800 + px] != colour) continue;
          ++drawn;
          bool found = false;
          for (int dy = -1; dy <= 1 && !found; ++dy)
            for (int dx = -1; dx <= 1 && !found; ++dx) {
              const int qx = px + dx, qy = py + dy;
              if (qx < 0 || qy < 0 || qx >= 800 || qy >= scene_rows) continue;
              found = rgba[(static_cast<std::size_t>(qy) * 800 + qx) * 4 + 3] >= 32;
            }
          if (!found && ++missed <= 5)
            ADD_FAILURE() << "chapter " << chapter << ": pixel (" << px << ", " << py
                          << ") of colour " << paint << " is not near the drawing's " << paint;
        }
    }
    EXPECT_EQ(missed, 0) << "chapter " << chapter << ", of " << drawn << " pixels";
    EXPECT_GT(drawn, 1000);
  }
  // the encoder's own PNG of the last figure reads back as its pixels
  const std::string png_path = dir / "encoded.png";
  std::ofstream(png_path, std::ios::binary) << detail::png_file(SPRITE01.DATA, 800, scene_rows);
  unsigned w = 0, h = 0;
  const auto rgba = read_rgba(png_path, w, h);
  ASSERT_EQ(rgba.size(), std::size_t{4} * 800 * scene_rows);
  int differ = 0;
  for (std::size_t i = 0; i < std::size_t{800} * scene_rows; ++i) {
    BYTE want[3];
    orla::detail::to_rgb8(SPRITE01.DATA[i], want);
    differ += std::memcmp(want, &rgba[4 * i], 3) != 0 || rgba[4 * i + 3] != 255;
  }
  EXPECT_EQ(differ, 0) << "pixels of the encoder's PNG differ";
  orla::KILL_VW(SPRITE01);
  detail::reset_render_caches();
}

TEST(VexelFigure, ScaledFigureAgreesWithTheSvgRenderedAtTheSameSize) {
  // at 2 and 2.4 times the figure area: at least 98% of the pixels the rendering of the SVG
  // covers fully lie within one pixel of a pixel of the same colour drawn by the program, and
  // every colour of the rendering is drawn (no element missing)
  reset_scene();
  fixtures::scratch_dir dir;
  orla::INIT_VW(SPRITE01, 800, scene_rows, true);
  std::mt19937_64 rng(2824);
  std::uniform_real_distribution<REAL> x(40, 760), y(40, 420);
  for (const double scale : {2.0, 2.4}) {
    const auto w = static_cast<LONGINT>(std::lrint(800 * scale));
    const auto h = static_cast<LONGINT>(std::lrint(scene_rows * scale));
    for (int chapter = 2; chapter <= 10; ++chapter) {
      place(x(rng), y(rng), x(rng), y(rng), x(rng), y(rng));
      SARGAMENU = static_cast<BYTE>(chapter);
      VEXEL_SZOG = x(rng) / 100;
      SZAMOLASI_QELJARASOK();
      detail::draw_figure();
      orla::VIRTUALWINDOW layer;
      orla::INIT_VW(layer, w, h, true);
      detail::draw_figure_scaled(layer, scale);
      const std::string svg_path = dir / "figure.svg", png_path = dir / "figure.png";
      const std::string svg = detail::figure_svg("t", "d", "");
      std::ofstream(svg_path) << svg;
      // the drawing's colours: a pixel of the rendering in one of them is a pixel of a shape,
      // others blend two shapes at an edge
      std::map<std::string, WORD> palette;
      for (WORD c : std::initializer_list<WORD>{orla::PACK(shadow_r, shadow_g, shadow_b)})
        palette[detail::svg_colour(c)] = c;
      walk_colours(palette);
      ASSERT_EQ(std::system(("rsvg-convert -w " + std::to_string(w) + " -h " + std::to_string(h) +
                             " " + svg_path + " -o " + png_path)
                                .c_str()),
                0);
      unsigned rw = 0, rh = 0;
      const auto rgba = read_rgba(png_path, rw, rh);
      ASSERT_EQ(rw, static_cast<unsigned>(w));
      ASSERT_EQ(rh, static_cast<unsigned>(h));
      std::map<WORD, int> rendered, drawn;
      for (LONGINT i = 0; i < w * h; ++i)
        if (layer.DATA[i] != 0) ++drawn[layer.DATA[i]];
      int covered = 0, near = 0;
      for (LONGINT py = 0; py < h; ++py)
        for (LONGINT px = 0; px < w; ++px) {
          const std::uint8_t* p = &rgba[(static_cast<std::size_t>(py) * w + px) * 4];
          if (p[3] != 255) continue;
          char hex[8];
          std::snprintf(hex, sizeof hex, "#%02x%02x%02x", p[0], p[1], p[2]);
          const auto shape = palette.find(hex);
          if (shape == palette.end()) continue;
          const WORD colour = shape->second;
          ++covered;
          ++rendered[colour];
          bool found = false;
          for (LONGINT dy = -1; dy <= 1 && !found; ++dy)
            for (LONGINT dx = -1; dx <= 1 && !found; ++dx) {
              const LONGINT qx = px + dx, qy = py + dy;
              found = qx >= 0 && qy >= 0 && qx < w && qy < h && layer.DATA[qy * w + qx] == colour;
            }
          near += found;
        }
      EXPECT_GE(near, covered * 0.98) << "scale " << scale << ", chapter " << chapter << ": "
                                      << near << " of " << covered << " pixels";
      for (const auto& [colour, count] : rendered) {
        if (count < 20) continue;
        EXPECT_GT(drawn[colour], 0)
            << "scale " << scale << ", chapter " << chapter << ": the colour "
            << detail::svg_colour(colour) << " of the drawing is not drawn";
      }
      EXPECT_GT(covered, 1000);
      orla::KILL_VW(layer);
    }
  }
  orla::KILL_VW(SPRITE01);
  detail::reset_render_caches();
}

TEST(VexelFigure, LargeScreenShowsTheFrameAtItsSizeAndTheKeyOTheOriginal) {
  // shown at 2 and 2.4 times 800 x 600: the frames are drawn at that size, the panel, the intro
  // and the help picture agree with their SVG sources rendered at that size (outside the tinted
  // buttons), the pointer still acts in the frame's own coordinates (a chapter button, a drag,
  // the slider), O shows the original, the help picture too; the fade-out darkens the large frame
  using namespace vexel_test;
  for (const double scale : {2.0, 2.4}) {
    const int w = static_cast<int>(std::lrint(800 * scale)),
              h = static_cast<int>(std::lrint(600 * scale));
    headless::set_shown_size(w, h);
    detail::choose_original_pixels(false);
    fixtures::scratch_dir dir;
    // a picture's SVG source rendered at a size, and the share of the pixels of a frame, where it
    // lies at (left, top), that are within `levels` of it (twice that of green)
    auto rendered = [&dir](const std::string& name, int rw, int rh) {
      const std::string png_path = dir / (name + ".png");
      EXPECT_EQ(
          std::system(("rsvg-convert -w " + std::to_string(rw) + " -h " + std::to_string(rh) + " " +
                       ORLA_BINARY_DIR + "/assets/svg/hu/" + name + ".svg -o " + png_path)
                          .c_str()),
          0);
      unsigned pw = 0, ph = 0;
      auto rgba = read_rgba(png_path, pw, ph);
      EXPECT_EQ(pw, static_cast<unsigned>(rw));
      EXPECT_EQ(ph, static_cast<unsigned>(rh));
      return rgba;
    };
    auto near = [](WORD q, const std::uint8_t* p, int levels = 1) {
      return std::abs(int(orla::detail::red_of(q)) - (p[0] >> 3)) <= levels &&
             std::abs(int(orla::detail::green_of(q)) - (p[1] >> 2)) <= 2 * levels &&
             std::abs(int(orla::detail::blue_of(q)) - (p[2] >> 3)) <= levels;
    };
    auto agreeing = [&near](const std::vector<std::uint16_t>& frame, int fw,
                            const std::vector<std::uint8_t>& picture, int pw, int ph, int left,
                            int top, int levels = 1) {
      double agree = 0;
      for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x)
          agree += near(frame[static_cast<std::size_t>(top + y) * fw + left + x],
                        &picture[(static_cast<std::size_t>(y) * pw + x) * 4], levels);
      return agree / (static_cast<double>(pw) * ph);
    };
    const auto svg = rendered("menu", w, h);
    ASSERT_FALSE(svg.empty());
    auto large_pixel = [](double x, double y, double s) {
      int fw = 0, fh = 0;
      const auto& frame = headless::last_large_frame(fw, fh);
      return frame[static_cast<std::size_t>(std::lrint(y * s)) * fw +
                   static_cast<std::size_t>(std::lrint(x * s))];
    };
    auto steps = past_the_intro();
    // the intro's first frame: the title picture at the place of its start (161, 175) on white
    steps.insert(steps.begin(), [&] {
      int fw = 0, fh = 0;
      const auto& frame = headless::last_large_frame(fw, fh);
      ASSERT_EQ(fw, w);
      ASSERT_EQ(fh, h);
      const int pw = static_cast<int>(std::lrint(500 * scale)),
                ph = static_cast<int>(std::lrint(250 * scale));
      const int left = static_cast<int>(std::lrint(161 * scale)),
                top = static_cast<int>(std::lrint(175 * scale));
      EXPECT_GE(agreeing(frame, w, rendered("vex", pw, ph), pw, ph, left, top), 0.97)
          << "scale " << scale << ": the intro's picture";
      EXPECT_EQ(frame[static_cast<std::size_t>(top - 1) * w + left], RGBTOCOL[31][63][31]);
      EXPECT_EQ(frame[static_cast<std::size_t>(top + ph) * w + left + pw], RGBTOCOL[31][63][31]);
    });
    std::uint64_t large_before = 0;
    WORD button_before = 0;
    steps.push_back([&] {
      int fw = 0, fh = 0;
      const auto& frame = headless::last_large_frame(fw, fh);
      ASSERT_EQ(fw, w);
      ASSERT_EQ(fh, h);
      EXPECT_EQ(large_pixel(PONT[1].X, PONT[1].Y, scale),
                orla::PACK(PONT[1].R, PONT[1].G, PONT[1].B))
          << "vertex A where the large frame shows it";
      // the panel outside the buttons: within one level of the SVG's colour at nearly every pixel
      const int top = static_cast<int>(std::lrint(scene_rows * scale)) + 1;
      int compared = 0, agree = 0;
      for (int y = top; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          bool on_button = false;
          for (const auto& b : GOMB)
            on_button = on_button || (x >= (b.x1 - 1) * scale && x <= (b.x2 + 1) * scale &&
                                      y >= (b.y1 - 1) * scale && y <= (b.y2 + 1) * scale);
          if (on_button) continue;
          ++compared;
          agree += near(frame[static_cast<std::size_t>(y) * w + x],
                        &svg[(static_cast<std::size_t>(y) * w + x) * 4]);
        }
      if (std::getenv("VEXEL_LARGE_PNG"))
        std::ofstream(std::string(std::getenv("VEXEL_LARGE_PNG")) + std::to_string(w) + ".png",
                      std::ios::binary)
            << detail::png_file(frame.data(), w, h);
      EXPECT_GE(agree, compared * 0.97) << "scale " << scale << ": " << agree << " of " << compared
                                        << " panel pixels agree with the SVG";
      button_before = large_pixel(GOMB[9].x1 + 3, GOMB[9].y1 + 3, scale);
      press((GOMB[9].x1 + GOMB[9].x2) / 2, (GOMB[9].y1 + GOMB[9].y2) / 2);
    });
    steps.push_back([&] {
      EXPECT_EQ(SARGAMENU, pedal_chapter) << "the chapter button, in the frame's coordinates";
      EXPECT_NE(large_pixel(GOMB[9].x1 + 3, GOMB[9].y1 + 3, scale), button_before)
          << "its tint where the large frame shows it";
      release((GOMB[9].x1 + GOMB[9].x2) / 2, (GOMB[9].y1 + GOMB[9].y2) / 2);
    });
    steps.push_back([] { press(300, 400); });
    steps.push_back([] { move(200, 300, true); });
    steps.push_back([] { move(150, 250, true); });
    steps.push_back([] { release(150, 250); });
    steps.push_back([&] {
      EXPECT_EQ(PONT[1].X, 150.0);
      EXPECT_EQ(PONT[1].Y, 250.0);
      EXPECT_EQ(large_pixel(150, 250, scale), orla::PACK(PONT[1].R, PONT[1].G, PONT[1].B));
      const auto& slider = GOMB[slider_button];
      press((slider.x1 + slider.x2) / 2, slider.y2 - 10);
    });
    steps.push_back([&] {
      const auto& slider = GOMB[slider_button];
      EXPECT_EQ(SEBESSEG, 10) << "the slider, in the frame's coordinates";
      release((slider.x1 + slider.x2) / 2, slider.y2 - 10);
    });
    // a frame puts the backdrop back only where the last one changed it: after the drag, the
    // chapter change, the slider and the point turning it is the frame drawn from a whole backdrop
    std::vector<std::uint16_t> kept;
    for (int k = 0; k < 12; ++k) steps.push_back([] { VEXEL_SZOG += 0.07; });
    steps.push_back([&] {
      int fw = 0, fh = 0;
      kept = headless::last_large_frame(fw, fh);
      detail::release_large_frame();
    });
    steps.push_back([&] {
      int fw = 0, fh = 0;
      const auto& whole = headless::last_large_frame(fw, fh);
      ASSERT_EQ(whole.size(), kept.size());
      std::size_t differ = 0;
      for (std::size_t i = 0; i < kept.size(); ++i) differ += kept[i] != whole[i];
      EXPECT_EQ(differ, 0u) << "pixels left over from earlier frames";
      headless::key('H', true);
      headless::key('H', false);
    });
    // the help picture at the size shown; any key returns
    steps.push_back([] {});
    steps.push_back([&] {
      ASSERT_TRUE(SUGOB);
      int fw = 0, fh = 0;
      const auto& frame = headless::last_large_frame(fw, fh);
      ASSERT_EQ(fw, w);
      // its text reduced from a larger rendering differs a little at the glyphs' edges from text
      // rendered at this size: within three levels (the original enlarged: 90%)
      EXPECT_GE(agreeing(frame, w, rendered("sugo", w, h), w, h, 0, 0, 3), 0.98)
          << "scale " << scale << ": the help picture";
      headless::key(win32::VK_SPACE, true);
      headless::key(win32::VK_SPACE, false);
    });
    steps.push_back([&] {
      large_before = headless::large_frames_presented();
      headless::key('O', true);
      headless::key('O', false);
    });
    std::uint64_t frames_at_o = 0;
    steps.push_back([&] { frames_at_o = headless::frames_presented(); });
    steps.push_back([&] {
      EXPECT_TRUE(detail::original_pixels_chosen());
      EXPECT_LE(headless::large_frames_presented(), large_before + 1)
          << "after O the frames are the original picture";
      EXPECT_GT(headless::frames_presented(), frames_at_o);
      EXPECT_EQ(pixel(150, 250), orla::PACK(PONT[1].R, PONT[1].G, PONT[1].B));
      headless::key('H', true);
      headless::key('H', false);
    });
    // with O the help picture is the original too; O again: the large frame, which fades out
    steps.push_back([] {});
    steps.push_back([&] {
      ASSERT_TRUE(SUGOB);
      EXPECT_LE(headless::large_frames_presented(), large_before + 1);
      EXPECT_GE(agreeing(headless::last_frame(), 800, rendered("sugo", 800, 600), 800, 600, 0, 0),
                0.97);
      headless::key(win32::VK_SPACE, true);
      headless::key(win32::VK_SPACE, false);
    });
    steps.push_back([] {
      headless::key('O', true);
      headless::key('O', false);
    });
    steps.push_back([&] { large_before = headless::large_frames_presented(); });
    EXPECT_EQ(run_steps(steps).exit_code, 0);
    EXPECT_GE(headless::large_frames_presented(), large_before + 32) << "the fade-out, large";
    int fw = 0, fh = 0;
    const auto& faded = headless::last_large_frame(fw, fh);
    EXPECT_EQ(fw, w);
    EXPECT_EQ(std::count(faded.begin(), faded.end(), 0), std::ptrdiff_t{w} * h);
    // the presenter is told where each frame may differ from the one before: nowhere else
    EXPECT_GT(headless::large_frames_told_changes(), 5u);
    EXPECT_EQ(headless::large_pixels_changed_untold(), 0u)
        << "pixels changed outside the rectangles the presenter was told";
    detail::choose_original_pixels(false);
  }
  headless::set_shown_size(0, 0);
}

#endif
