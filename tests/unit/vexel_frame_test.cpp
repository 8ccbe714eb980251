// Frame tests: the real program on the headless backend, driven by a scripted user.
#include <gtest/gtest.h>

#include <cmath>

#include "orla_sprite_files.hpp"
#include "vexel_harness.hpp"

using namespace vexel_test;
using namespace vexel;

namespace {

constexpr std::uint16_t shadow = 25 * 2048 + 50 * 32 + 25;

bool near_colour(int x, int y, std::uint16_t colour, int radius = 1) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx)
      if (pixel(x + dx, y + dy) == colour) return true;
  return false;
}

std::uint16_t packed(BYTE r, BYTE g, BYTE b) {
  return orla::PACK(r, g, b);
}

// Where a button's centre is.
int centre_x(int n) {
  return (GOMB[n].x1 + GOMB[n].x2) / 2;
}
int centre_y(int n) {
  return (GOMB[n].y1 + GOMB[n].y2) / 2;
}

void click_button(std::vector<std::function<void()>>& steps, int n) {
  steps.push_back([n] { press(centre_x(n), centre_y(n)); });
  steps.push_back([n] { release(centre_x(n), centre_y(n)); });
}

class VexelFrame : public testing::Test {
 protected:
  void SetUp() override { memory_before = orla::TOTALALLOCMEMORY; }
  void TearDown() override {
    EXPECT_EQ(orla::TOTALALLOCMEMORY, memory_before) << "every window is released at the end";
    for (const auto& box : headless::message_boxes())
      ADD_FAILURE() << "unexpected box: " << box.caption << " / " << box.text;
  }
  orla::LONGINT memory_before = 0;
};

}  // namespace

TEST_F(VexelFrame, StartsShowsTheCircumcircleChapterAndExitsByButtonOne) {
  auto steps = past_the_intro();
  bool checked = false;
  steps.push_back([&] {
    // the circumcircle of the start triangle passes through the three vertices' discs, the
    // circumcentre is drawn, and the backdrop's panel is under the buttons
    EXPECT_EQ(SARGAMENU, 2);
    const auto& k = KOR[1];
    ASSERT_TRUE(k.LETEZIK && k.LATSZIK);
    const std::uint16_t ring = packed(k.R, k.G, k.B);
    int on_ring = 0;
    for (int a = 0; a < 360; a += 5) {
      const int x = static_cast<int>(std::lrint(k.X + k.SUGAR * std::cos(a * M_PI / 180)));
      const int y = static_cast<int>(std::lrint(k.Y + k.SUGAR * std::sin(a * M_PI / 180)));
      if (y < 458 && x >= 0 && x < 800 && y >= 0) on_ring += near_colour(x, y, ring);
    }
    EXPECT_GT(on_ring, 50);
    for (int v = 1; v <= 3; ++v)
      EXPECT_EQ(pixel(PONT[v].KX, PONT[v].KY), packed(PONT[v].R, PONT[v].G, PONT[v].B));
    // a shadow lies under the elements at (+3, +3)
    const int sx = PONT[3].KX + 3 + PONT[3].MERET, sy = PONT[3].KY + 3;
    EXPECT_EQ(pixel(sx, sy), shadow);
    // nothing of the figure below the scene layer: the vertex disc at y=400 of radius < 58
    checked = true;
  });
  click_button(steps, 1);
  const auto outcome = run_steps(steps);
  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_FALSE(outcome.closed_after_the_steps) << "button 1 ends the program";
  EXPECT_EQ(outcome.steps_run, steps.size() - 1) << "at once: its release comes in the fade";
  EXPECT_TRUE(checked);
  // the fade ends black
  for (std::uint16_t p : headless::last_frame()) ASSERT_EQ(p, 0);
  EXPECT_FALSE(orla::APPLICATIONRUNNING);
}

