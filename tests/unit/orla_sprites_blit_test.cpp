// Tests of orla_sprites: the blitting family, by blend rule, by clipping case, on shared buffers,
// and every routine against a plain per-pixel reference on random cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "orla.hpp"
#include "orla_sprites.hpp"
#include "sprite_canvas.hpp"

using namespace orla_sprites;
using namespace sprite_test;

namespace {

// ---- reference: the rules and the placement, one pixel at a time --------------------------------

enum class rule { copy, bright, mixed, trans, alpha };

int channel(rule m, int t, int s, int d, int max) {
  switch (m) {
    case rule::copy:
      return s;
    case rule::bright:
      return std::min(max, t + std::max(0, s - d));
    case rule::mixed:
      return (t + s) / 2;
    case rule::trans:
      return std::min(max, std::max(0, t - d) + s);
    case rule::alpha:
      return std::min(max, t + s);
  }
  return 0;
}

WORD combine(rule m, WORD t, WORD s, int dr, int dg, int db) {
  if (m == rule::copy) return s;
  return rgb(channel(m, red(t), red(s), dr, 31), channel(m, green(t), green(s), dg, 63),
             channel(m, blue(t), blue(s), db, 31));
}

struct blit_call {
  rule m = rule::copy;
  int dr = 0, dg = 0, db = 0;
  bool keyed = false;
  WORD key = 0;
};

// The clipped placement: every visible sprite pixel combined with the target pixel under it.
void reference_put(canvas& target, const canvas& sprite, std::int64_t x, std::int64_t y,
                   const blit_call& c) {
  const std::int64_t wt = target.vw.BREITE, ht = target.vw.HOEHE;
  const std::int64_t ws = sprite.vw.BREITE, hs = sprite.vw.HOEHE;
  if (!(x < wt && x + ws >= 1 && y < ht && y + hs >= 1)) return;
  for (std::int64_t j = 0; j < hs; ++j)
    for (std::int64_t i = 0; i < ws; ++i) {
      const std::int64_t tx = x + i, ty = y + j;
      if (tx < 0 || tx >= wt || ty < 0 || ty >= ht) continue;
      const WORD s = sprite.at(static_cast<LONGINT>(i), static_cast<LONGINT>(j));
      if (c.keyed && s == c.key) continue;
      WORD& t = target.at(static_cast<LONGINT>(tx), static_cast<LONGINT>(ty));
      t = combine(c.m, t, s, c.dr, c.dg, c.db);
    }
}

// The read: window pixels under the sprite's visible part flow into the sprite.
void reference_get(const canvas& window, canvas& sprite, std::int64_t x, std::int64_t y, bool keyed,
                   WORD key) {
  for (std::int64_t j = 0; j < sprite.vw.HOEHE; ++j)
    for (std::int64_t i = 0; i < sprite.vw.BREITE; ++i) {
      const std::int64_t wx = x + i, wy = y + j;
      if (wx < 0 || wx >= window.vw.BREITE || wy < 0 || wy >= window.vw.HOEHE) continue;
      const WORD w = window.at(static_cast<LONGINT>(wx), static_cast<LONGINT>(wy));
      if (keyed && w == key) continue;
      sprite.at(static_cast<LONGINT>(i), static_cast<LONGINT>(j)) = w;
    }
}

// ---- the 24 routines behind one signature -------------------------------------------------------

using call_fn =
    std::function<void(VIRTUALWINDOW&, VIRTUALWINDOW&, LONGINT, LONGINT, const blit_call&)>;

struct routine {
  std::string name;
  rule m;
  bool keyed;
  bool get;
  call_fn call;
};

// Adapters from each signature to the common one.
using plain_fn = void (*)(VIRTUALWINDOW&, const VIRTUALWINDOW&, LONGINT, LONGINT);
using keyed_fn = void (*)(VIRTUALWINDOW&, const VIRTUALWINDOW&, LONGINT, LONGINT, WORD);
using get_fn = void (*)(const VIRTUALWINDOW&, VIRTUALWINDOW&, LONGINT, LONGINT);
using get_keyed_fn = void (*)(const VIRTUALWINDOW&, VIRTUALWINDOW&, LONGINT, LONGINT, WORD);
template <class D>
using delta_fn = void (*)(VIRTUALWINDOW&, const VIRTUALWINDOW&, LONGINT, LONGINT, D, D, D);
template <class D>
using delta_keyed_fn = void (*)(VIRTUALWINDOW&, const VIRTUALWINDOW&, LONGINT, LONGINT, D, D, D,
                                WORD);

call_fn adapt(plain_fn f) {
  return [f](VIRTUALWINDOW& t, VIRTUALWINDOW& s, LONGINT x, LONGINT y, const blit_call&) {
    f(t, s, x, y);
  };
}
call_fn adapt(keyed_fn f) {
  return [f](VIRTUALWINDOW& t, VIRTUALWINDOW& s, LONGINT x, LONGINT y, const blit_call& c) {
    f(t, s, x, y, c.key);
  };
}
call_fn adapt(get_fn f) {
  return [f](VIRTUALWINDOW& w, VIRTUALWINDOW& s, LONGINT x, LONGINT y, const blit_call&) {
    f(w, s, x, y);
  };
}
call_fn adapt(get_keyed_fn f) {
  return [f](VIRTUALWINDOW& w, VIRTUALWINDOW& s, LONGINT x, LONGINT y, const blit_call& c) {
    f(w, s, x, y, c.key);
  };
}
template <class D>
call_fn adapt(delta_fn<D> f) {
  return [f](VIRTUALWINDOW& t, VIRTUALWINDOW& s, LONGINT x, LONGINT y, const blit_call& c) {
    f(t, s, x, y, static_cast<D>(c.dr), static_cast<D>(c.dg), static_cast<D>(c.db));
  };
}
template <class D>
call_fn adapt(delta_keyed_fn<D> f) {
  return [f](VIRTUALWINDOW& t, VIRTUALWINDOW& s, LONGINT x, LONGINT y, const blit_call& c) {
    f(t, s, x, y, static_cast<D>(c.dr), static_cast<D>(c.dg), static_cast<D>(c.db), c.key);
  };
}

std::vector<routine> all_routines() {
  const bool keyed = true, get = true;
  return {
      {"PUTSPRITE", rule::copy, !keyed, !get, adapt(PUTSPRITE)},
      {"PUTCLIPPEDSPRITE", rule::copy, !keyed, !get, adapt(PUTCLIPPEDSPRITE)},
      {"PUTHCSPRITE", rule::copy, keyed, !get, adapt(PUTHCSPRITE)},
      {"PUTCLIPPEDHCSPRITE", rule::copy, keyed, !get, adapt(PUTCLIPPEDHCSPRITE)},
      {"GETSPRITE", rule::copy, !keyed, get, adapt(GETSPRITE)},
      {"GETCLIPPEDSPRITE", rule::copy, !keyed, get, adapt(GETCLIPPEDSPRITE)},
      {"GETHCSPRITE", rule::copy, keyed, get, adapt(GETHCSPRITE)},
      {"GETCLIPPEDHCSPRITE", rule::copy, keyed, get, adapt(GETCLIPPEDHCSPRITE)},
      {"PUTBRIGHTSPRITE", rule::bright, !keyed, !get, adapt<SHORTINT>(PUTBRIGHTSPRITE)},
      {"PUTBRIGHTCLIPPEDSPRITE", rule::bright, !keyed, !get,
       adapt<SHORTINT>(PUTBRIGHTCLIPPEDSPRITE)},
      {"PUTBRIGHTHCSPRITE", rule::bright, keyed, !get, adapt<SHORTINT>(PUTBRIGHTHCSPRITE)},
      {"PUTBRIGHTCLIPPEDHCSPRITE", rule::bright, keyed, !get,
       adapt<SHORTINT>(PUTBRIGHTCLIPPEDHCSPRITE)},
      {"PUTMIXEDSPRITE", rule::mixed, !keyed, !get, adapt(PUTMIXEDSPRITE)},
      {"PUTMIXEDCLIPPEDSPRITE", rule::mixed, !keyed, !get, adapt(PUTMIXEDCLIPPEDSPRITE)},
      {"PUTMIXEDHCSPRITE", rule::mixed, keyed, !get, adapt(PUTMIXEDHCSPRITE)},
      {"PUTMIXEDCLIPPEDHCSPRITE", rule::mixed, keyed, !get, adapt(PUTMIXEDCLIPPEDHCSPRITE)},
      {"PUTTRANSSPRITE", rule::trans, !keyed, !get, adapt<BYTE>(PUTTRANSSPRITE)},
      {"PUTTRANSCLIPPEDSPRITE", rule::trans, !keyed, !get, adapt<BYTE>(PUTTRANSCLIPPEDSPRITE)},
      {"PUTTRANSHCSPRITE", rule::trans, keyed, !get, adapt<BYTE>(PUTTRANSHCSPRITE)},
      {"PUTTRANSCLIPPEDHCSPRITE", rule::trans, keyed, !get, adapt<BYTE>(PUTTRANSCLIPPEDHCSPRITE)},
      {"PUTALPHASPRITE", rule::alpha, !keyed, !get, adapt(PUTALPHASPRITE)},
      {"PUTALPHACLIPPEDSPRITE", rule::alpha, !keyed, !get, adapt(PUTALPHACLIPPEDSPRITE)},
      {"PUTALPHAHCSPRITE", rule::alpha, keyed, !get, adapt(PUTALPHAHCSPRITE)},
      {"PUTALPHACLIPPEDHCSPRITE", rule::alpha, keyed, !get, adapt(PUTALPHACLIPPEDHCSPRITE)},
  };
}

const routine& find_routine(const std::string& name) {
  static const std::vector<routine> routines = all_routines();
  for (const routine& r : routines)
    if (r.name == name) return r;
  throw std::runtime_error("no routine " + name);
}

// Draws one pixel onto one pixel and returns the result.
WORD one_pixel(const std::string& name, WORD target, WORD sprite, blit_call c = {}) {
  canvas t(1, 1, target), s(1, 1, sprite);
  find_routine(name).call(t.vw, s.vw, 0, 0, c);
  return t.at(0, 0);
}

// ---- blend rules --------------------------------------------------------------------------------

TEST(SpriteBlendRules, AlphaAddsAndSaturatesPerChannel) {
  EXPECT_EQ(one_pixel("PUTALPHASPRITE", rgb(31, 0, 0), rgb(31, 0, 0)), rgb(31, 0, 0));
  EXPECT_EQ(one_pixel("PUTALPHASPRITE", rgb(0, 0, 31), rgb(31, 0, 0)), rgb(31, 0, 31));
  EXPECT_EQ(one_pixel("PUTALPHASPRITE", rgb(20, 40, 1), rgb(20, 30, 2)), rgb(31, 63, 3))
      << "a saturated channel never carries into its neighbour";
}

TEST(SpriteBlendRules, MixedIsTheMeanRoundedDown) {
  EXPECT_EQ(one_pixel("PUTMIXEDSPRITE", 0x0000, 0xFFFF), rgb(15, 31, 15));
  EXPECT_EQ(one_pixel("PUTMIXEDSPRITE", rgb(3, 5, 7), rgb(4, 6, 8)), rgb(3, 5, 7));
}

TEST(SpriteBlendRules, TransDarkensTheTargetThenAddsTheSprite) {
  const blit_call d{rule::trans, 10, 20, 10};
  EXPECT_EQ(one_pixel("PUTTRANSSPRITE", rgb(5, 30, 5), rgb(3, 3, 3), d), rgb(3, 13, 3));
  const blit_call big{rule::trans, 255, 255, 255};
  EXPECT_EQ(one_pixel("PUTTRANSSPRITE", 0xFFFF, rgb(1, 2, 3), big), rgb(1, 2, 3))
      << "a darkening beyond the range leaves only the sprite";
  const blit_call none{rule::trans, 0, 0, 0};
  EXPECT_EQ(one_pixel("PUTTRANSSPRITE", rgb(30, 60, 30), rgb(5, 5, 5), none), 0xFFFF);
}

TEST(SpriteBlendRules, BrightDimsTheSpriteAndClampsInsteadOfWrapping) {
  EXPECT_EQ(one_pixel("PUTBRIGHTSPRITE", rgb(0, 0, 0), rgb(30, 0, 0), {rule::bright, -5, 0, 0}),
            rgb(31, 0, 0));
  EXPECT_EQ(one_pixel("PUTBRIGHTSPRITE", rgb(1, 1, 1), rgb(10, 10, 10), {rule::bright, 4, 20, 10}),
            rgb(7, 1, 1))
      << "a sprite channel dimmed below zero adds nothing";
  EXPECT_EQ(
      one_pixel("PUTBRIGHTSPRITE", rgb(0, 0, 0), rgb(0, 0, 0), {rule::bright, -128, -128, -128}),
      0xFFFF);
}

TEST(SpriteBlendRules, KeyedCopyShowsTheTargetThroughKeyPixels) {
  canvas target(4, 1, 0x1111), sprite(4, 1);
  sprite.at(0, 0) = 0;
  sprite.at(1, 0) = 0x2222;
  sprite.at(2, 0) = 0;
  sprite.at(3, 0) = 0x0001;
  PUTHCSPRITE(target.vw, sprite.vw, 0, 0, 0);
  EXPECT_EQ(target.pixels(), (std::vector<WORD>{0x1111, 0x2222, 0x1111, 0x0001}));
}

TEST(SpriteBlendRules, KeyIsTestedBeforeTheBlend) {
  // a keyed ALPHA leaves key pixels alone even where adding them would change nothing visible
  EXPECT_EQ(one_pixel("PUTALPHAHCSPRITE", rgb(1, 1, 1), rgb(2, 2, 2),
                      {rule::alpha, 0, 0, 0, true, rgb(2, 2, 2)}),
            rgb(1, 1, 1));
  EXPECT_EQ(one_pixel("PUTALPHAHCSPRITE", rgb(1, 1, 1), rgb(2, 2, 3),
                      {rule::alpha, 0, 0, 0, true, rgb(2, 2, 2)}),
            rgb(3, 3, 4));
}

TEST(SpriteBlendRules, KeyedGetKeepsSpritePixelsWhereTheWindowShowsTheKey) {
  canvas window(3, 1), sprite(3, 1, 0x7777);
  window.at(0, 0) = 0xF800;
  window.at(1, 0) = 0x0000;
  window.at(2, 0) = 0x001F;
  GETCLIPPEDHCSPRITE(window.vw, sprite.vw, 0, 0, 0x0000);
  EXPECT_EQ(sprite.pixels(), (std::vector<WORD>{0xF800, 0x7777, 0x001F}));
}

// ---- clipping -----------------------------------------------------------------------------------

// A sprite whose pixel (i, j) is 1000 + 100 j + i, on a target filled with 1.
struct clip_scene {
  canvas target;
  canvas sprite;
  clip_scene(LONGINT wt, LONGINT ht, LONGINT ws, LONGINT hs) : target(wt, ht, 1), sprite(ws, hs) {
    for (LONGINT j = 0; j < hs; ++j)
      for (LONGINT i = 0; i < ws; ++i) sprite.at(i, j) = static_cast<WORD>(1000 + 100 * j + i);
  }
  int changed() const {
    int n = 0;
    for (WORD p : target.pixels()) n += p != 1;
    return n;
  }
};

TEST(SpriteClipping, LeftEdgeDrawsTheSpritesRightPart) {
  clip_scene s(20, 1, 10, 1);
  PUTCLIPPEDSPRITE(s.target.vw, s.sprite.vw, -3, 0);
  for (LONGINT i = 0; i <= 6; ++i) EXPECT_EQ(s.target.at(i, 0), 1000 + 3 + i) << i;
  EXPECT_EQ(s.changed(), 7);
}

TEST(SpriteClipping, FullyOutsideDrawsNothing) {
  for (const auto& [x, y] : std::vector<std::pair<LONGINT, LONGINT>>{{-10, 0},
                                                                     {20, 0},
                                                                     {0, -3},
                                                                     {0, 5},
                                                                     {INT_MIN, INT_MIN},
                                                                     {INT_MAX, INT_MAX},
                                                                     {INT_MAX, 0},
                                                                     {0, INT_MIN}}) {
    clip_scene s(20, 5, 10, 3);
    PUTCLIPPEDSPRITE(s.target.vw, s.sprite.vw, x, y);
    PUTALPHACLIPPEDHCSPRITE(s.target.vw, s.sprite.vw, x, y, 0);
    EXPECT_EQ(s.changed(), 0) << x << "," << y;
    EXPECT_TRUE(s.target.guards_intact());
  }
}

TEST(SpriteClipping, BottomRightCornerGetsTheTopLeftPixel) {
  clip_scene s(20, 5, 10, 3);
  PUTCLIPPEDSPRITE(s.target.vw, s.sprite.vw, 19, 4);
  EXPECT_EQ(s.target.at(19, 4), 1000);
  EXPECT_EQ(s.changed(), 1);
}

TEST(SpriteClipping, TopAndBottomEdgesCutRows) {
  clip_scene top(4, 4, 2, 3);
  PUTCLIPPEDSPRITE(top.target.vw, top.sprite.vw, 1, -2);
  EXPECT_EQ(top.target.at(1, 0), 1200);
  EXPECT_EQ(top.target.at(2, 0), 1201);
  EXPECT_EQ(top.changed(), 2);

  clip_scene bottom(4, 4, 2, 3);
  PUTCLIPPEDSPRITE(bottom.target.vw, bottom.sprite.vw, 2, 2);
  EXPECT_EQ(bottom.target.at(2, 3), 1100);
  EXPECT_EQ(bottom.changed(), 4);
}

TEST(SpriteClipping, SpriteLargerThanTargetOnAllSides) {
  clip_scene s(3, 2, 9, 8);
  PUTCLIPPEDSPRITE(s.target.vw, s.sprite.vw, -4, -5);
  for (LONGINT j = 0; j < 2; ++j)
    for (LONGINT i = 0; i < 3; ++i) EXPECT_EQ(s.target.at(i, j), 1000 + 100 * (5 + j) + 4 + i);
  EXPECT_TRUE(s.target.guards_intact());
}

TEST(SpriteClipping, ClippedGetLeavesSpritePixelsOutsideTheWindow) {
  canvas window(3, 3, 0x0505), sprite(4, 4, 0x7777);
  GETCLIPPEDSPRITE(window.vw, sprite.vw, -1, 1);
  for (LONGINT j = 0; j < 4; ++j)
    for (LONGINT i = 0; i < 4; ++i) {
      const bool inside = i >= 1 && j <= 1;
      EXPECT_EQ(sprite.at(i, j), inside ? 0x0505 : 0x7777) << i << "," << j;
    }
}

// changed: the unclipped routines no longer trust the caller. A sprite reaching past the right
// edge used to land in the next row; past the last row, outside the buffer.
TEST(SpriteUnclippedSafety, SpriteReachingPastTheTargetIsClipped) {
  for (const routine& r : all_routines()) {
    if (r.name.find("CLIPPED") != std::string::npos) continue;
    clip_scene s(6, 3, 4, 2);
    blit_call c{r.m, 1, 1, 1, r.keyed, 0x5A5A};
    if (r.get) {
      // a 6 x 3 sprite read from a 4 x 2 window at (3, 1): only its top-left pixel lies inside
      r.call(s.sprite.vw, s.target.vw, 3, 1, c);
      EXPECT_TRUE(s.sprite.guards_intact()) << r.name;
      EXPECT_TRUE(s.target.guards_intact()) << r.name;
      EXPECT_EQ(s.target.at(0, 0), 1103) << r.name;
      EXPECT_EQ(s.changed(), 1) << r.name;
    } else {
      r.call(s.target.vw, s.sprite.vw, 4, 2, c);
      EXPECT_TRUE(s.target.guards_intact()) << r.name;
      EXPECT_EQ(s.target.at(0, 0), 1) << r.name << ": nothing wraps into column 0";
      EXPECT_NE(s.target.at(4, 2), 1) << r.name;
      EXPECT_NE(s.target.at(5, 2), 1) << r.name;
      EXPECT_EQ(s.changed(), 2) << r.name;
    }
  }
}

TEST(SpriteUnclippedSafety, ExtremePositionsAndEmptyWindowsDrawNothing) {
  clip_scene s(8, 8, 4, 4);
  for (LONGINT x : {INT_MIN, -5, INT_MAX - 2, INT_MAX}) {
    PUTSPRITE(s.target.vw, s.sprite.vw, x, 0);
    PUTTRANSHCSPRITE(s.target.vw, s.sprite.vw, 0, x, 1, 2, 3, 0);
    GETSPRITE(s.target.vw, s.sprite.vw, x, x);
  }
  EXPECT_EQ(s.changed(), 0);
  VIRTUALWINDOW empty;  // no buffer, zero size
  PUTSPRITE(s.target.vw, empty, 0, 0);
  PUTSPRITE(empty, s.sprite.vw, 0, 0);
  GETSPRITE(empty, s.sprite.vw, 0, 0);
  EXPECT_EQ(s.changed(), 0);
  EXPECT_TRUE(s.target.guards_intact());
  EXPECT_TRUE(s.sprite.guards_intact());
}

TEST(SpriteUnclippedSafety, RecordWhoseSizeIsShortOfItsRowsUsesOnlyTheRowsItHolds) {
  canvas target(4, 4, 1), sprite(4, 4, 9);
  target.vw.SIZE = 4 * 2 * 2;  // the record claims four rows, its SIZE covers two
  PUTSPRITE(target.vw, sprite.vw, 0, 0);
  for (LONGINT j = 0; j < 4; ++j) EXPECT_EQ(target.at(0, j), j < 2 ? 9 : 1) << j;
}

// ---- sprite and target in one buffer ------------------------------------------------------------

// The defined result: as if the sprite had been read completely before anything was written.
TEST(SpriteSharedBuffer, PutOntoItselfBehavesAsFromACopy) {
  std::mt19937 rng(11);
  for (const routine& r : all_routines()) {
    for (const auto& [x, y] : std::vector<std::pair<LONGINT, LONGINT>>{
             {1, 1}, {-1, -1}, {2, 0}, {0, -1}, {0, 0}, {-3, 2}}) {
      canvas window(37, 5), copy(37, 5), expected(37, 5);
      fill_random(window, rng, 0);
      for (LONGINT i = 0; i < 37 * 5; ++i)
        copy.vw.DATA[i] = expected.vw.DATA[i] = window.vw.DATA[i];
      const blit_call c{r.m, 3, 2, 5, r.keyed, 0};
      if (r.get)
        reference_get(copy, expected, x, y, c.keyed, c.key);
      else
        reference_put(expected, copy, x, y, c);
      r.call(window.vw, window.vw, x, y, c);
      EXPECT_EQ(window.pixels(), expected.pixels()) << r.name << " at " << x << "," << y;
    }
  }
}

TEST(SpriteSharedBuffer, TwoRecordsOverOneBufferWithDifferentShapes) {
  // a 6 x 4 window and a 3 x 2 record looking at its second row
  canvas window(6, 4);
  for (LONGINT i = 0; i < 24; ++i) window.vw.DATA[i] = static_cast<WORD>(i + 1);
  VIRTUALWINDOW part;
  orla::CALCULATEVW(part, 3, 2);
  part.DATA = window.vw.DATA + 6;
  const std::vector<WORD> before = window.pixels();
  PUTSPRITE(window.vw, part, 0, 0);
  // the record's pixels are buffer cells 6..11: rows {7, 8, 9} and {10, 11, 12}
  std::vector<WORD> expected = before;
  expected[0] = 7, expected[1] = 8, expected[2] = 9;
  expected[6] = 10, expected[7] = 11, expected[8] = 12;
  EXPECT_EQ(window.pixels(), expected);
}

// ---- every routine against the reference --------------------------------------------------------

class SpriteBlitReference : public ::testing::TestWithParam<std::string> {};

// Random sizes and positions, many of them reaching past an edge; sprites as wide as the target
// (whole rows), keys that occur often, and deltas over the parameter's whole range.
TEST_P(SpriteBlitReference, MatchesThePerPixelRuleOnRandomCases) {
  const routine& r = find_routine(GetParam());
  unsigned seed = 20240601u;
  for (char ch : r.name) seed = seed * 31 + static_cast<unsigned char>(ch);
  std::mt19937 rng(seed);
  every_loop_build restore;
  for (const detail::loop_build build : every_loop_build::builds) {
    detail::select_loop_build(build);
    SCOPED_TRACE(every_loop_build::name(build));
    for (int n = 0; n < 2500; ++n) {
      const LONGINT wt = random_in(rng, 1, 90), ht = random_in(rng, 1, 6);
      LONGINT ws = random_in(rng, 1, 90);
      const LONGINT hs = random_in(rng, 1, 6);
      LONGINT x, y;
      switch (n % 4) {
        case 0:  // whole rows at the left edge
          ws = wt;
          x = 0;
          y = random_in(rng, -hs, ht);
          break;
        case 1:  // inside where it fits
          x = random_in(rng, 0, std::max(0, wt - ws));
          y = random_in(rng, 0, std::max(0, ht - hs));
          break;
        default:  // anywhere around the target
          x = random_in(rng, -ws - 2, wt + 2);
          y = random_in(rng, -hs - 2, ht + 2);
      }
      const WORD key = rng() % 2 ? 0 : static_cast<WORD>(rng());
      blit_call c{r.m, 0, 0, 0, r.keyed, key};
      const bool small = rng() % 2;
      if (r.m == rule::bright) {
        c.dr = small ? random_in(rng, -8, 8) : random_in(rng, -128, 127);
        c.dg = small ? random_in(rng, -8, 8) : random_in(rng, -128, 127);
        c.db = small ? random_in(rng, -8, 8) : random_in(rng, -128, 127);
      } else if (r.m == rule::trans) {
        c.dr = small ? random_in(rng, 0, 8) : random_in(rng, 0, 255);
        c.dg = small ? random_in(rng, 0, 8) : random_in(rng, 0, 255);
        c.db = small ? random_in(rng, 0, 8) : random_in(rng, 0, 255);
      }
      canvas target(wt, ht), sprite(ws, hs), expected_target(wt, ht), expected_sprite(ws, hs);
      fill_random(target, rng, key);
      fill_random(sprite, rng, key);
      for (LONGINT i = 0; i < wt * ht; ++i) expected_target.vw.DATA[i] = target.vw.DATA[i];
      for (LONGINT i = 0; i < ws * hs; ++i) expected_sprite.vw.DATA[i] = sprite.vw.DATA[i];
      if (r.get)
        reference_get(expected_target, expected_sprite, x, y, c.keyed, c.key);
      else
        reference_put(expected_target, expected_sprite, x, y, c);
      r.call(target.vw, sprite.vw, x, y, c);
      ASSERT_EQ(target.pixels(), expected_target.pixels())
          << r.name << " case " << n << ": target " << wt << "x" << ht << ", sprite " << ws << "x"
          << hs << " at " << x << "," << y;
      ASSERT_EQ(sprite.pixels(), expected_sprite.pixels()) << r.name << " case " << n;
      ASSERT_TRUE(target.guards_intact() && sprite.guards_intact()) << r.name << " case " << n;
    }
  }
}

std::vector<std::string> routine_names() {
  std::vector<std::string> names;
  for (const routine& r : all_routines()) names.push_back(r.name);
  return names;
}

INSTANTIATE_TEST_SUITE_P(AllRoutines, SpriteBlitReference, ::testing::ValuesIn(routine_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

// The full frame goes through the wide paths (one block for whole rows, vector loops).
TEST(SpriteBlitReference, FullFrameKeyedLayerMatches) {
  std::mt19937 rng(7);
  canvas target(800, 600), layer(800, 458), expected(800, 600);
  for (LONGINT i = 0; i < 800 * 600; ++i)
    expected.vw.DATA[i] = target.vw.DATA[i] = static_cast<WORD>(rng());
  for (LONGINT i = 0; i < 800 * 458; ++i)
    layer.vw.DATA[i] = rng() % 20 == 0 ? static_cast<WORD>(rng()) : 0;
  reference_put(expected, layer, 0, 0, {rule::copy, 0, 0, 0, true, 0});
  const std::vector<WORD> before = target.pixels();
  every_loop_build restore;
  for (const detail::loop_build build : every_loop_build::builds) {
    detail::select_loop_build(build);
    for (LONGINT i = 0; i < 800 * 600; ++i) target.vw.DATA[i] = before[i];
    PUTHCSPRITE(target.vw, layer.vw, 0, 0, 0);
    EXPECT_EQ(target.pixels(), expected.pixels()) << every_loop_build::name(build);
  }
}

}  // namespace
