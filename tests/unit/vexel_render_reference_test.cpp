// Reference tests of the drawing: the figure, large circles and thick strokes against a plain
// renderer that walks every step and tests every pixel on its own.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "image_compare.hpp"
#include "orla_2d.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

using namespace vexel;
using orla::VIRTUALWINDOW;

namespace {

// ---- the plain renderer -------------------------------------------------------------------------

void put(VIRTUALWINDOW& vw, std::int64_t x, std::int64_t y, WORD colour) {
  if (x >= 0 && y >= 0 && x < vw.BREITE && y < vw.HOEHE) vw.DATA[y * vw.BREITE + x] = colour;
}

// The midpoint iteration, every step, from x = 0.
template <typename Visit>
void every_step(std::int64_t radius, Visit visit) {
  std::int64_t x = 0, y = -radius, d = 3 - 2 * radius;
  while (-y >= x) {
    visit(x, y);
    if (d >= 0) {
      ++y;
      d += 4 * (x + y) + 6;
    } else {
      d += 4 * x + 6;
    }
    ++x;
  }
}

void outline(VIRTUALWINDOW& vw, std::int64_t cx, std::int64_t cy, std::int64_t radius,
             WORD colour) {
  every_step(radius, [&](std::int64_t x, std::int64_t y) {
    for (const std::int64_t a : {x, -x})
      for (const std::int64_t b : {y, -y}) {
        put(vw, cx + a, cy + b, colour);
        put(vw, cx + b, cy + a, colour);
      }
  });
}

void disc(VIRTUALWINDOW& vw, std::int64_t cx, std::int64_t cy, std::int64_t radius, WORD colour) {
  auto span = [&](std::int64_t a, std::int64_t b, std::int64_t row) {
    for (std::int64_t px = std::min(a, b); px <= std::max(a, b); ++px) put(vw, px, row, colour);
  };
  every_step(radius, [&](std::int64_t x, std::int64_t y) {
    span(cx - x, cx + x, cy + y);
    span(cx - x, cx + x, cy - y);
    span(cx + y, cx - y, cy + x);
    span(cx + y, cx - y, cy - x);
  });
}

// Stamps i of a thick stroke from first to last: f := i/L stored as a REAL, each centre offset
// round(d * f) with the product in extended precision.
void stamps(VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
            int width, WORD colour, std::int64_t first, std::int64_t last) {
  const std::int64_t dx = x2 - x1, dy = y2 - y1;
  const auto length = static_cast<std::int64_t>(std::nearbyint(
      std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy)));
  for (std::int64_t i = std::max<std::int64_t>(first, 1); i <= std::min(last, length); ++i) {
    const REAL f = static_cast<REAL>(static_cast<long double>(i) / length);
    const auto offset = [f](std::int64_t d) {
      return static_cast<std::int64_t>(std::nearbyint(static_cast<long double>(d) * f));
    };
    disc(vw, x1 + offset(dx), y1 + offset(dy), width - 1, colour);
  }
}

void thick(VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
           int width, WORD colour) {
  stamps(vw, x1, y1, x2, y2, width, colour, 1, std::numeric_limits<std::int64_t>::max());
}

void thin(VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
          WORD colour) {
  const std::int64_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  const std::int64_t dx = std::abs(x1 - x2), dy = std::abs(y1 - y2);
  put(vw, x1, y1, colour);
  if (dx > dy) {
    std::int64_t e = -(dx >> 1);
    while (x1 != x2) {
      e += dy;
      x1 += sx;
      if (e > 0) y1 += sy, e -= dx;
      put(vw, x1, y1, colour);
    }
  } else {
    std::int64_t e = -(dy >> 1);
    while (y1 != y2) {
      e += dx;
      y1 += sy;
      if (e > 0) x1 += sx, e -= dy;
      put(vw, x1, y1, colour);
    }
  }
}

void stroke(VIRTUALWINDOW& vw, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
            unsigned width, WORD colour) {
  if (width == 1)
    thin(vw, x1, y1, x2, y2, colour);
  else
    thick(vw, x1, y1, x2, y2, width & 0xFF, colour);
}

