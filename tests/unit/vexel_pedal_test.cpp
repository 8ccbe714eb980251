// Tests of unit vexel's animation of the travelling point: the calibration, the speed law, the
// slider, the pointer mode, and the button tests and pointer history they rest on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "headless.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"
#include "vexel_scene_reset.hpp"

using namespace vexel;
using vexel_test::reset_scene;

namespace {

constexpr double pi = 3.14159265358979323846;

// Sets the animation buttons' greying as the button drawing does for the selected menu item.
void grey_animation_buttons() {
  for (int n = 12; n <= 16; ++n) GOMB[n].disabled = SARGAMENU == 9 ? 0 : 1;
}

// One frame with the pointer at (x, y); pressed: the left button went down since the last one.
void frame(int x, int y, bool pressed) {
  orla_win32::M_X = static_cast<WORD>(x);
  orla_win32::M_Y = static_cast<WORD>(y);
  orla_win32::M_L = pressed;
  EGERALLAPOTOK();
  SZAMOLASI_QELJARASOK();
  grey_animation_buttons();
  orla_win32::M_L = false;
  EGERALLAPOTOK();
}

void click(int n) {
  frame(GOMB[n].x1 + 1, GOMB[n].y1 + 1, true);
}

}  // namespace

TEST(VexelPedal, CalibrationCountsAcrossTheTickCounterWrap) {
  // A clock that advances one millisecond per reading, starting just before the wrap.
  std::uint32_t now = 0xFFFFFFFFu - 1000;
  int readings = 0;
  headless::set_clock([&] {
    if (++readings > 100000) throw std::runtime_error("the calibration does not end");
    return now++;
  });
  EXPECT_NO_THROW(MP_KISZAMITAS());
  EXPECT_EQ(MP, 3000);
  EXPECT_EQ(GYORSITAS, 3000 / 200000000.0);
  EXPECT_EQ(KIEGYENLITO, 3000 / 2000000000.0);

  // A clock that jumps past the three seconds at once still counts one pass.
  std::uint32_t jump = 0xFFFFFFF0u;
  headless::set_clock([&jump] { return std::exchange(jump, jump + 5000); });
  MP_KISZAMITAS();
  EXPECT_EQ(MP, 1);
  headless::set_clock(nullptr);

  // Counts beyond 32 bits keep their ratios.
  detail::set_speed_count(6000000000LL);
  EXPECT_EQ(MP, 6000000000LL);
  EXPECT_EQ(GYORSITAS, 30.0);
  EXPECT_EQ(KIEGYENLITO, 3.0);
}

TEST(VexelPedal, SpeedRisesToTheSliderAndBrakesToExactlyZero) {
  reset_scene();
  SARGAMENU = 9;
  for (int i = 0; i < 5; ++i) frame(0, 0, false);
  EXPECT_EQ(VEXEL_SZOG, 0) << "the point stands until started";
  EXPECT_EQ(PONT[17].X, KOR[1].X + KOR[1].SUGAR) << "at angle 0, right of the centre";
  click(13);
  EXPECT_TRUE(PLAY);

  SEBESSEG = 3;
  double angle = VEXEL_SZOG;
  for (int i = 0; i < 40; ++i) {
    frame(0, 0, false);
    EXPECT_GT(VEXEL_SZOG, angle) << "clockwise on screen";
    angle = VEXEL_SZOG;
  }
  EXPECT_EQ(PILSEB, 3) << "on the slider's speed";

  click(12);
  EXPECT_FALSE(PLAY);
  int frames = 0;
  while (PILSEB > 0 && frames < 100) {
    const double before = PILSEB;
    frame(0, 0, false);
    EXPECT_LT(PILSEB, before);
    ++frames;
  }
  EXPECT_EQ(PILSEB, 0.0);
  EXPECT_LE(frames, 12);
  angle = VEXEL_SZOG;
  frame(0, 0, false);
  EXPECT_EQ(VEXEL_SZOG, angle) << "stopped";
  EXPECT_EQ(PILSEB, 0.0) << "never negative";

  // The angle wraps only past 2 pi.
  VEXEL_SZOG = 2 * pi;
  frame(0, 0, false);
  EXPECT_EQ(VEXEL_SZOG, 2 * pi);
  VEXEL_SZOG = 2 * pi + 0.5;
  frame(0, 0, false);
  EXPECT_NEAR(VEXEL_SZOG, 0.5, 1e-15);

  // A fast machine's calibration makes a step of 10: slider 40 is still speed 40, not 30.
  const std::int64_t count = MP;
  detail::set_speed_count(2010000000);
  click(13);
  SEBESSEG = 40;
  for (int i = 0; i < 10; ++i) frame(0, 0, false);
  EXPECT_EQ(PILSEB, 40);
  SEBESSEG = 25;
  for (int i = 0; i < 10; ++i) frame(0, 0, false);
  EXPECT_EQ(PILSEB, 25);
  detail::set_speed_count(count);
}

