// Tests of the element drawing: discs, thick strokes, rings, shadows and the pointer.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "orla_2d.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

using namespace vexel;
using orla::VIRTUALWINDOW;

namespace {

struct scoped_layer {
  scoped_layer(LONGINT w = 800, LONGINT h = 458) {
    orla::INIT_VW(SPRITE01, w, h, true);
    FILL_RGBTOCOLOR();
  }
  ~scoped_layer() { orla::KILL_VW(SPRITE01); }
};

WORD at(LONGINT x, LONGINT y) {
  return SPRITE01.DATA[y * SPRITE01.BREITE + x];
}

// The per-pixel method: one disc per pixel of length, every pixel clip-tested on its own; f is
// a REAL, the product d * f is rounded from extended precision.
void reference_bold(VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2, BYTE width,
                    WORD colour) {
  const LONGINT dx = x2 - x1, dy = y2 - y1;
  const LONGINT length = static_cast<LONGINT>(std::nearbyint(std::sqrt(double(dx * dx + dy * dy))));
  for (LONGINT i = 1; i <= length; ++i) {
    const REAL f = static_cast<REAL>(static_cast<long double>(i) / length);
    const LONGINT cx = x1 + static_cast<LONGINT>(std::nearbyint(static_cast<long double>(dx) * f));
    const LONGINT cy = y1 + static_cast<LONGINT>(std::nearbyint(static_cast<long double>(dy) * f));
    const LONGINT radius = width - 1;
    LONGINT x = 0, y = -radius, d = 3 + 2 * y;
    auto span = [&](LONGINT a, LONGINT b, LONGINT row) {
      if (a > b) std::swap(a, b);
      for (LONGINT px = a; px <= b; ++px) orla_2d::PUTPACKEDCLIPPEDPIXEL(vw, px, row, colour);
    };
    while (-y >= x) {
      span(cx - x, cx + x, cy + y);
      span(cx - x, cx + x, cy - y);
      span(cx + y, cx - y, cy + x);
      span(cx + y, cx - y, cy - x);
      if (d >= 0) {
        ++y;
        d += 4 * (x + y) + 6;
      } else {
        d += 4 * x + 6;
      }
      ++x;
    }
  }
}

}  // namespace

TEST(VexelRender, ColourTableIsThePixelPacking) {
  FILL_RGBTOCOLOR();
  EXPECT_EQ(RGBTOCOL[31][63][31], 65535);
  EXPECT_EQ(RGBTOCOL[1][0][0], 2048);
  EXPECT_EQ(RGBTOCOL[25][50][25], 25 * 2048 + 50 * 32 + 25);
}

TEST(VexelRender, DiscsIncludeTheirEndPixelsAndClip) {
  scoped_layer layer(40, 30);
  FULLCLIPPEDCIRCLE(SPRITE01, 10, 10, 5, 1, 2, 3);
  const WORD c = orla::PACK(1, 2, 3);
  EXPECT_EQ(at(10, 5), c);
  EXPECT_EQ(at(10, 15), c);
  EXPECT_EQ(at(5, 10), c);
  EXPECT_EQ(at(15, 10), c);
  EXPECT_EQ(at(10, 4), 0);
  EXPECT_EQ(at(16, 10), 0);
  int count = 0;
  for (int i = 0; i < 40 * 30; ++i) count += SPRITE01.DATA[i] == c;
  EXPECT_GT(count, 70);  // a disc of radius 5 holds about 81 pixels
  EXPECT_LT(count, 100);

  orla::CLRPACKEDSPRITE(SPRITE01, 0);
  FULLCLIPPEDCIRCLE(SPRITE01, 3, 3, 0, 1, 2, 3);
  EXPECT_EQ(at(3, 3), c);
  EXPECT_EQ(at(4, 3), 0);
  FULLCLIPPEDCIRCLE(SPRITE01, 3, 3, -1, 9, 9, 9);   // negative radius: nothing
  FULLCLIPPEDCIRCLE(SPRITE01, -2, 29, 4, 1, 2, 3);  // over two edges: clipped, no fault
  EXPECT_EQ(at(0, 29), c);
  EXPECT_EQ(at(1, 27), c);
}