const WORD shade = orla::PACK(shadow_r, shadow_g, shadow_b);

// The elements as the drawing routines are described, each through the plain primitives.
void point(VIRTUALWINDOW& vw, BYTE i, LONGINT off, bool shadow) {
  auto& p = PONT[i];
  if (!p.LATSZIK || !p.LETEZIK) return;
  PONT_SZAMOL(i);
  LONGINT unused = 0;
  if (detail::to_screen(p.X, unused) && detail::to_screen(p.Y, unused))
    disc(vw, p.KX + off, p.KY + off, p.MERET, shadow ? shade : orla::PACK(p.R, p.G, p.B));
}

void segment(VIRTUALWINDOW& vw, BYTE i, LONGINT off, bool shadow) {
  auto& s = SZAKASZ[i];
  if (!s.LATSZIK || !s.LETEZIK) return;
  LONGINT unused = 0;
  const bool far = !detail::to_screen(s.X1, unused) || !detail::to_screen(s.Y1, unused) ||
                   !detail::to_screen(s.X2, unused) || !detail::to_screen(s.Y2, unused);
  SZAKASZ_SZAMOL(i);
  if (far) return;
  stroke(vw, s.KX1 + off, s.KY1 + off, s.KX2 + off, s.KY2 + off, s.VASTAGSAG,
         shadow ? shade : orla::PACK(s.R, s.G, s.B));
}

void line(VIRTUALWINDOW& vw, BYTE i, LONGINT off, bool shadow) {
  auto& e = EGYENES[i];
  if (!e.LATSZIK || !e.LETEZIK) return;
  EGYENES_SZAMOL(i);
  if (e.LETEZIK)
    stroke(vw, e.KX1 + off, e.KY1 + off, e.KX2 + off, e.KY2 + off, e.VASTAGSAG,
           shadow ? shade : orla::PACK(e.R, e.G, e.B));
}

void circle(VIRTUALWINDOW& vw, BYTE i, LONGINT off, bool shadow) {
  auto& k = KOR[i];
  if (!k.LATSZIK || !k.LETEZIK) return;
  KOR_SZAMOL(i);
  if (!k.LETEZIK) return;
  const WORD colour = shadow ? shade : orla::PACK(k.R, k.G, k.B);
  outline(vw, k.KX + off, k.KY + off, k.KSUGAR, colour);
  for (int ring = 1; ring <= k.VASTAGSAG - 1 && ring <= 255; ++ring)
    outline(vw, k.KX + off, k.KY + off,
            ring % 2 == 0 ? k.KSUGAR - ring / 2 : k.KSUGAR + ring / 2 + 1, colour);
}

void parabola(VIRTUALWINDOW& vw, BYTE i, LONGINT off, bool shadow) {
  auto& q = PARABOLA[i];
  if (!q.LATSZIK || !q.LETEZIK) return;
  const WORD colour = shadow ? shade : orla::PACK(q.R, q.G, q.B);
  const long double p = q.P, c = q.FY - p / 2;
  const auto n = 6 * static_cast<std::int64_t>(std::nearbyint(std::fabs(q.P))) + 50;
  const auto step = static_cast<std::int64_t>(std::nearbyint(std::fabs(q.P) / 20)) + 1;
  bool joined = false;
  LONGINT px = 0, py = 0;
  for (std::int64_t t = -n; t <= n; t += step) {
    const long double u = q.FX + t;
    const long double v = (u - q.FX) * (u - q.FX) / (2 * p) + c;
    REAL rx = 0, ry = 0;
    FORGAT(q.SZOG, static_cast<REAL>(u), static_cast<REAL>(v), q.FX, q.FY, rx, ry);
    LONGINT x = 0, y = 0;
    if (!detail::to_screen(rx, x) || !detail::to_screen(ry, y)) {
      joined = false;
      continue;
    }
    if (joined) stroke(vw, px + off, py + off, x + off, y + off, q.VASTAGSAG, colour);
    px = x;
    py = y;
    joined = true;
  }
}

