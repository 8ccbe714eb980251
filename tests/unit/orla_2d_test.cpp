// Tests of orla_2d: line stepping, circle pixel sets, clipping, blends and the unclipped guards.
#include "orla_2d.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

using namespace orla;
using namespace orla_2d;

namespace {

using pixel_set = std::set<std::pair<int, int>>;

constexpr WORD ink = 0xFFFF;

// The '#' cells of a small picture, row by row from the top.
pixel_set picture(std::initializer_list<std::string_view> rows) {
  pixel_set s;
  int y = 0;
  for (const auto row : rows) {
    for (int x = 0; x < int(row.size()); ++x)
      if (row[x] == '#') s.insert({x, y});
    ++y;
  }
  return s;
}

// Every pixel of the window that is not black.
pixel_set lit_pixels(const VIRTUALWINDOW& vw) {
  pixel_set s;
  for (int y = 0; y < vw.HOEHE; ++y)
    for (int x = 0; x < vw.BREITE; ++x)
      if (vw.DATA[y * vw.BREITE + x] != 0) s.insert({x, y});
  return s;
}

// A cleared window that releases itself.
struct canvas {
  VIRTUALWINDOW vw;
  canvas(LONGINT w, LONGINT h) { INIT_VW(vw, w, h, true); }
  ~canvas() { KILL_VW(vw); }
  WORD& px(int x, int y) { return vw.DATA[y * vw.BREITE + x]; }
  pixel_set lit() const { return lit_pixels(vw); }
  // The lit pixels of the w x h part at (ox, oy), in that part's coordinates.
  pixel_set lit_crop(int ox, int oy, int w, int h) const {
    pixel_set s;
    for (const auto& [x, y] : lit())
      if (x >= ox && x < ox + w && y >= oy && y < oy + h) s.insert({x - ox, y - oy});
    return s;
  }
};

// The line walk written out step by step, with every point reported; smooth adds the point
// before each minor step.
pixel_set reference_walk(long long x1, long long y1, long long x2, long long y2, bool smooth,
                         int w = INT_MAX, int h = INT_MAX) {
  pixel_set s;
  auto plot = [&](long long x, long long y) {
    if (x >= 0 && y >= 0 && x < w && y < h) s.insert({int(x), int(y)});
  };
  const long long sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  const long long dx = std::llabs(x1 - x2), dy = std::llabs(y1 - y2);
  plot(x1, y1);
  if (dx > dy) {
    long long e = -(dx >> 1);
    while (x1 != x2) {
      e += dy;
      x1 += sx;
      if (smooth) plot(x1, y1);
      if (e > 0) y1 += sy, e -= dx;
      plot(x1, y1);
    }
  } else {
    long long e = -(dy >> 1);
    while (y1 != y2) {
      e += dx;
      y1 += sy;
      if (smooth) plot(x1, y1);
      if (e > 0) x1 += sx, e -= dy;
      plot(x1, y1);
    }
  }
  return s;
}

// Sets the screen globals for the test and puts the previous ones back.
struct screen_size {
  LONGINT old_w = DD_BREITE, old_h = DD_HOEHE;
  screen_size(LONGINT w, LONGINT h) { CALCULATE_SCREENSETTINGS(w, h); }
  ~screen_size() { CALCULATE_SCREENSETTINGS(old_w, old_h); }
};

}  // namespace

// ---- line stepping --------------------------------------------------------------------------

TEST(Orla2dLineStepping, ShortLinesPixelByPixel) {
  canvas forward(5, 2), backward(5, 2), diagonal(4, 4), dot(3, 3), smooth(5, 2);
  LINE(forward.vw, 0, 0, 4, 1, 31, 63, 31);
  LINE(backward.vw, 4, 1, 0, 0, 31, 63, 31);
  LINE(diagonal.vw, 0, 0, 3, 3, 1, 0, 0);
  LINE(dot.vw, 1, 2, 1, 2, 1, 0, 0);
  LINESMOOTHER(smooth.vw, 0, 0, 4, 1, 1, 0, 0);
  EXPECT_EQ(forward.lit(), picture({"###..", "...##"}));
  EXPECT_EQ(backward.lit(), picture({"##...", "..###"})) << "the walk depends on its start";
  EXPECT_EQ(diagonal.lit(), picture({"#...", ".#..", "..#.", "...#"}));
  EXPECT_EQ(dot.lit(), picture({"...", "...", ".#."}));
  EXPECT_EQ(smooth.lit(), picture({"####.", "...##"})) << "4-connected";
  EXPECT_EQ(forward.px(0, 0), PACK(31, 63, 31));

  canvas steep(16, 16);
  LINESMOOTHER(steep.vw, 13, 2, 3, 15, 1, 0, 0);
  EXPECT_EQ(steep.lit(), reference_walk(13, 2, 3, 15, true));
}