TEST(VexelRender, ThickLineIsTheUnionOfDiscsWithoutTheStart) {
  scoped_layer layer(30, 10);
  LINECLIPPEDBOLD(SPRITE01, 0, 3, 10, 3, 2, 0, 0, 31);
  const WORD c = 31;
  EXPECT_EQ(at(0, 3), c);  // the disc about (1, 3) reaches x = 0
  EXPECT_EQ(at(11, 3), c);
  EXPECT_EQ(at(12, 3), 0);
  EXPECT_EQ(at(5, 2), c);
  EXPECT_EQ(at(5, 4), c);
  EXPECT_EQ(at(5, 1), 0);
  // The start triangle's side AB, (300, 400) to (550, 405), moved so that stamp 25 falls on
  // x = 5: f = 25/250 is stored as the double just above 0.1, so dy * f = 5 * f lies just above
  // the half and the stamp sits one row down, at (5, 4), not on the tie's even side (5, 3).
  orla::CLRPACKEDSPRITE(SPRITE01, 0);
  LINECLIPPEDBOLD(SPRITE01, -20, 3, 230, 8, 2, 0, 0, 31);
  EXPECT_EQ(at(5, 5), c) << "the bottom of the disc about (5, 4)";
  EXPECT_EQ(at(5, 2), 0) << "no disc about (5, 3)";
  orla::CLRPACKEDSPRITE(SPRITE01, 0);
  LINECLIPPEDBOLD(SPRITE01, 5, 5, 5, 5, 3, 0, 0, 31);  // zero length draws nothing
  for (int i = 0; i < 300; ++i) ASSERT_EQ(SPRITE01.DATA[i], 0);
}

TEST(VexelRender, ClippedThickLinesMatchThePerPixelMethod) {
  // far end points: the stroke is cut to the window before stamping; the pixels are the same
  scoped_layer layer(120, 80);
  VIRTUALWINDOW expected;
  orla::INIT_VW(expected, 120, 80, true);
  std::mt19937 random(7);
  std::uniform_int_distribution<LONGINT> coordinate(-3000, 3000), width(1, 4);
  for (int n = 0; n < 300; ++n) {
    const LONGINT x1 = coordinate(random), y1 = coordinate(random) / 2;
    const LONGINT x2 = n % 3 ? coordinate(random) : x1 + 5, y2 = coordinate(random) / 2;
    const BYTE w = static_cast<BYTE>(width(random));
    orla::CLRPACKEDSPRITE(SPRITE01, 0);
    orla::CLRPACKEDSPRITE(expected, 0);
    LINECLIPPEDBOLD(SPRITE01, x1, y1, x2, y2, w, 3, 3, 3);
    reference_bold(expected, x1, y1, x2, y2, w, orla::PACK(3, 3, 3));
    for (int i = 0; i < 120 * 80; ++i)
      ASSERT_EQ(SPRITE01.DATA[i], expected.DATA[i])
          << "line " << x1 << "," << y1 << " - " << x2 << "," << y2 << " width " << int(w)
          << " pixel " << i % 120 << "," << i / 120;
  }
  orla::KILL_VW(expected);
}

TEST(VexelRender, FarThickLinesAreCheapAndSafe) {
  scoped_layer layer;
  // end points a billion pixels apart: the integer squares would overflow, and a stamp per
  // pixel would take minutes
  LINECLIPPEDBOLD(SPRITE01, -1000000000, 200, 1000000000, 201, 3, 31, 0, 0);
  EXPECT_EQ(at(400, 200), orla::PACK(31, 0, 0));
}

TEST(VexelRender, ElementsAndShadowsFollowTheirRecords) {
  scoped_layer layer;
  auto& p = PONT[40];
  p = {};
  p.X = 10;
  p.Y = 10;
  p.MERET = 5;
  p.R = 31;
  p.LATSZIK = p.LETEZIK = true;
  PONTARNYEKKIRAK(40);
  PONTKIRAK(40);
  EXPECT_EQ(at(10, 5), orla::PACK(31, 0, 0));
  EXPECT_EQ(at(13, 18), orla::PACK(25, 50, 25)) << "shadow disc about (13, 13)";
  EXPECT_EQ(at(10, 10), orla::PACK(31, 0, 0)) << "the element lies over its shadow";
  p.LETEZIK = false;
  orla::CLRPACKEDSPRITE(SPRITE01, 0);
  PONTKIRAK(40);
  EXPECT_EQ(at(10, 10), 0) << "a point that does not exist is not drawn";

  auto& k = KOR[9];
  k = {};
  k.X = 200;
  k.Y = 200;
  k.SUGAR = 50;
  k.VASTAGSAG = 3;
  k.B = 31;
  k.LATSZIK = k.LETEZIK = true;
  KORKIRAK(9);
  EXPECT_EQ(at(250, 200), 31);
  EXPECT_EQ(at(251, 200), 31);
  EXPECT_EQ(at(249, 200), 31);
  EXPECT_EQ(at(252, 200), 0);
  EXPECT_EQ(at(248, 200), 0);
  k.LATSZIK = false;
  p = {};
}