TEST(VexelPedal, ThePointMovesEvenlyEveryFrameWhereAStepTakesLongerThanAFrame) {
  // a fast machine's count (Windows' cheap tick counter): 2.64e11 / 6e9 = 44 steps a second,
  // fewer than the 60 frames
  reset_scene();
  SARGAMENU = 9;
  const std::int64_t count = MP;
  detail::set_speed_count(6000000000);
  std::uint32_t now = 5000;
  headless::set_clock([&now] { return now; });
  detail::start_step_clock();
  click(13);
  SEBESSEG = 40;
  const auto angle = [] { return std::atan2(PONT[17].Y - KOR[1].Y, PONT[17].X - KOR[1].X); };
  double last = 0, least = 10, most = 0;
  for (int k = 0; k < 120; ++k) {
    now = 5000 + static_cast<std::uint32_t>(k * 1000 / 60);
    EGERALLAPOTOK();
    const std::int64_t steps = detail::steps_due();
    detail::compute_frame(steps, detail::step_clock.owed_before);
    grey_animation_buttons();
    EGERALLAPOTOK();
    const double a = angle();
    // after the start (its speed reached within a few frames), a second of frames
    if (k >= 60) {
      const double moved = std::remainder(a - last, 2 * pi);
      least = std::min(least, moved);
      most = std::max(most, moved);
    }
    last = a;
  }
  EXPECT_GT(least, 0) << "the point stood still in a frame";
  EXPECT_LT(most, 1.2 * least) << "frames of 16 and 17 ms: as far, within their times' ratio";
  headless::set_clock(nullptr);
  detail::set_speed_count(count);
}

TEST(VexelPedal, ControlsActOnAFreshPressInThePedalChapterOnly) {
  reset_scene();
  frame(0, 0, false);  // greys buttons 12..16 in chapter 2
  click(13);
  click(15);
  frame(770, 560, true);
  EXPECT_EQ(std::tuple(PLAY, ANIMACIO, SEBESSEG), std::tuple(false, true, 40));
  SARGAMENU = 9;
  grey_animation_buttons();
  click(15);
  EXPECT_FALSE(ANIMACIO);
  click(14);
  EXPECT_TRUE(ANIMACIO);
  frame(770, 589, true);  // the slider's bottom and top rows
  EXPECT_EQ(SEBESSEG, 0);
  frame(770, 504, true);
  EXPECT_EQ(SEBESSEG, 85);
  frame(770, 550, false);
  EXPECT_EQ(SEBESSEG, 85) << "moving without a press";
}

TEST(VexelPedal, PointerModeAimsFromTheCircumcentre) {
  reset_scene();
  SARGAMENU = 9;
  frame(0, 0, false);
  click(15);
  ASSERT_FALSE(ANIMACIO);
  const int cx = PONT[13].KX, cy = PONT[13].KY;
  const struct {
    int dx, dy;
    double angle;
  } aims[] = {{50, 0, 0},       {0, 40, pi / 2},        {-30, 0, pi},          {0, -20, 3 * pi / 2},
              {10, 10, pi / 4}, {-10, -10, 5 * pi / 4}, {-10, 10, 3 * pi / 4}, {10, -10, -pi / 4}};
  for (const auto& a : aims) {
    frame(cx + a.dx, cy + a.dy, false);
    EXPECT_NEAR(VEXEL_SZOG, a.angle, 1e-15) << a.dx << "," << a.dy;
    frame(cx + a.dx, cy + a.dy, false);  // the point follows in the next frame
    EXPECT_NEAR(std::atan2(PONT[17].Y - KOR[1].Y, PONT[17].X - KOR[1].X),
                std::remainder(a.angle, 2 * pi), 1e-9);
  }
  const double angle = VEXEL_SZOG;
  frame(cx, cy, false);
  EXPECT_EQ(VEXEL_SZOG, angle) << "no direction from the centre itself";
  EXPECT_FALSE(PONT[17].LETEZIK) << "the point is not drawn this frame";
  EXPECT_TRUE(PONT[18].LETEZIK && EGYENES[20].LETEZIK) << "its pedal line still is";
}

TEST(VexelPedal, ButtonHitTestsAndPointerHistory) {
  reset_scene();
  const auto& b = GOMB[4];
  for (const auto& p : {std::pair{b.x1, b.y1}, std::pair{b.x2, b.y2}, std::pair{b.x1, b.y2}}) {
    orla_win32::M_X = p.first;
    orla_win32::M_Y = p.second;
    EXPECT_TRUE(GOMBONVAN(4)) << "borders count";
  }
  orla_win32::M_X = b.x2 + 1;
  EXPECT_FALSE(GOMBONVAN(4));
  orla_win32::M_X = b.x1;
  orla_win32::M_Y = b.y1 - 1;
  EXPECT_FALSE(GOMBONVAN(4));

  orla_win32::M_Y = b.y1;
  orla_win32::M_L = true;
  EGERALLAPOTOK();
  EXPECT_TRUE(GOMBKATTINT(4)) << "down now, up one pass ago";
  EGERALLAPOTOK();
  EXPECT_FALSE(GOMBKATTINT(4)) << "held";
  orla_win32::M_Y = GOMB[5].y1;
  EXPECT_TRUE(GOMBONVAN(5) && !GOMBKATTINT(5)) << "held and moved onto another button";
  orla_win32::M_L = false;
  for (int i = 0; i < 3; ++i) EGERALLAPOTOK();
  EXPECT_EQ((std::array<bool, 5>{M_LTOMB[1], M_LTOMB[2], M_LTOMB[3], M_LTOMB[4], M_LTOMB[5]}),
            (std::array<bool, 5>{false, false, false, true, true}));
  EXPECT_TRUE(PAROS(0) && PAROS(65534) && !PAROS(7));
}