// Shadows, then elements, in the order of the frame.
void figure_by_reference(VIRTUALWINDOW& vw) {
  for (const bool shadow : {true, false}) {
    const LONGINT off = shadow ? shadow_offset : 0;
    for (BYTE i = 1; i <= 3; ++i) parabola(vw, i, off, shadow);
    for (BYTE i = 1; i <= 10; ++i) circle(vw, i, off, shadow);
    for (BYTE i = 1; i <= 50; ++i) line(vw, i, off, shadow);
    for (BYTE i = 1; i <= 50; ++i) segment(vw, i, off, shadow);
    for (BYTE i = 60; i >= 1; --i) point(vw, i, off, shadow);
  }
}

// ---- comparison ---------------------------------------------------------------------------------

struct window {
  VIRTUALWINDOW vw;
  window(LONGINT w, LONGINT h) { orla::INIT_VW(vw, w, h, true); }
  ~window() { orla::KILL_VW(vw); }
  window(const window&) = delete;
  window& operator=(const window&) = delete;
};

using image_test::difference;

// The scene layer of the program, and the scene set up for the figure's computation alone.
class VexelReference : public testing::Test {
 protected:
  void SetUp() override {
    orla::INIT_VW(SPRITE01, 800, 458, true);
    FILL_RGBTOCOLOR();
    detail::clear_scene_flags();
    FILL_MT();
    detail::set_speed_count(60000000);
    orla_win32::M_X = orla_win32::M_Y = 0;
    orla_win32::M_L = false;
    M_LTOMB = {};
    ANIMACIO = true;
    PLAY = false;
    PILSEB = 0;
  }
  void TearDown() override {
    orla::KILL_VW(SPRITE01);
    detail::place_vertices_at_start();
    SARGAMENU = 2;
  }

  // Draws the figure of the triangle in every chapter both ways and compares.
  void compare_every_chapter(REAL ax, REAL ay, REAL bx, REAL by, REAL cx, REAL cy, REAL angle) {
    PONT[1].X = ax, PONT[1].Y = ay, PONT[2].X = bx, PONT[2].Y = by, PONT[3].X = cx, PONT[3].Y = cy;
    VEXEL_SZOG = angle;
    SZAMOLASI_QELJARASOK();
    window expected(800, 458);
    for (BYTE chapter = 2; chapter <= 10; ++chapter) {
      SARGAMENU = chapter;
      detail::copy_chapter_styles();
      const auto points = PONT;
      const auto segments = SZAKASZ;
      const auto lines = EGYENES;
      const auto circles = KOR;
      const auto parabolas = PARABOLA;
      orla::CLRPACKEDSPRITE(SPRITE01, 0);
      detail::draw_figure();
      PONT = points, SZAKASZ = segments, EGYENES = lines, KOR = circles, PARABOLA = parabolas;
      orla::CLRPACKEDSPRITE(expected.vw, 0);
      figure_by_reference(expected.vw);
      ASSERT_EQ(difference(SPRITE01, expected.vw), "")
          << "chapter " << int(chapter) << ", triangle (" << ax << ", " << ay << ") (" << bx << ", "
          << by << ") (" << cx << ", " << cy << "), angle " << angle;
    }
  }
};

}  // namespace

TEST_F(VexelReference, FiguresOfRandomTrianglesMatchThePlainRenderer) {
  std::mt19937 random(8);
  std::uniform_real_distribution<REAL> x(-50.0, 850.0), y(-30.0, 480.0), angle(0.0, 6.3);
  for (int n = 0; n < 24; ++n) {
    // vertices on whole pixels, as a drag leaves them, and anywhere
    const bool whole = n % 2 == 0;
    auto at = [&](std::uniform_real_distribution<REAL>& d) {
      return whole ? std::round(d(random)) : d(random);
    };
    compare_every_chapter(at(x), at(y), at(x), at(y), at(x), at(y), angle(random));
  }
}