TEST(VexelRender, ParabolaPassesThroughItsVertexAndMirrorsAboutItsAxis) {
  scoped_layer layer;
  auto& q = PARABOLA[3];
  q = {};
  q.FX = 400;
  q.FY = 200;
  q.P = 30;  // directrix on the side of smaller y: opens downwards on screen
  q.G = 63;
  q.VASTAGSAG = 1;
  q.LATSZIK = q.LETEZIK = true;
  PARABOLAKIRAK(3);
  const WORD c = orla::PACK(0, 63, 0);
  EXPECT_EQ(at(400, 185), c) << "the vertex lies halfway between focus and directrix";
  // y = (x - 400)^2 / 60 + 185: x = 460 gives 245
  EXPECT_EQ(at(460, 245), c);
  EXPECT_EQ(at(340, 245), c);
  EXPECT_EQ(at(400, 215), 0);
  q = {};
}

TEST(VexelPointer, HoverDragAndTheLowestRow) {
  FILL_MT();
  SARGAMENU = 2;
  detail::place_vertices_at_start();
  detail::copy_chapter_styles();
  MOZGAT = false;
  M_LTOMB[2] = false;
  orla_win32::M_X = 300;
  orla_win32::M_Y = 400;
  orla_win32::M_L = false;
  const BYTE r = PONT[1].R, r2 = PONT[2].R;
  PONTVILAGOSIT();
  EXPECT_EQ(PONT[1].R, static_cast<BYTE>(std::lrint(r + (31 - r) * 0.5)));
  EXPECT_EQ(PONT[2].R, r2) << "only the vertex under the pointer lights up";

  orla_win32::M_L = true;  // a fresh press on vertex 1
  PONTMOZGAT();
  EXPECT_TRUE(MOZGAT);
  EXPECT_EQ(MELYIKMOZGAT, 1);
  EXPECT_EQ(PONT[1].X, 300.0) << "the vertex does not move in the pass that picks it up";
  M_LTOMB[2] = true;
  orla_win32::M_X = 100;
  orla_win32::M_Y = 470;
  PONTMOZGAT();
  EXPECT_EQ(PONT[1].X, 100.0);
  EXPECT_EQ(PONT[1].Y, 455.0) << "a vertex never goes below the scene layer";
  orla_win32::M_L = false;
  PONTMOZGAT();
  EXPECT_FALSE(MOZGAT);

  // a held button moved onto a vertex picks nothing up
  orla_win32::M_X = 550;
  orla_win32::M_Y = 405;
  orla_win32::M_L = true;
  PONTMOZGAT();
  EXPECT_FALSE(MOZGAT);
  orla_win32::M_L = false;
  M_LTOMB[2] = false;
  detail::place_vertices_at_start();
}

// A frame clears and lays over the backdrop only what the layer recorded as drawn; a pixel drawn
// but not recorded would stay on screen in every later frame. Every chapter, the point running,
// the triangle moved through ordinary, flat and far-flung shapes.
TEST(VexelRender, TheLayerRecordsEveryPixelItsFrameDraws) {
  detail::init_program_state();
  orla::INIT_VW(RESULT, WIDTH, HEIGHT, true);
  orla::INIT_VW(BACKGROUND, WIDTH, HEIGHT, true);
  orla::INIT_VW(URES, 2, 2, true);
  scoped_layer layer(WIDTH, scene_rows);
  detail::reset_render_caches();
  std::mt19937 random(28);
  std::uniform_real_distribution<double> across(-300, 1100), down(-300, 760);
  for (BYTE chapter = first_chapter; chapter <= last_chapter; ++chapter) {
    SARGAMENU = chapter;
    ANIMACIO = PLAY = true;
    PILSEB = SEBESSEG;
    detail::place_vertices_at_start();
    for (int frame = 0; frame < 60; ++frame) {
      if (frame % 20 == 10) {
        // C nearly on line AB: the lines and circles of the figure run far off the layer
        PONT[3].X = (PONT[1].X + PONT[2].X) / 2 + 0.001;
        PONT[3].Y = (PONT[1].Y + PONT[2].Y) / 2;
      } else if (frame % 3 == 0) {
        PONT[1 + frame % 3].X = across(random);
        PONT[1 + frame % 3].Y = down(random);
      }
      SZAMOLASI_QELJARASOK();
      ELEMEK_KIRAJZOLASA();
      for (LONGINT y = 0; y < SPRITE01.HOEHE; ++y)
        for (LONGINT x = 0; x < SPRITE01.BREITE; ++x)
          if (at(x, y) != 0 && !detail::layer_pixel_recorded(SPRITE01, x, y))
            FAIL() << "chapter " << int{chapter} << ", frame " << frame << ": pixel (" << x << ", "
                   << y << ") drawn but not recorded";
    }
  }
  PLAY = false;
  detail::place_vertices_at_start();
  for (auto* window : {&RESULT, &BACKGROUND, &URES, &KEK, &SARGA, &SZURKE}) orla::KILL_VW(*window);
}