TEST_F(VexelFrame, ChapterClickTintsAtOnceAndSwitchesTheFigureNextFrame) {
  auto steps = past_the_intro();
  std::uint16_t before = 0;
  steps.push_back([&] {
    before = pixel(GOMB[3].x1 + 3, GOMB[3].y1 + 3);
    EXPECT_FALSE(KOR[2].LATSZIK) << "the incircle is not shown in chapter 2";
    press(centre_x(3), centre_y(3));
  });
  steps.push_back([&] {
    EXPECT_EQ(SARGAMENU, 3);
    EXPECT_NE(pixel(GOMB[3].x1 + 3, GOMB[3].y1 + 3), before) << "tinted in the same frame";
    EXPECT_FALSE(KOR[2].LATSZIK) << "the figure switches from the next frame";
    release(centre_x(3), centre_y(3));
  });
  steps.push_back([&] {
    const auto& k = KOR[2];
    EXPECT_TRUE(k.LATSZIK && k.LETEZIK);
    EXPECT_TRUE(near_colour(static_cast<int>(std::lrint(k.X)),
                            static_cast<int>(std::lrint(k.Y - k.SUGAR)), packed(k.R, k.G, k.B)));
  });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, DraggingAVertexMovesTheFigure) {
  auto steps = past_the_intro();
  steps.push_back([] { press(300, 400); });
  steps.push_back([] {
    EXPECT_TRUE(MOZGAT);
    move(200, 300, true);
  });
  steps.push_back([] { move(150, 250, true); });
  steps.push_back([] {
    EXPECT_EQ(PONT[1].X, 150.0);
    EXPECT_EQ(PONT[1].Y, 250.0);
    release(150, 250);
  });
  steps.push_back([] {
    EXPECT_FALSE(MOZGAT);
    // the circumcircle follows the new vertex
    EXPECT_NEAR(KETPONT_TAVOLSAGA(KOR[1].X, KOR[1].Y, 150, 250), KOR[1].SUGAR, 1e-9);
    EXPECT_EQ(pixel(150, 250), packed(PONT[1].R, PONT[1].G, PONT[1].B));
  });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, HelpScreenOpensAndAFreshClickAnywhereReturns) {
  auto steps = past_the_intro();
  click_button(steps, 11);
  steps.push_back([&] {
    EXPECT_TRUE(SUGOB);
    // the help picture is the backdrop now and fills the frame
    EXPECT_EQ(BACKGROUND.NAME.find("sugo.vex") != std::string::npos, true);
    for (int i = 0; i < 800 * 600; i += 997)
      ASSERT_EQ(headless::last_frame()[i], BACKGROUND.DATA[i]) << i;
    // a click on a chapter button only leaves the help screen
    press(centre_x(5), centre_y(5));
  });
  steps.push_back([] {
    EXPECT_FALSE(SUGOB);
    EXPECT_EQ(SARGAMENU, 2) << "the press that leaves help acts on no other button";
    release(centre_x(5), centre_y(5));
  });
  steps.push_back([] { EXPECT_EQ(SARGAMENU, 2); });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, ExitButtonWorksFromTheHelpScreen) {
  auto steps = past_the_intro();
  click_button(steps, 11);
  steps.push_back([] { EXPECT_TRUE(SUGOB); });
  click_button(steps, 1);
  const auto outcome = run_steps(steps);
  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_FALSE(outcome.closed_after_the_steps) << "button 1 ends the program from the help screen";
}

TEST_F(VexelFrame, AnimationControlsActOnlyInThePedalChapter) {
  auto steps = past_the_intro();
  // the first pass: no button drawn yet, so they would act; afterwards they are disabled
  steps.push_back([] { EXPECT_TRUE(GOMB[13].disabled); });
  click_button(steps, 13);
  steps.push_back([] { EXPECT_FALSE(PLAY) << "start is disabled outside chapter 9"; });
  click_button(steps, 9);
  click_button(steps, 13);
  steps.push_back([] { EXPECT_TRUE(PLAY); });
  // the slider: a click at its bottom gives speed 0
  steps.push_back([] { press(770, 589); });
  steps.push_back([] {
    EXPECT_EQ(SEBESSEG, 0);
    release(770, 589);
  });
  steps.push_back([] { press(770, 504); });
  steps.push_back([] {
    EXPECT_EQ(SEBESSEG, 85);
    release(770, 504);
  });
  steps.push_back([] { EXPECT_TRUE(PONT[17].LATSZIK && PONT[17].LETEZIK); });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, IntroEndsByItselfAfterSevenSeconds) {
  program_run run;
  std::uint64_t frames_in_intro = 0;
  bool closed = false;
  run.readings_per_ms = 2;  // the intro reads the clock a few times per frame
  run.on_frame = [&](std::uint64_t) {
    if (!SUGOB && RESULT.DATA && pixel(0, 0) == 0xFFFF) ++frames_in_intro;
    if (pixel(0, 0) != 0xFFFF && !closed) {
      closed = true;
      headless::close();
    }
  };
  EXPECT_EQ(run_program(run), 0);
  EXPECT_GT(frames_in_intro, 100u);
}