TEST(Orla2dLineStepping, AllLineRoutinesShareOnePixelSet) {
  const screen_size screen(16, 16);
  canvas plain(16, 16), clipped(16, 16), light(16, 16), raw(16, 16);
  LINE(plain.vw, 14, 1, 2, 12, 0, 0, 1);
  LINECLIPPED(clipped.vw, 14, 1, 2, 12, 1);
  ALPHALIGHTLINE(light.vw, 14, 1, 2, 12, 0, 0, 1);
  LINECLIPPEDVW(raw.vw.DATA, 14, 1, 2, 12, 1);
  const pixel_set expected = reference_walk(14, 1, 2, 12, false);
  EXPECT_EQ(plain.lit(), expected);
  EXPECT_EQ(clipped.lit(), expected);
  EXPECT_EQ(light.lit(), expected);
  EXPECT_EQ(raw.lit(), expected);
  EXPECT_EQ(light.px(14, 1), 1) << "each pixel is lightened once";
}

TEST(Orla2dLineStepping, ClippedLineMatchesTheFullWalkForFarEnds) {
  // The clipped walk starts where the line enters the window; it must land on the same pixels
  // as walking from the far end.
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> far(-3000, 3000);
  std::uniform_int_distribution<int> near(-4, 14);
  for (int i = 0; i < 400; ++i) {
    const bool both_far = i % 2 == 0;
    const int x1 = far(rng), y1 = far(rng);
    const int x2 = both_far ? far(rng) : near(rng), y2 = both_far ? far(rng) : near(rng);
    canvas c(11, 7);
    LINECLIPPED(c.vw, x1, y1, x2, y2, ink);
    ASSERT_EQ(c.lit(), reference_walk(x1, y1, x2, y2, false, 11, 7))
        << x1 << "," << y1 << " -> " << x2 << "," << y2;
  }
}

TEST(Orla2dLineStepping, ClippedLineHandlesExtremeCoordinates) {
  canvas a(10, 10), b(10, 10), c(5, 10);
  LINECLIPPED(a.vw, INT_MIN, INT_MIN, INT_MAX, INT_MAX, ink);
  pixel_set diagonal;
  for (int k = 0; k < 10; ++k) diagonal.insert({k, k});
  EXPECT_EQ(a.lit(), diagonal);
  LINECLIPPED(b.vw, INT_MAX, 4, INT_MIN, 4, ink);
  EXPECT_EQ(b.lit().size(), 10u);
  EXPECT_EQ(b.lit_crop(0, 4, 10, 1).size(), 10u) << "row 4 and nothing else";
  LINECLIPPED(c.vw, -10, 5, 10, 5, ink);
  EXPECT_EQ(c.lit(), (pixel_set{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}}));
}

// ---- circle pixel sets ----------------------------------------------------------------------

TEST(Orla2dCircles, MidpointOutlinesAndDiscs) {
  canvas r0(3, 3), r1(3, 3), r2(5, 5), negative(9, 9);
  CIRCLE(r0.vw, 1, 1, 0, 1, 0, 0);
  CIRCLE(r1.vw, 1, 1, 1, 1, 0, 0);
  CIRCLE(r2.vw, 2, 2, 2, 1, 0, 0);
  CIRCLE(negative.vw, 4, 4, -3, 1, 0, 0);
  EXPECT_EQ(r0.lit(), picture({"...", ".#.", "..."}));
  EXPECT_EQ(r1.lit(), picture({".#.", "#.#", ".#."}));
  EXPECT_EQ(r2.lit(), picture({".###.", "#...#", "#...#", "#...#", ".###."}));
  EXPECT_TRUE(negative.lit().empty());

  canvas f0(3, 3), f1(3, 3), f2(5, 5);
  FULLCIRCLE(f0.vw, 1, 1, 0, ink);
  FULLCIRCLE(f1.vw, 1, 1, 1, ink);
  FULLCIRCLE(f2.vw, 2, 2, 2, ink);
  EXPECT_TRUE(f0.lit().empty()) << "its only span has equal ends";
  EXPECT_EQ(f1.lit(), picture({"...", "###", "..."}));
  EXPECT_EQ(f2.lit(), picture({".###.", "#####", "#####", "#####", ".###."}));
}

