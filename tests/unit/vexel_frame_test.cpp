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