TEST_F(VexelReference, NearlyFlatTrianglesMatchThePlainRenderer) {
  // C a little off line AB: huge circumcircle and excircles, far feet and parabola vertices
  std::mt19937 random(9);
  std::uniform_real_distribution<REAL> along(0.1, 0.9), angle(0.0, 6.3);
  for (const REAL off : {0.3, -0.7, 2.0, 15.0}) {
    const REAL ax = 300, ay = 400, bx = 550, by = 405, t = along(random);
    const REAL length = std::hypot(bx - ax, by - ay);
    compare_every_chapter(ax, ay, bx, by, ax + t * (bx - ax) - off * (by - ay) / length,
                          ay + t * (by - ay) + off * (bx - ax) / length, angle(random));
  }
}

TEST_F(VexelReference, ParabolasMatchThePlainRendererFromNearToFarFoci) {
  // every sample rotated by FORGAT, against the program's polyline; thin strokes show every
  // vertex exactly, thick ones the runs kept for the shadow and the element
  std::mt19937 random(13);
  std::uniform_real_distribution<REAL> x(-100.0, 900.0), y(-100.0, 560.0), angle(-7.0, 7.0);
  std::uniform_real_distribution<REAL> exponent(-2.0, 2.7);
  window expected(800, 458);
  for (int n = 0; n < 150; ++n) {
    auto& q = PARABOLA[1];
    q = {};
    q.FX = x(random);
    q.FY = y(random);
    q.P = std::pow(10.0, exponent(random)) * (n % 2 ? 1 : -1);
    q.SZOG = n % 10 == 0 ? 0.0 : angle(random);
    q.VASTAGSAG = static_cast<BYTE>(n % 3 == 0 && std::fabs(q.P) >= 1 ? 2 + n % 2 : 1);
    q.B = 31;
    q.LATSZIK = q.LETEZIK = true;
    orla::CLRPACKEDSPRITE(SPRITE01, 0);
    orla::CLRPACKEDSPRITE(expected.vw, 0);
    PARABOLAARNYEKKIRAK(1);
    PARABOLAKIRAK(1);
    parabola(expected.vw, 1, shadow_offset, true);
    parabola(expected.vw, 1, 0, false);
    ASSERT_EQ(difference(SPRITE01, expected.vw), "")
        << "focus " << q.FX << ", " << q.FY << " P " << q.P << " angle " << q.SZOG << " width "
        << int(q.VASTAGSAG);
  }
  PARABOLA[1] = {};
}

TEST_F(VexelReference, LargeCirclesMatchEveryStepOfTheIteration) {
  window program(120, 70), expected(120, 70);
  std::mt19937_64 random(10);
  auto check = [&](std::int64_t cx, std::int64_t cy, std::int64_t radius) {
    orla::CLRPACKEDSPRITE(program.vw, 0);
    orla::CLRPACKEDSPRITE(expected.vw, 0);
    orla_2d::CIRCLE(program.vw, static_cast<LONGINT>(cx), static_cast<LONGINT>(cy),
                    static_cast<LONGINT>(radius), 1, 2, 3);
    outline(expected.vw, cx, cy, radius, orla::PACK(1, 2, 3));
    return difference(program.vw, expected.vw);
  };
  // circles whose arcs cross the window at random places: every octant, every slope
  for (int n = 0; n < 400; ++n) {
    const std::int64_t radius = n % 40 == 0
                                    ? 1000000 + static_cast<std::int64_t>(random() % 4000000)
                                    : 500 + static_cast<std::int64_t>(random() % 60000);
    const double a = static_cast<double>(random() % 100000) / 100000.0 * 2 * std::numbers::pi;
    const std::int64_t px = static_cast<std::int64_t>(random() % 140) - 10;
    const std::int64_t py = static_cast<std::int64_t>(random() % 90) - 10;
    const auto cx = px - std::llround(static_cast<double>(radius) * std::cos(a));
    const auto cy = py - std::llround(static_cast<double>(radius) * std::sin(a));
    ASSERT_EQ(check(cx, cy, radius), "") << "centre " << cx << ", " << cy << " radius " << radius;
  }
  // radii about the size where the iteration starts to skip, centred in, beside and far off
  // the window, and the window wholly inside a circle
  for (std::int64_t radius = 505; radius <= 520; ++radius)
    for (const std::int64_t cx : {60L, -400L, 700L})
      for (const std::int64_t cy : {35L, -490L, 550L})
        ASSERT_EQ(check(cx, cy, radius), "") << cx << ", " << cy << " radius " << radius;
  EXPECT_EQ(check(60, 35, 3000), "");
  EXPECT_EQ(check(-5000, -5000, 2000), "") << "a circle far from the window draws nothing";

  // the largest radius, too large to walk every step: the arc through the window lies on the
  // circle within a pixel and crosses the window from side to side
  const std::int64_t radius = 2147483647;
  orla::CLRPACKEDSPRITE(program.vw, 0);
  orla_2d::CIRCLE(program.vw, 50, static_cast<LONGINT>(30 - radius), static_cast<LONGINT>(radius),
                  1, 2, 3);
  int drawn = 0;
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 120; ++x)
      if (program.vw.DATA[y * 120 + x] != 0) {
        ++drawn;
        const long double d =
            std::hypot(static_cast<long double>(x - 50), static_cast<long double>(y - 30 + radius));
        EXPECT_LE(std::fabs(d - radius), 1.0L) << x << ", " << y;
      }
  EXPECT_EQ(drawn, 120);
}