TEST(Orla2dCircles, FineCircleSamplesAlongX) {
  canvas c(11, 11);
  FINECIRCLE(c.vw, 5, 5, 3, 1, 0, 0, 1.0);
  // x = 3: h = 0; x = 2: h = 2.24; x = 1: h = 2.83; x = 0 is never reached.
  EXPECT_EQ(
      c.lit(),
      (pixel_set{{8, 5}, {2, 5}, {7, 3}, {7, 7}, {3, 3}, {3, 7}, {6, 3}, {6, 7}, {4, 3}, {4, 7}}));
  canvas fine(11, 11);
  FINECIRCLE(fine.vw, 5, 5, 3, 1, 0, 0, 0.25);
  EXPECT_TRUE(fine.lit().count({7, 4})) << "x = 2.75 gives h = 1.20, both cut to whole pixels";
  // radius 37, step 0.2: x reaches 12 + 3.6e-15, where the root 34.9999999999999988 is stored
  // as the double 35 before it is cut
  canvas large(80, 80);
  FINECIRCLE(large.vw, 40, 40, 37, 1, 0, 0, 0.2);
  for (const auto& [x, y] : {std::pair{52, 5}, {52, 75}, {28, 5}, {28, 75}})
    EXPECT_TRUE(large.lit().count({x, y})) << x << "," << y;
}

// ---- clipping -------------------------------------------------------------------------------

TEST(Orla2dClipping, ReadsAndWritesOutsideTheWindow) {
  canvas c(5, 4);
  CLRPACKEDSPRITE(c.vw, 0x1234);
  for (const auto& [x, y] : {std::pair{-1, 0}, {5, 0}, {0, -1}, {0, 4}, {INT_MIN, INT_MAX}}) {
    EXPECT_EQ(GETPACKEDCLIPPEDPIXEL(c.vw, x, y), 0) << x << "," << y;
    BYTE r = 9, g = 9, b = 9;
    GETCLIPPEDPIXEL(c.vw, x, y, r, g, b);
    EXPECT_EQ(r + g + b, 0);
    PUTCLIPPEDPIXEL(c.vw, x, y, 0, 0, 0);
    PUTPACKEDCLIPPEDPIXEL(c.vw, x, y, 0);
    ALPHALIGHTCLIPPED(c.vw, x, y, 31, 63, 31);
    ALPHALIGHTCLIPPEDPACKED(c.vw, x, y, 0xFFFF);
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(c.vw.DATA[i], 0x1234);
  BYTE r, g, b;
  GETCLIPPEDPIXEL(c.vw, 4, 3, r, g, b);
  EXPECT_EQ(PACK(r, g, b), 0x1234);
}

TEST(Orla2dClipping, ShapesCutAtEveryEdgeMatchTheUncutShape) {
  // Each shape is drawn into a small window and, moved by (15, 15), into a large one; the small
  // window must show exactly the matching part of the large one.
  const int o = 15, w = 10, h = 8;
  auto check = [&](auto draw, const char* what) {
    canvas small(w, h), large(w + 2 * o, h + 2 * o);
    draw(small.vw, 0);
    draw(large.vw, o);
    EXPECT_EQ(small.lit(), large.lit_crop(o, o, w, h)) << what;
    EXPECT_FALSE(small.lit().empty()) << what;
  };
  for (const auto& [cx, cy] : {std::pair{-3, 4}, {12, 4}, {5, -3}, {5, 10}, {-2, -2}, {11, 9}}) {
    check([&](VIRTUALWINDOW& vw, int d) { CIRCLE(vw, cx + d, cy + d, 5, 1, 0, 0); }, "CIRCLE");
    check([&](VIRTUALWINDOW& vw, int d) { FINECIRCLE(vw, cx + d, cy + d, 5, 1, 0, 0, 0.5); },
          "FINECIRCLE");
    check([&](VIRTUALWINDOW& vw, int d) { RECTANGLE(vw, cx + d, cy + d, 4 + d, 3 + d, 1, 0, 0); },
          "RECTANGLE");
    check([&](VIRTUALWINDOW& vw,
              int d) { LINECLIPPED(vw, cx + d, cy + d, 14 - cx + d, 9 - cy + d, 1); },
          "LINECLIPPED");
  }
}

TEST(Orla2dClipping, RectangleCornersInEitherOrder) {
  canvas a(6, 4), b(6, 4), dot(2, 2);
  RECTANGLE(a.vw, 1, 0, 4, 3, 1, 0, 0);
  RECTANGLE(b.vw, 4, 3, 1, 0, 1, 0, 0);
  EXPECT_EQ(a.lit(), picture({".####.", ".#..#.", ".#..#.", ".####."}));
  EXPECT_EQ(b.lit(), a.lit());
  RECTANGLE(dot.vw, 0, 0, 1, 1, 20, 30, 10);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dot.vw.DATA[i], PACK(20, 30, 10));
}

