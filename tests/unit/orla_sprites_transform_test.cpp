// Tests of orla_sprites: the whole-sprite transforms (brightness, fades, scaling, copies, the
// 180-degree turn and the rotating scaler), each against a plain reference of its rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "orla.hpp"
#include "orla_sprites.hpp"
#include "sprite_canvas.hpp"

using namespace orla_sprites;
using namespace sprite_test;

namespace {

// ---- brightness ---------------------------------------------------------------------------------

enum class brightness { adjust, increase, decrease };

// The per-channel rule of each brightness routine.
WORD reference_brightness(brightness kind, WORD p, int dr, int dg, int db) {
  const auto ch = [kind](int c, int d, int max) {
    switch (kind) {
      case brightness::adjust:
        return std::clamp(c + d, 0, max);
      case brightness::increase:
        return std::min(c + d, max);
      case brightness::decrease:
        return std::max(c - d, 0);
    }
    return 0;
  };
  return rgb(ch(red(p), dr, 31), ch(green(p), dg, 63), ch(blue(p), db, 31));
}

void call_brightness(brightness kind, bool keyed, VIRTUALWINDOW& vw, int dr, int dg, int db,
                     WORD key) {
  const auto s = [](int v) { return static_cast<SHORTINT>(v); };
  const auto u = [](int v) { return static_cast<BYTE>(v); };
  switch (kind) {
    case brightness::adjust:
      if (keyed)
        ADJUSTSPRITEHCBRIGHTNESS(vw, s(dr), s(dg), s(db), key);
      else
        ADJUSTSPRITEBRIGHTNESS(vw, s(dr), s(dg), s(db));
      break;
    case brightness::increase:
      if (keyed)
        INCREASESPRITEHCBRIGHTNESS(vw, u(dr), u(dg), u(db), key);
      else
        INCREASESPRITEBRIGHTNESS(vw, u(dr), u(dg), u(db));
      break;
    case brightness::decrease:
      if (keyed)
        DECREASESPRITEHCBRIGHTNESS(vw, u(dr), u(dg), u(db), key);
      else
        DECREASESPRITEBRIGHTNESS(vw, u(dr), u(dg), u(db));
      break;
  }
}

WORD brightened(brightness kind, WORD p, int dr, int dg, int db) {
  canvas c(1, 1, p);
  call_brightness(kind, false, c.vw, dr, dg, db, 0);
  return c.at(0, 0);
}

TEST(SpriteBrightness, AdjustClampsOnBothSides) {
  EXPECT_EQ(brightened(brightness::adjust, rgb(20, 40, 3), -31, -63, -31), 0);
  EXPECT_EQ(brightened(brightness::adjust, rgb(20, 40, 3), 31, 63, 31), 0xFFFF);
  EXPECT_EQ(brightened(brightness::adjust, rgb(31, 5, 5), 100, 0, 0), rgb(31, 5, 5));
  EXPECT_EQ(brightened(brightness::adjust, rgb(1, 5, 5), -128, 127, -3), rgb(0, 63, 2));
  EXPECT_EQ(brightened(brightness::adjust, 0x1234, 0, 0, 0), 0x1234);
}

TEST(SpriteBrightness, IncreaseAndDecreaseClampAtTheirEnd) {
  EXPECT_EQ(brightened(brightness::decrease, rgb(3, 10, 31), 5, 5, 5), rgb(0, 5, 26));
  EXPECT_EQ(brightened(brightness::decrease, rgb(31, 63, 31), 255, 255, 255), 0);
  EXPECT_EQ(brightened(brightness::increase, rgb(30, 60, 0), 5, 5, 255), rgb(31, 63, 31));
  EXPECT_EQ(brightened(brightness::increase, rgb(30, 60, 0), 0, 2, 0), rgb(30, 62, 0));
}

TEST(SpriteBrightness, KeyedVariantsLeaveKeyPixelsAlone) {
  canvas c(3, 1);
  c.at(0, 0) = 0x0841;
  c.at(1, 0) = 0x1111;
  c.at(2, 0) = 0x0841;
  ADJUSTSPRITEHCBRIGHTNESS(c.vw, 1, 1, 1, 0x0841);
  INCREASESPRITEHCBRIGHTNESS(c.vw, 1, 1, 1, 0x0841);
  DECREASESPRITEHCBRIGHTNESS(c.vw, 0, 0, 1, 0x0841);
  EXPECT_EQ(c.pixels(), (std::vector<WORD>{0x0841, rgb(4, 10, 18), 0x0841}));
}

// The brightness routines treat the buffer as SIZE / 2 pixels, whatever the rows.
TEST(SpriteBrightness, AllRoutinesMatchTheRuleOnRandomBuffers) {
  std::mt19937 rng(5150);
  every_loop_build restore;
  for (const detail::loop_build build : every_loop_build::builds) {
    detail::select_loop_build(build);
    SCOPED_TRACE(every_loop_build::name(build));
    for (int n = 0; n < 3000; ++n) {
      const auto kind = static_cast<brightness>(n % 3);
      const bool keyed = (n / 3) % 2;
      const LONGINT w = random_in(rng, 1, 150), h = random_in(rng, 1, 3);
      const WORD key = static_cast<WORD>(rng());
      const bool small = rng() % 2;
      int d[3];
      for (int& v : d) {
        if (kind == brightness::adjust)
          v = small ? random_in(rng, -6, 6) : random_in(rng, -128, 127);
        else
          v = small ? random_in(rng, 0, 6) : random_in(rng, 0, 255);
      }
      canvas c(w, h);
      fill_random(c, rng, key);
      std::vector<WORD> expected = c.pixels();
      for (WORD& p : expected)
        if (!(keyed && p == key)) p = reference_brightness(kind, p, d[0], d[1], d[2]);
      call_brightness(kind, keyed, c.vw, d[0], d[1], d[2], key);
      ASSERT_EQ(c.pixels(), expected) << "case " << n;
      ASSERT_TRUE(c.guards_intact());
    }
  }
}

// ---- fades --------------------------------------------------------------------------------------

// Literal reading of the fixed step: red and blue one unit, green two units but not past the goal.
WORD reference_fade(WORD c, WORD g) {
  const auto unit = [](int v, int goal) { return v < goal ? v + 1 : v > goal ? v - 1 : v; };
  int gr = green(c);
  if (gr < green(g)) {
    gr += 2;
    if (gr > green(g)) gr = green(g);
  } else if (gr > green(g)) {
    gr -= 2;
    if (gr < green(g)) gr = green(g);
  }
  return rgb(unit(red(c), red(g)), gr, unit(blue(c), blue(g)));
}

WORD reference_fade_var(WORD c, WORD g, int sr, int sg, int sb) {
  const auto ch = [](int v, int goal, int step) {
    if (v < goal) return std::min(v + step, goal);
    if (v > goal) return std::max(v - step, goal);
    return v;
  };
  return rgb(ch(red(c), red(g), sr), ch(green(c), green(g), sg), ch(blue(c), blue(g), sb));
}

WORD faded(WORD c, WORD g) {
  canvas changed(1, 1, c), goal(1, 1, g);
  FADESPRITE(changed.vw, goal.vw);
  return changed.at(0, 0);
}

TEST(SpriteFade, FixedStepMovesEachChannelTowardsTheGoal) {
  EXPECT_EQ(faded(rgb(0, 10, 0), rgb(0, 11, 0)), rgb(0, 11, 0));
  EXPECT_EQ(faded(rgb(0, 10, 0), rgb(0, 9, 0)), rgb(0, 9, 0));
  EXPECT_EQ(faded(rgb(10, 10, 10), rgb(20, 20, 0)), rgb(11, 12, 9));
  EXPECT_EQ(faded(0x4321, 0x4321), 0x4321);
}

TEST(SpriteFade, ThirtyTwoStepsReachAnyGoal) {
  std::mt19937 rng(32);
  canvas changed(40, 3), goal(40, 3);
  fill_random(changed, rng, 0);
  fill_random(goal, rng, 0);
  changed.at(0, 0) = 0xFFFF;
  goal.at(0, 0) = 0;
  for (int i = 0; i < 31; ++i) FADESPRITE(changed.vw, goal.vw);
  EXPECT_NE(changed.at(0, 0), 0) << "white needs all 32 steps";
  FADESPRITE(changed.vw, goal.vw);
  EXPECT_EQ(changed.pixels(), goal.pixels());
}

TEST(SpriteFade, VariableStepsStopAtTheGoal) {
  canvas changed(2, 1), goal(2, 1);
  changed.at(0, 0) = rgb(10, 50, 31);
  goal.at(0, 0) = rgb(12, 10, 0);
  changed.at(1, 0) = rgb(0, 0, 0);
  goal.at(1, 0) = rgb(31, 63, 31);
  FADESPRITEVAR(changed.vw, goal.vw, 8, 8, 8);
  EXPECT_EQ(changed.at(0, 0), rgb(12, 42, 23));
  EXPECT_EQ(changed.at(1, 0), rgb(8, 8, 8));
  FADESPRITEVAR(changed.vw, goal.vw, 255, 255, 255);
  EXPECT_EQ(changed.pixels(), goal.pixels());
}

TEST(SpriteFade, RandomBuffersMatchTheRule) {
  std::mt19937 rng(4242);
  every_loop_build restore;
  for (const detail::loop_build build : every_loop_build::builds) {
    detail::select_loop_build(build);
    SCOPED_TRACE(every_loop_build::name(build));
    for (int n = 0; n < 2000; ++n) {
      const LONGINT count = random_in(rng, 1, 120);
      canvas changed(count, 1), goal(count, 1);
      fill_random(changed, rng, 0);
      fill_random(goal, rng, 0);
      // near goals as well as far ones, so that the capping matters
      for (LONGINT i = 0; i < count; ++i)
        if (rng() % 2) goal.vw.DATA[i] = static_cast<WORD>(changed.vw.DATA[i] ^ (rng() & 0x0843));
      const bool fixed = n % 2;
      const int sr = random_in(rng, 0, 40), sg = random_in(rng, 0, 70), sb = random_in(rng, 0, 40);
      std::vector<WORD> expected = changed.pixels();
      for (LONGINT i = 0; i < count; ++i)
        expected[i] = fixed ? reference_fade(expected[i], goal.vw.DATA[i])
                            : reference_fade_var(expected[i], goal.vw.DATA[i], sr, sg, sb);
      if (fixed)
        FADESPRITE(changed.vw, goal.vw);
      else
        FADESPRITEVAR(changed.vw, goal.vw, static_cast<BYTE>(sr), static_cast<BYTE>(sg),
                      static_cast<BYTE>(sb));
      ASSERT_EQ(changed.pixels(), expected) << "case " << n;
    }
  }
}

// changed: the step ran over the goal's pixel count; a goal larger than the changed window
// wrote past the changed buffer. Only the pixels both hold take part now.
TEST(SpriteFade, GoalLargerThanTheChangedWindowStaysInside) {
  canvas changed(3, 2, 0), goal(5, 4, 0xFFFF);
  FADESPRITE(changed.vw, goal.vw);
  FADESPRITEVAR(changed.vw, goal.vw, 1, 1, 1);
  EXPECT_TRUE(changed.guards_intact());
  for (WORD p : changed.pixels()) EXPECT_EQ(p, rgb(2, 3, 2));
}

TEST(SpriteFade, ChangedAndGoalInOneBuffer) {
  canvas window(8, 1);
  for (LONGINT i = 0; i < 8; ++i) window.vw.DATA[i] = static_cast<WORD>(i * 0x0841);
  FADESPRITE(window.vw, window.vw);
  for (LONGINT i = 0; i < 8; ++i) EXPECT_EQ(window.vw.DATA[i], i * 0x0841) << "already there";
  // a goal record one pixel further on: every pixel fades towards its right neighbour as it was
  VIRTUALWINDOW goal;
  orla::CALCULATEVW(goal, 7, 1);
  goal.DATA = window.vw.DATA + 1;
  const std::vector<WORD> before = window.pixels();
  FADESPRITE(window.vw, goal);
  for (LONGINT i = 0; i < 7; ++i)
    EXPECT_EQ(window.vw.DATA[i], reference_fade(before[i], before[i + 1])) << i;
  EXPECT_EQ(window.vw.DATA[7], before[7]);
}

// ---- scaling ------------------------------------------------------------------------------------

// Nearest neighbour with 16-bit accumulators and fractions scaled by 65535, step by step.
void reference_scale(const canvas& src, canvas& dst) {
  const auto split = [](long double f, long long& whole, unsigned& fraction) {
    whole = static_cast<long long>(f);
    fraction = static_cast<unsigned>((f - whole) * 65535.0L);
  };
  long long ix, iy;
  unsigned fx, fy;
  split(static_cast<long double>(src.vw.BREITE) / dst.vw.BREITE, ix, fx);
  split(static_cast<long double>(src.vw.HOEHE) / dst.vw.HOEHE, iy, fy);
  long long r = 0;
  unsigned ay = 0;
  for (LONGINT j = 0; j < dst.vw.HOEHE; ++j) {
    long long c = 0;
    unsigned ax = 0;
    for (LONGINT i = 0; i < dst.vw.BREITE; ++i) {
      dst.at(i, j) = src.at(static_cast<LONGINT>(c), static_cast<LONGINT>(r));
      c += ix;
      ax += fx;
      if (ax > 65535) {
        ax -= 65536;
        ++c;
      }
    }
    r += iy;
    ay += fy;
    if (ay > 65535) {
      ay -= 65536;
      ++r;
    }
  }
}

// Source pixel (i, j) holds 100 j + i.
void number_pixels(canvas& c) {
  for (LONGINT j = 0; j < c.vw.HOEHE; ++j)
    for (LONGINT i = 0; i < c.vw.BREITE; ++i) c.at(i, j) = static_cast<WORD>(100 * j + i);
}

TEST(SpriteScale, DoublingFallsBehindTheExactPositions) {
  canvas src(4, 4), dst(8, 8);
  number_pixels(src);
  SCALESPRITE(src.vw, dst.vw);
  const int taken[8] = {0, 0, 0, 1, 1, 2, 2, 3};
  for (LONGINT j = 0; j < 8; ++j)
    for (LONGINT i = 0; i < 8; ++i)
      EXPECT_EQ(dst.at(i, j), 100 * taken[j] + taken[i]) << i << "," << j;
}

TEST(SpriteScale, OneAndAHalfSkipsColumns) {
  canvas src(6, 1), dst(4, 1);
  number_pixels(src);
  SCALESPRITE(src.vw, dst.vw);
  EXPECT_EQ(dst.pixels(), (std::vector<WORD>{0, 1, 2, 4}));
}

TEST(SpriteScale, EqualSizesCopy) {
  std::mt19937 rng(3);
  canvas src(13, 7), dst(13, 7);
  fill_random(src, rng, 0);
  SCALESPRITE(src.vw, dst.vw);
  EXPECT_EQ(dst.pixels(), src.pixels());
}

TEST(SpriteScale, RandomSizesMatchTheStepwiseRule) {
  std::mt19937 rng(909);
  for (int n = 0; n < 1500; ++n) {
    const LONGINT sw = random_in(rng, 1, 40), sh = random_in(rng, 1, 40);
    const LONGINT dw = random_in(rng, 1, 90), dh = random_in(rng, 1, 90);
    canvas src(sw, sh), dst(dw, dh), expected(dw, dh);
    fill_random(src, rng, 0);
    reference_scale(src, expected);
    SCALESPRITE(src.vw, dst.vw);
    ASSERT_EQ(dst.pixels(), expected.pixels())
        << "case " << n << ": " << sw << "x" << sh << " onto " << dw << "x" << dh;
    ASSERT_TRUE(dst.guards_intact());
  }
}

TEST(SpriteScale, TwoByTwoClearsTheSceneLayer) {
  canvas tile(2, 2), layer(800, 458), expected(800, 458);
  tile.at(0, 0) = 1, tile.at(1, 0) = 2, tile.at(0, 1) = 3, tile.at(1, 1) = 4;
  std::mt19937 rng(1);
  fill_random(layer, rng, 0);
  reference_scale(tile, expected);
  SCALESPRITE(tile.vw, layer.vw);
  EXPECT_EQ(layer.pixels(), expected.pixels());
}

TEST(SpriteScale, SourceAndDestinationInOneBuffer) {
  canvas window(4, 2);
  number_pixels(window);
  VIRTUALWINDOW corner;  // the window's first two pixels, as a 2 x 1 record
  orla::CALCULATEVW(corner, 2, 1);
  corner.DATA = window.vw.DATA;
  SCALESPRITE(window.vw, corner);
  EXPECT_EQ(window.vw.DATA[0], 0);
  EXPECT_EQ(window.vw.DATA[1], 2);
  SCALESPRITE(corner, window.vw);  // reads the two pixels before any is overwritten
  EXPECT_EQ(window.pixels(), (std::vector<WORD>{0, 0, 0, 2, 0, 0, 0, 2}));
}

// ---- copies -------------------------------------------------------------------------------------

TEST(SpriteCopy, CopiesEveryByteIncludingAnOddTail) {
  canvas src(3, 1), dst(3, 1);
  src.at(0, 0) = 1, src.at(1, 0) = 2, src.at(2, 0) = 3;
  COPYSPRITE(src.vw, dst.vw);
  EXPECT_EQ(dst.pixels(), src.pixels());
  EXPECT_EQ(dst.vw.BREITE, 3);
}

TEST(SpriteCopy, BytesGoIntoADestinationOfAnotherShape) {
  canvas src(2, 3), dst(3, 2);
  number_pixels(src);
  COPYSPRITE(src.vw, dst.vw);
  EXPECT_EQ(dst.pixels(), src.pixels());
  EXPECT_EQ(dst.vw.BREITE, 3) << "the destination record keeps its shape";
}

// changed: the source's SIZE bytes were copied whatever the destination held.
TEST(SpriteCopy, LargerSourceStopsAtTheDestinationsEnd) {
  canvas src(10, 10, 7), dst(3, 2);
  COPYSPRITE(src.vw, dst.vw);
  EXPECT_TRUE(dst.guards_intact());
  for (WORD p : dst.pixels()) EXPECT_EQ(p, 7);
}

TEST(SpriteCopy, OverlappingRecordsCopyAsFromBefore) {
  canvas window(6, 1);
  number_pixels(window);
  VIRTUALWINDOW later;
  orla::CALCULATEVW(later, 4, 1);
  later.DATA = window.vw.DATA + 2;
  COPYSPRITE(window.vw, later);  // six source pixels, four fit
  EXPECT_EQ(window.pixels(), (std::vector<WORD>{0, 1, 0, 1, 2, 3}));
}

// ---- the 180-degree turn ------------------------------------------------------------------------

void reference_rotate180(const canvas& src, canvas& dst) {
  for (LONGINT x = 0; x < src.vw.BREITE; ++x)
    for (LONGINT y = 0; y < src.vw.HOEHE; ++y)
      if (x < dst.vw.BREITE && y < dst.vw.HOEHE)
        dst.at(x, y) = src.at(src.vw.BREITE - 1 - x, src.vw.HOEHE - 1 - y);
}

TEST(SpriteRotate180, TurnsAndKeepsTheRestOfALargerDestination) {
  canvas src(3, 2), dst(5, 3, 9);
  number_pixels(src);
  ROTATE_SPRITE180(src.vw, dst.vw);
  EXPECT_EQ(dst.pixels(), (std::vector<WORD>{102, 101, 100, 9, 9, 2, 1, 0, 9, 9, 9, 9, 9, 9, 9}));
}

// changed: a destination smaller than the source was written past its rows and its buffer.
TEST(SpriteRotate180, SmallerDestinationGetsOnlyItsOwnPixels) {
  canvas src(5, 4), dst(2, 3, 9);
  number_pixels(src);
  ROTATE_SPRITE180(src.vw, dst.vw);
  EXPECT_TRUE(dst.guards_intact());
  EXPECT_EQ(dst.pixels(), (std::vector<WORD>{304, 303, 204, 203, 104, 103}));
}

TEST(SpriteRotate180, RandomSizesMatchAndInPlaceTurnsCleanly) {
  std::mt19937 rng(180);
  every_loop_build restore;
  for (const detail::loop_build build : every_loop_build::builds) {
    detail::select_loop_build(build);
    SCOPED_TRACE(every_loop_build::name(build));
    for (int n = 0; n < 500; ++n) {
      canvas src(random_in(rng, 1, 70), random_in(rng, 1, 9));
      canvas dst(random_in(rng, 1, 70), random_in(rng, 1, 9)),
          expected(dst.vw.BREITE, dst.vw.HOEHE);
      fill_random(src, rng, 0);
      fill_random(dst, rng, 0);
      for (LONGINT i = 0; i < dst.vw.BREITE * dst.vw.HOEHE; ++i)
        expected.vw.DATA[i] = dst.vw.DATA[i];
      reference_rotate180(src, expected);
      ROTATE_SPRITE180(src.vw, dst.vw);
      ASSERT_EQ(dst.pixels(), expected.pixels()) << "case " << n;
      ASSERT_TRUE(dst.guards_intact());
    }
  }
  canvas window(7, 3), original(7, 3), expected(7, 3);
  fill_random(window, rng, 0);
  for (LONGINT i = 0; i < 21; ++i) original.vw.DATA[i] = window.vw.DATA[i];
  reference_rotate180(original, expected);
  ROTATE_SPRITE180(window.vw, window.vw);
  EXPECT_EQ(window.pixels(), expected.pixels()) << "one buffer turns as if from a copy";
}

// ---- the rotating scaler ------------------------------------------------------------------------

struct ref_point {
  long long x, y;
};

// The 4-connected line, literally: the corner of each diagonal move is a point of its own.
std::vector<ref_point> reference_line(ref_point a, ref_point b) {
  std::vector<ref_point> points{a};
  long long x = a.x, y = a.y;
  const long long adx = std::llabs(b.x - a.x), ady = std::llabs(b.y - a.y);
  const long long sx = b.x >= a.x ? 1 : -1, sy = b.y >= a.y ? 1 : -1;
  if (adx > ady) {
    long long e = -(adx / 2);
    while (x != b.x) {
      e += ady;
      x += sx;
      if (e > 0) {
        points.push_back({x, y});
        y += sy;
        e -= adx;
      }
      points.push_back({x, y});
    }
  } else {
    long long e = -(ady / 2);
    while (y != b.y) {
      e += adx;
      y += sy;
      if (e > 0) {
        points.push_back({x, y});
        x += sx;
        e -= ady;
      }
      points.push_back({x, y});
    }
  }
  return points;
}

ref_point reference_corner(long long x, long long y, long long angle, long long k, long double r) {
  long long a = angle + k;
  if (a < 0) a += (std::llabs(a / 360) + 1) * 360;
  if (a > 360) a %= 360;
  return {x + static_cast<long long>(orla::COSIN[a] * r),
          y - static_cast<long long>(orla::SINUS[a] * r)};
}

// Draws the whole turned square, keeping the points that land in the destination; rows hold at
// most `row_limit` points (the row-shape table's size), the sampling runs on as for whole rows.
std::vector<ref_point> reference_rotate_scale(const canvas& src, canvas& dst, long long x,
                                              long long y, long long side, long long angle,
                                              bool keyed, WORD key, std::size_t row_limit) {
  const long double r = std::sqrt(static_cast<long double>(2 * ((side / 2) * side / 2)));
  const ref_point p1 = reference_corner(x, y, angle, 45, r);
  const ref_point p2 = reference_corner(x, y, angle, 135, r);
  const ref_point p3 = reference_corner(x, y, angle, 225, r);
  const std::vector<ref_point> row = reference_line(p2, p1);
  const std::vector<ref_point> edge = reference_line(p2, p3);
  const auto split = [](long double f, long long& whole, unsigned& fraction) {
    whole = static_cast<long long>(f);
    fraction = static_cast<unsigned>((f - whole) * 65535.0L);
  };
  long long ix, iy;
  unsigned fx, fy;
  split(static_cast<long double>(src.vw.BREITE - 1) / row.size(), ix, fx);
  split(static_cast<long double>(src.vw.HOEHE - 1) / edge.size(), iy, fy);
  unsigned ax = 0, ay = 0;
  long long source_row = 0;
  for (const ref_point& w : edge) {
    long long c = 0;
    for (std::size_t j = 0; j < row.size(); ++j) {
      const long long px = w.x + row[j].x - p2.x, py = w.y + row[j].y - p2.y;
      const WORD pixel = src.at(static_cast<LONGINT>(c), static_cast<LONGINT>(source_row));
      if (j < row_limit && px >= 0 && py >= 0 && px < dst.vw.BREITE && py < dst.vw.HOEHE &&
          !(keyed && pixel == key))
        dst.at(static_cast<LONGINT>(px), static_cast<LONGINT>(py)) = pixel;
      c += ix;
      ax += fx;
      if (ax > 65535) {
        ax -= 65536;
        ++c;
      }
    }
    source_row += iy;
    ay += fy;
    if (ay > 65535) {
      ay -= 65536;
      ++source_row;
    }
  }
  std::vector<ref_point> shape;
  for (std::size_t j = 0; j < row.size() && j < row_limit; ++j)
    shape.push_back({row[j].x - p2.x, row[j].y - p2.y});
  return shape;
}

constexpr std::size_t unlimited = static_cast<std::size_t>(-1);

TEST(SpriteRotateScale, UnturnedSquareSamplesWithARunningColumnAccumulator) {
  canvas src(5, 5), dst(12, 12, 9);
  number_pixels(src);
  // side 6: r = sqrt(18); the corners lie 2 pixels from (6, 6) on each axis: 5 x 5 points
  ROTATE_SCALE_SPRITE(src.vw, dst.vw, 6, 6, 6, 0, 0);
  const int rows[5] = {0, 0, 1, 2, 3};
  const int first_row_columns[5] = {0, 0, 1, 2, 3};
  for (LONGINT k = 0; k < 5; ++k)
    for (LONGINT i = 0; i < 5; ++i) {
      // the column accumulator is not restarted, so from the second row on it carries earlier
      const int column = k == 0 ? first_row_columns[i] : static_cast<int>(i);
      EXPECT_EQ(dst.at(4 + i, 4 + k), 100 * rows[k] + column) << i << "," << k;
    }
  int drawn = 0;
  for (WORD p : dst.pixels()) drawn += p != 9;
  EXPECT_EQ(drawn, 25);
  for (int j = 0; j < 5; ++j) {
    EXPECT_EQ(LINEPOSITION[2 * j], j);
    EXPECT_EQ(LINEPOSITION[2 * j + 1], 0);
  }
}

TEST(SpriteRotateScale, EquivalentAnglesDrawTheSamePicture) {
  std::mt19937 rng(360);
  canvas src(16, 16);
  fill_random(src, rng, 0);
  const auto draw = [&](LONGINT angle) {
    canvas dst(64, 64);
    ROTATE_SCALE_SPRITE(src.vw, dst.vw, 32, 32, 30, 0, angle);
    return dst.pixels();
  };
  EXPECT_EQ(draw(0), draw(360));
  EXPECT_EQ(draw(-90), draw(270));
  EXPECT_EQ(draw(33), draw(33 + 720));
  EXPECT_EQ(draw(-1), draw(359));
  EXPECT_NE(draw(0), draw(90));
}

TEST(SpriteRotateScale, SpareArgumentHasNoEffectAndKeyedSkipsKeyPixels) {
  std::mt19937 rng(77);
  canvas src(9, 9);
  fill_random(src, rng, 0x1234);
  canvas a(40, 40, 5), b(40, 40, 5), keyed(40, 40, 5), expected(40, 40, 5);
  ROTATE_SCALE_SPRITE(src.vw, a.vw, 20, 20, 20, 0, 17);
  ROTATE_SCALE_SPRITE(src.vw, b.vw, 20, 20, 20, -99999, 17);
  EXPECT_EQ(a.pixels(), b.pixels());
  ROTATE_SCALE_SPRITEHC(src.vw, keyed.vw, 20, 20, 20, 0, 17, 0x1234);
  reference_rotate_scale(src, expected, 20, 20, 20, 17, true, 0x1234, unlimited);
  EXPECT_EQ(keyed.pixels(), expected.pixels());
  EXPECT_NE(keyed.pixels(), a.pixels());
}

// Random squares, many of them reaching past the destination's edges (the changed clipping:
// points inside are drawn exactly as for a destination large enough to hold the whole disc).
TEST(SpriteRotateScale, RandomSquaresMatchTheReferenceInsideTheDestination) {
  std::mt19937 rng(1234);
  for (int n = 0; n < 600; ++n) {
    canvas src(random_in(rng, 1, 24), random_in(rng, 1, 24));
    canvas dst(random_in(rng, 20, 60), random_in(rng, 20, 60));
    fill_random(src, rng, 0);
    fill_random(dst, rng, 0);
    canvas expected(dst.vw.BREITE, dst.vw.HOEHE);
    for (LONGINT i = 0; i < dst.vw.BREITE * dst.vw.HOEHE; ++i) expected.vw.DATA[i] = dst.vw.DATA[i];
    const LONGINT x = random_in(rng, -30, 90), y = random_in(rng, -30, 90);
    const LONGINT side = random_in(rng, 0, 70), angle = random_in(rng, -1000, 1000);
    const bool keyed = n % 3 == 0;
    const std::vector<ref_point> shape =
        reference_rotate_scale(src, expected, x, y, side, angle, keyed, 0, unlimited);
    if (keyed)
      ROTATE_SCALE_SPRITEHC(src.vw, dst.vw, x, y, side, 0, angle, 0);
    else
      ROTATE_SCALE_SPRITE(src.vw, dst.vw, x, y, side, 0, angle);
    ASSERT_EQ(dst.pixels(), expected.pixels())
        << "case " << n << ": side " << side << " angle " << angle << " at " << x << "," << y;
    ASSERT_TRUE(dst.guards_intact());
  }
}

// changed: a row of more than 1000 points ran past LINEPOSITION. Rows are cut after 1000 points;
// the points kept are drawn as in the whole row, and the far part of a huge square is skipped
// without stepping through it.
TEST(SpriteRotateScale, HugeSquaresStayInsideTheRowTableAndTheDestination) {
  std::mt19937 rng(99);
  canvas src(50, 40);
  fill_random(src, rng, 0);
  struct huge_case {
    LONGINT x, y, side, angle;
  };
  for (const huge_case& c :
       {huge_case{-150, 750, 1600, -20}, huge_case{450, -1500, 3000, 10},
        huge_case{-1500, -1200, 3000, 95}, huge_case{-1500, -1050, 3000, -170}}) {
    canvas dst(64, 64, 1), expected(64, 64, 1);
    const std::vector<ref_point> shape =
        reference_rotate_scale(src, expected, c.x, c.y, c.side, c.angle, false, 0, 1000);
    ROTATE_SCALE_SPRITE(src.vw, dst.vw, c.x, c.y, c.side, 0, c.angle);
    EXPECT_EQ(dst.pixels(), expected.pixels()) << "side " << c.side << " angle " << c.angle;
    EXPECT_TRUE(dst.guards_intact());
    int drawn = 0;
    for (WORD p : expected.pixels()) drawn += p != 1;
    EXPECT_GT(drawn, 100) << "the case must reach the destination";
    ASSERT_EQ(shape.size(), 1000u) << "the case needs rows longer than the table";
    for (std::size_t j = 0; j < shape.size(); ++j) {
      ASSERT_EQ(LINEPOSITION[2 * j], shape[j].x) << j;
      ASSERT_EQ(LINEPOSITION[2 * j + 1], shape[j].y) << j;
    }
  }
}

TEST(SpriteRotateScale, AbsurdArgumentsReturnWithoutTouchingAnythingOutside) {
  canvas src(8, 8, 3), dst(16, 16, 1);
  for (LONGINT side : {INT_MAX, INT_MIN, -1, 0})
    for (LONGINT pos : {INT_MIN, -5, 8, INT_MAX})
      for (LONGINT angle : {INT_MIN, -45, 0, INT_MAX}) {
        ROTATE_SCALE_SPRITE(src.vw, dst.vw, pos, pos, side, 0, angle);
        ROTATE_SCALE_SPRITEHC(src.vw, dst.vw, pos, 8, side, 0, angle, 0);
      }
  EXPECT_TRUE(dst.guards_intact());
  for (LONGINT i = 0; i < 16 * 16; ++i) dst.vw.DATA[i] = 1;
  // A square of side 2e9 whose left edge runs down column 4: the walk to the destination is a
  // billion rows long and is jumped over; the rows, cut to 1000 points, cover columns 4 and on.
  const long double r =
      std::sqrt(static_cast<long double>(2 * ((2000000000LL / 2) * 2000000000LL / 2)));
  const LONGINT x = static_cast<LONGINT>(4 - reference_corner(0, 0, 0, 135, r).x);
  ROTATE_SCALE_SPRITE(src.vw, dst.vw, x, 8, 2000000000, 0, 0);
  for (LONGINT j = 0; j < 16; ++j)
    for (LONGINT i = 0; i < 16; ++i) EXPECT_EQ(dst.at(i, j), i < 4 ? 1 : 3) << i << "," << j;
  EXPECT_TRUE(dst.guards_intact());
}

TEST(SpriteRotateScale, SourceAndDestinationInOneBuffer) {
  std::mt19937 rng(8);
  canvas window(30, 30), original(30, 30), expected(30, 30);
  fill_random(window, rng, 0);
  for (LONGINT i = 0; i < 900; ++i) expected.vw.DATA[i] = original.vw.DATA[i] = window.vw.DATA[i];
  reference_rotate_scale(original, expected, 14, 15, 16, 30, false, 0, unlimited);
  ROTATE_SCALE_SPRITE(window.vw, window.vw, 14, 15, 16, 0, 30);
  EXPECT_EQ(window.pixels(), expected.pixels());
}

}  // namespace