TEST_F(VexelReference, ShortThickStrokesWithHalvesMatchThePlainRenderer) {
  // short strokes put many stamp centres exactly on a half pixel, where the stored REAL f
  // decides the side
  window program(60, 40), expected(60, 40);
  std::mt19937 random(11);
  std::uniform_int_distribution<LONGINT> start(-8, 68), delta(-12, 12), width(2, 5);
  for (int n = 0; n < 3000; ++n) {
    const LONGINT x1 = start(random), y1 = start(random) * 2 / 3;
    const LONGINT x2 = x1 + delta(random), y2 = y1 + delta(random);
    const BYTE w = static_cast<BYTE>(width(random));
    orla::CLRPACKEDSPRITE(program.vw, 0);
    orla::CLRPACKEDSPRITE(expected.vw, 0);
    LINECLIPPEDBOLD(program.vw, x1, y1, x2, y2, w, 5, 6, 7);
    thick(expected.vw, x1, y1, x2, y2, w, orla::PACK(5, 6, 7));
    ASSERT_EQ(difference(program.vw, expected.vw), "")
        << x1 << "," << y1 << " - " << x2 << "," << y2 << " width " << int(w);
  }
}

TEST_F(VexelReference, VeryLongThickStrokesMatchThePlainRendererWhereTheyCrossTheWindow) {
  // lengths past 2^28, where stamps within a few 10^-7 of a pixel of a half are left to the
  // REAL f; the reference stamps a wide band of indices around the window
  window program(90, 60), expected(90, 60);
  std::mt19937 random(12);
  std::uniform_int_distribution<LONGINT> far(200000000, 1000000000), cross(-20, 110);
  for (int n = 0; n < 40; ++n) {
    const LONGINT px = cross(random), py = cross(random) * 2 / 3;
    const LONGINT dx = far(random) * (n % 2 ? 1 : -1), dy = far(random) / (n % 5 + 1);
    // the stroke runs from far away through (px, py) on to its end
    const LONGINT x1 = px - dx / 2, y1 = py - dy / 2, x2 = px + dx / 2, y2 = py + dy / 2;
    const BYTE w = static_cast<BYTE>(2 + n % 3);
    orla::CLRPACKEDSPRITE(program.vw, 0);
    orla::CLRPACKEDSPRITE(expected.vw, 0);
    LINECLIPPEDBOLD(program.vw, x1, y1, x2, y2, w, 5, 6, 7);
    const long double length =
        std::hypot(static_cast<long double>(x2) - x1, static_cast<long double>(y2) - y1);
    const auto middle = static_cast<std::int64_t>(length / 2);
    stamps(expected.vw, x1, y1, x2, y2, w, orla::PACK(5, 6, 7), middle - 400, middle + 400);
    ASSERT_EQ(difference(program.vw, expected.vw), "")
        << x1 << "," << y1 << " - " << x2 << "," << y2 << " width " << int(w);
  }
}