TEST(Orla2dClipping, ScreenSizedBufferRoutinesUseTheScreenBounds) {
  const screen_size screen(6, 3);
  std::vector<WORD> buffer(18, 0);
  PUTPACKEDCLIPPEDPIXELVW(buffer.data(), 5, 2, 7);
  PUTPACKEDCLIPPEDPIXELVW(buffer.data(), 6, 0, 7);
  PUTPACKEDCLIPPEDPIXELVW(buffer.data(), -1, 1, 7);
  PUTPACKEDCLIPPEDPIXELVW(buffer.data(), 0, 3, 7);
  LINECLIPPEDVW(buffer.data(), -4, 1, 40, 1, 9);
  const std::vector<WORD> expected = {0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 9, 9, 0, 0, 0, 0, 0, 7};
  EXPECT_EQ(buffer, expected);
}

// ---- spans ----------------------------------------------------------------------------------

TEST(Orla2dSpans, EqualEndsDrawNothingAndOrderDoesNotMatter) {
  canvas c(5, 4);
  LINEHORZ(c.vw, 2, 2, 0, ink);
  LINEVERT(c.vw, 2, 3, 3, ink);
  EXPECT_TRUE(c.lit().empty());
  LINEHORZ(c.vw, 3, 1, 0, ink);
  LINEHORZ(c.vw, 0, 4, 3, ink);
  LINEVERT(c.vw, 4, 2, 0, ink);
  EXPECT_EQ(c.lit(), picture({".####", "....#", "....#", "#####"}));
}

// ---- blends ---------------------------------------------------------------------------------

TEST(Orla2dBlends, LightIsClampedAtTheTop) {
  canvas c(4, 2);
  PUTPIXEL(c.vw, 0, 0, 25, 60, 2);
  ALPHALIGHT(c.vw, 0, 0, 10, 10, 10);
  BYTE r, g, b;
  GETPIXEL(c.vw, 0, 0, r, g, b);
  EXPECT_EQ(std::tuple(r, g, b), std::tuple(31, 63, 12));

  PUTPIXEL(c.vw, 1, 1, 30, 1, 30);
  ALPHALIGHTCLIPPEDPACKED(c.vw, 1, 1, PACK(0, 62, 1));
  EXPECT_EQ(GETPACKEDPIXEL(c.vw, 1, 1), PACK(30, 63, 31));

  ALPHALIGHTHORZLINE(c.vw, 1, 0, 2, 0, 5, 0);
  EXPECT_EQ(c.px(1, 0), PACK(0, 5, 0));
  EXPECT_EQ(c.px(2, 0), PACK(0, 5, 0));
  EXPECT_EQ(c.px(3, 0), 0) << "count pixels only";
}

TEST(Orla2dBlends, SignedAlphaIsClampedAtBothEnds) {
  const screen_size screen(3, 1);
  std::vector<WORD> buffer = {PACK(3, 3, 3), PACK(30, 60, 30), PACK(10, 10, 10)};
  ALPHA(buffer.data(), 0, 0, -5, -5, -5);
  ALPHA(buffer.data(), 1, 0, 5, 5, 5);
  ALPHA(buffer.data(), 2, 0, -128, 127, -3);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[1], PACK(31, 63, 31));
  EXPECT_EQ(buffer[2], PACK(0, 63, 7));
}

// ---- guards of the unclipped routines --------------------------------------------------------