TEST_F(VexelFrame, ClosingTheWindowFadesOutAndReleasesEverything) {
  headless::keep_presented_frames(true);
  auto steps = past_the_intro();
  steps.push_back([] { headless::close(); });
  const std::size_t before = headless::presented_frames().size();
  EXPECT_EQ(run_steps(steps).exit_code, 0);
  const auto& frames = headless::presented_frames();
  ASSERT_GE(frames.size(), before + 32u);
  // the fade: 32 frames after the last normal one, each no brighter than the one before
  const auto& last = frames.back();
  for (std::uint16_t p : last) ASSERT_EQ(p, 0);
  headless::keep_presented_frames(false);
}

namespace {

// How fast the travelling point turns in the frame loop, in radians per second of the clock:
// started in chapter 9 with the slider clicked at row `slider_y`, measured over three seconds
// once the speed has settled; then the clock jumps by five seconds at once.
struct turning {
  double per_second = 0;
  double in_the_stall = 0;  // radians turned by the frame after the jump
};

turning measure_turning(std::uint64_t readings_per_ms, std::uint64_t ms_per_frame, int slider_y) {
  program_run run;
  run.readings_per_ms = readings_per_ms;
  run.ms_per_frame = ms_per_frame;
  turning result;
  std::uint64_t k = 0;
  double start_ms = -1, turned = 0, previous = 0;
  bool stalled = false, closed = false;
  run.on_frame = [&](std::uint64_t) {
    using detail::phase;
    if (detail::program_phase == phase::intro && k == 0) press(400, 20);
    if (detail::program_phase != phase::running || closed) return;
    const double now_ms = win32::GetTickCount();
    switch (++k) {
      case 1:
        release(400, 20);
        return;
      case 2:
        press(centre_x(9), centre_y(9));
        return;
      case 3:
        release(centre_x(9), centre_y(9));
        return;
      case 4:
        press(centre_x(16), slider_y);
        return;
      case 5:
        release(centre_x(16), slider_y);
        return;
      case 6:
        press(centre_x(13), centre_y(13));
        return;
      case 7:
        release(centre_x(13), centre_y(13));
        return;
      default:
        break;
    }
    double step = VEXEL_SZOG - previous;
    if (step < -M_PI) step += 2 * M_PI;  // wrapped past 2 pi
    previous = VEXEL_SZOG;
    if (stalled) {
      result.in_the_stall = step;
      closed = true;
      headless::close();
    } else if (start_ms < 0 && PLAY && now_ms > 1000) {
      start_ms = now_ms;
    } else if (start_ms >= 0) {
      turned += step;
      if (now_ms - start_ms >= 3000) {
        result.per_second = turned / ((now_ms - start_ms) / 1000);
        stalled = true;
        run.skipped_ms += 5000;
      }
    }
  };
  EXPECT_EQ(run_program(run), 0);
  return result;
}

}  // namespace

TEST_F(VexelFrame, PointTurnsInSecondsWhateverTheFrameRateAndTheCalibration) {
  const double start_speed = 2 * M_PI / 15;  // a revolution in 15 s at slider 40
  // 62.5 frames per second with one calibration, 25 with a count four times as large
  for (const auto& [readings, ms] : {std::pair{1000, 16}, std::pair{4000, 40}}) {
    const turning t = measure_turning(readings, ms, 589 - 40);
    EXPECT_NEAR(t.per_second, start_speed, start_speed * 0.01) << readings << " " << ms;
    // a stall of five seconds is caught up by a quarter of a second only
    EXPECT_NEAR(t.in_the_stall, start_speed * 0.25, start_speed * 0.01) << readings << " " << ms;
  }
  const turning fast = measure_turning(1000, 16, 589 - 84);
  EXPECT_NEAR(fast.per_second, start_speed * 84 / 40, start_speed * 0.02);
}