#ifndef NDEBUG
TEST(Orla2dGuardsDeathTest, UnclippedRoutinesAssertOutsideTheBuffer) {
  canvas c(8, 6);
  const screen_size screen(8, 6);
  EXPECT_DEATH(PUTPIXEL(c.vw, 8, 0, 1, 0, 0), "outside");
  EXPECT_DEATH(PUTPACKEDPIXEL(c.vw, 0, -1, 1), "outside");
  EXPECT_DEATH(GETPACKEDPIXEL(c.vw, 0, 6), "outside");
  EXPECT_DEATH(LINEHORZ(c.vw, -1, 3, 0, ink), "outside");
  EXPECT_DEATH(LINEVERT(c.vw, 0, 2, 6, ink), "outside");
  EXPECT_DEATH(FULLCIRCLE(c.vw, 1, 3, 2, ink), "outside");
  EXPECT_DEATH(LINE(c.vw, 0, 0, 8, 5, 1, 0, 0), "leaves");
  EXPECT_DEATH(ALPHALIGHTHORZLINE(c.vw, 5, 0, 4, 1, 1, 1), "outside");
  EXPECT_DEATH(ALPHA(c.vw.DATA, 8, 0, 1, 1, 1), "outside");
  EXPECT_DEATH(FINECIRCLE(c.vw, 3, 3, 2, 1, 0, 0, 0.0), "positive");
}
#else
TEST(Orla2dGuards, ReleaseBuildsKeepOutOfRangeCallsInsideTheBuffer) {
  // The window sits inside a larger block; the words around it must stay as they were.
  constexpr int w = 8, h = 6, pad = 64;
  constexpr WORD guard = 0xA5A5;
  std::vector<WORD> block(pad + w * h + pad, guard);
  std::fill_n(block.begin() + pad, w * h, 0);
  VIRTUALWINDOW vw;
  CALCULATEVW(vw, w, h);
  vw.DATA = block.data() + pad;
  const screen_size screen(w, h);

  PUTPIXEL(vw, w, 0, 1, 0, 0);
  PUTPIXEL(vw, -1, 0, 1, 0, 0);
  PUTPACKEDPIXEL(vw, INT_MIN, INT_MAX, 1);
  ALPHALIGHT(vw, 0, h, 1, 1, 1);
  ALPHA(vw.DATA, -1, h, 1, 1, 1);
  EXPECT_EQ(GETPACKEDPIXEL(vw, 0, -1), 0);
  LINEHORZ(vw, 0, 5, h, ink);
  LINEVERT(vw, -1, 0, 5, ink);
  LINE(vw, -50, -50, -1, 70, 1, 0, 0);
  FULLCIRCLE(vw, INT_MAX, INT_MIN, 3, ink);
  ALPHALIGHTHORZLINE(vw, 0, -1, 100, 1, 1, 1);
  for (int i = pad; i < pad + w * h; ++i) ASSERT_EQ(block[i], 0) << "nothing of that is inside";

  // What lies inside is drawn, what lies outside is dropped.
  LINEHORZ(vw, -5, 20, 2, ink);
  LINEHORZ(vw, -5, 0, 3, ink);
  LINEVERT(vw, 7, -9, 40, ink);
  ALPHALIGHTHORZLINE(vw, 5, 5, 10, 31, 0, 0);
  FINECIRCLE(vw, 3, 0, 2, 1, 0, 0, 0.0);  // stops after its first sample
  EXPECT_EQ(lit_pixels(vw),
            picture({".#...#.#", ".......#", "########", "#......#", ".......#", ".....###"}));
  EXPECT_EQ(vw.DATA[5 * w + 6], PACK(31, 0, 0));

  canvas clipped(w, h), large(w + 20, h + 20);
  std::fill_n(vw.DATA, w * h, 0);
  LINE(vw, -6, 0, 12, 5, 1, 0, 0);
  LINECLIPPED(clipped.vw, -6, 0, 12, 5, 1);
  EXPECT_EQ(lit_pixels(vw), clipped.lit());
  std::fill_n(vw.DATA, w * h, 0);
  FULLCIRCLE(vw, 0, 0, 3, ink);
  FULLCIRCLE(large.vw, 10, 10, 3, ink);
  EXPECT_EQ(lit_pixels(vw), large.lit_crop(10, 10, w, h));

  for (int i = 0; i < pad; ++i) {
    ASSERT_EQ(block[i], guard) << i;
    ASSERT_EQ(block[pad + w * h + i], guard) << i;
  }
}
#endif
