// Frame tests: the real program on the headless backend, driven by a scripted user.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>

#include "file_fixtures.hpp"
#include "orla_sprites.hpp"
#include "user_services.hpp"
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
      const int x =
          static_cast<int>(std::lrint(k.X + k.SUGAR * std::cos(a * std::numbers::pi / 180)));
      const int y =
          static_cast<int>(std::lrint(k.Y + k.SUGAR * std::sin(a * std::numbers::pi / 180)));
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

TEST_F(VexelFrame, AQuickDragOnASlowMachineTakesTheVertexWhereItWasPressed) {
  // a frame slower than the hand: a whole drag (a press, ten moves of 10 px, the release) reaches
  // the program between two frames, and a click's press and release too
  auto steps = past_the_intro();
  steps.push_back([] {
    press(300, 400);
    for (int k = 1; k <= 10; ++k) move(300 - 10 * k, 400 - 10 * k, true);
    release(200, 300);
  });
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_FALSE(MOZGAT);
    EXPECT_EQ(PONT[1].X, 200.0) << "the vertex was taken, and followed to the release";
    EXPECT_EQ(PONT[1].Y, 300.0);
    press(centre_x(5), centre_y(5));
    release(centre_x(5), centre_y(5));
  });
  steps.push_back([] {});
  steps.push_back([] { EXPECT_EQ(SARGAMENU, 5) << "a click within one frame still clicks"; });
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
  // counted between the intro's frames: three whole seconds, two clock readings a millisecond
  EXPECT_EQ(detail::calibration.counted_ms, 3000u);
  EXPECT_NEAR(static_cast<double>(MP), 3000.0 * 2, 3000.0 * 2 * 0.02);
}

TEST_F(VexelFrame, IntroShowsAtOnceAndTheCalibrationKeepsItsMeasure) {
  // the time from start to the intro's first frame on the test clock, and the count of an intro
  // ended at its second frame: the count so far scaled to three seconds of counting
  program_run run;
  run.readings_per_ms = 1000;
  orla::DWORD first_frame_at = 0;
  run.on_frame = [&](std::uint64_t frame) {
    if (frame == 1) {
      first_frame_at = win32::GetTickCount();
      EXPECT_EQ(pixel(0, 0), 0xFFFF) << "the first frame is the intro's";
      press(400, 20);
    } else if (frame == 2) {
      release(400, 20);
    } else if (frame == 3) {
      headless::close();
    }
  };
  EXPECT_EQ(run_program(run), 0);
  RecordProperty("first_frame_ms", static_cast<int>(first_frame_at));
  EXPECT_LT(first_frame_at, 1000u) << "the first picture a second or more after the start";
  EXPECT_GE(detail::calibration.counted_ms, 200u);
  EXPECT_LT(detail::calibration.counted_ms, 3000u);
  EXPECT_NEAR(static_cast<double>(MP), 3000.0 * 1000, 3000.0 * 1000 * 0.02);
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
// once the speed has settled; then the clock jumps by five seconds at once, and then the window
// is minimised for five seconds.
struct turning {
  double per_second = 0;
  double in_the_stall = 0;  // radians turned by the frame after the jump
  // radians turned by the frame after a restore; the window was minimised for five seconds
  double after_a_restore = -1;
};

turning measure_turning(std::uint64_t readings_per_ms, std::uint64_t ms_per_frame, int slider_y) {
  program_run run;
  run.readings_per_ms = readings_per_ms;
  run.ms_per_frame = ms_per_frame;
  turning result;
  std::uint64_t k = 0;
  double start_ms = -1, turned = 0, previous = 0;
  bool stalled = false, minimized = false, closed = false;
  int idle_while_minimized = 0;
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
    if (step < -std::numbers::pi) step += 2 * std::numbers::pi;  // wrapped past 2 pi
    previous = VEXEL_SZOG;
    if (minimized) {
      result.after_a_restore = step;
      closed = true;
      headless::close();
    } else if (stalled) {
      result.in_the_stall = step;
      minimized = true;
      headless::activate(true);
      run.skipped_ms += 5000;
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
  run.on_idle = [&](std::uint64_t) {
    // restored once the program waits in its minimised state: the first pass that finds the
    // queue empty while minimised ends the frame's pump, the second is the wait's
    if (minimized && !orla::MAXIMIERT && ++idle_while_minimized == 2) headless::activate(false);
  };
  EXPECT_EQ(run_program(run), 0);
  return result;
}

}  // namespace

TEST_F(VexelFrame, PointTurnsInSecondsWhateverTheFrameRateAndTheCalibration) {
  const double start_speed = 2 * std::numbers::pi / 15;  // a revolution in 15 s at slider 40
  // 62.5 frames per second with one calibration, 25 with a count four times as large
  for (const auto& [readings, ms] : {std::pair{1000, 16}, std::pair{4000, 40}}) {
    const turning t = measure_turning(readings, ms, 589 - 40);
    EXPECT_NEAR(t.per_second, start_speed, start_speed * 0.01) << readings << " " << ms;
    // a stall of five seconds is caught up by a quarter of a second only
    EXPECT_NEAR(t.in_the_stall, start_speed * 0.25, start_speed * 0.01) << readings << " " << ms;
    // while minimised the point does not advance: it goes on where it stopped
    EXPECT_GE(t.after_a_restore, 0) << readings << " " << ms;
    EXPECT_LE(t.after_a_restore, start_speed * ms / 1000) << readings << " " << ms;
  }
  const turning fast = measure_turning(1000, 16, 589 - 84);
  EXPECT_NEAR(fast.per_second, start_speed * 84 / 40, start_speed * 0.02);
}

// ---- the keyboard and a presenter remote ------------------------------------------------------

namespace {

// A key pressed and released; `typed`: the character it types on the user's layout.
void tap(win32::WORD vk, win32::WORD typed = 0) {
  headless::key(vk, true, typed);
  headless::key(vk, false);
}
// A key held down long enough for the keyboard to repeat it once.
void tap_repeated(win32::WORD vk, win32::WORD typed = 0) {
  headless::key(vk, true, typed);
  headless::post_message(win32::WM_KEYDOWN, vk, 1 | win32::KF_REPEAT_BIT);
  if (typed != 0) headless::post_message(win32::WM_CHAR, typed, 1 | win32::KF_REPEAT_BIT);
  headless::key(vk, false);
}
void tap_with(win32::WORD modifier, win32::WORD vk, win32::WORD typed = 0) {
  headless::key(modifier, true);
  tap(vk, typed);
  headless::key(modifier, false);
}

// The intro ended by a key; the figure of chapter 2 is shown.
std::vector<std::function<void()>> past_the_intro_by_key(win32::WORD vk) {
  return {[vk] { tap(vk); }, [] { EXPECT_EQ(detail::program_phase, detail::phase::running); }};
}

}  // namespace

TEST_F(VexelFrame, ChapterKeysActAsTheirButtonsOncePerPress) {
  // Page Down ends the intro and is spent there: chapter 2 stays
  auto steps = past_the_intro_by_key(win32::VK_NEXT);
  std::uint16_t before = 0;
  steps.push_back([&] {
    EXPECT_EQ(SARGAMENU, 2) << "the key that ends the intro does nothing else";
    before = pixel(GOMB[3].x1 + 3, GOMB[3].y1 + 3);
    tap(win32::VK_NEXT);
  });
  steps.push_back([&] {
    EXPECT_EQ(SARGAMENU, 3);
    EXPECT_NE(pixel(GOMB[3].x1 + 3, GOMB[3].y1 + 3), before) << "tinted in the same frame";
    EXPECT_FALSE(KOR[2].LATSZIK) << "the figure switches from the next frame";
  });
  steps.push_back([] { EXPECT_TRUE(KOR[2].LATSZIK && KOR[2].LETEZIK); });
  // each row: the keys pressed between two frames, the chapter after them
  const struct {
    std::vector<win32::WORD> keys;
    BYTE chapter;
  } rows[] = {{{'N'}, 4},
              {{win32::VK_PRIOR}, 3},
              {{'P'}, 2},
              {{'P'}, 10},
              {{win32::VK_NEXT}, 2},
              {{'9'}, 10},
              {{'1'}, 2},
              {{'5'}, 6},
              {{win32::VK_NUMPAD0 + 8}, 9},
              {{win32::VK_NEXT, win32::VK_NEXT}, 10},  // presses that came together: one per frame
              {{}, 2}};
  for (const auto& row : rows) {
    steps.push_back([&row] {
      for (const auto vk : row.keys) tap(vk);
    });
    steps.push_back([&row] { EXPECT_EQ(SARGAMENU, row.chapter) << int(row.chapter); });
  }
  // a held key does not repeat the chapter step
  steps.push_back([] { tap_repeated(win32::VK_NEXT); });
  steps.push_back([] {});
  steps.push_back([] { EXPECT_EQ(SARGAMENU, 3) << "one step for one press, held or not"; });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, AnimationKeysActOnlyInThePedalChapter) {
  auto steps = past_the_intro_by_key(win32::VK_SPACE);
  // outside chapter 9 they do nothing, as the greyed buttons do
  steps.push_back([] {
    tap(win32::VK_SPACE);
    tap('M');
    tap(win32::VK_ADD);
  });
  steps.push_back([] {});
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_FALSE(PLAY);
    EXPECT_TRUE(ANIMACIO);
    EXPECT_EQ(SEBESSEG, 40);
    tap('8');
  });
  steps.push_back([] {
    ASSERT_EQ(SARGAMENU, 9);
    tap(win32::VK_SPACE);
  });
  steps.push_back([] { EXPECT_TRUE(PLAY) << "Space starts the point"; });
  steps.push_back([] { tap(win32::VK_RETURN); });
  steps.push_back([] { EXPECT_FALSE(PLAY) << "Enter brakes the running point"; });
  steps.push_back([] { tap('M'); });
  steps.push_back([] { EXPECT_FALSE(ANIMACIO) << "M: the point follows the mouse"; });
  steps.push_back([] { tap('A'); });
  steps.push_back([] { EXPECT_TRUE(ANIMACIO) << "A: automatic motion again"; });
  // the speed: steps of 5 within 0..85; a held key repeats
  steps.push_back([] { tap_with(win32::VK_SHIFT, win32::VK_OEM_PLUS, '+'); });
  steps.push_back([] { tap_repeated(win32::VK_OEM_PLUS, '+'); });
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_EQ(SEBESSEG, 55);
    SEBESSEG = 83;
    tap(win32::VK_ADD);
  });
  steps.push_back([] {
    EXPECT_EQ(SEBESSEG, 85);
    tap(win32::VK_ADD);
  });
  steps.push_back([] {
    EXPECT_EQ(SEBESSEG, 85);
    SEBESSEG = 3;
    tap(win32::VK_OEM_MINUS, '-');
  });
  steps.push_back([] {
    EXPECT_EQ(SEBESSEG, 0);
    tap(win32::VK_SUBTRACT);
  });
  steps.push_back([] { EXPECT_EQ(SEBESSEG, 0); });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, SpeedKeysAreThePlusAndMinusTheLayoutTypes) {
  // each row: a key press as a layout gives it (its virtual key, Shift, the character typed) and
  // the speed step it makes; none of them selects a chapter
  const struct {
    const char* layout;
    win32::WORD vk;
    bool shift;
    win32::WORD typed;
    int step;
  } rows[] = {{"Hungarian + (Shift+3)", '3', true, '+', 5},
              {"Hungarian -", win32::VK_OEM_MINUS, false, '-', -5},
              {"Hungarian ü (the US - place)", win32::VK_OEM_2, false, 0xFC, 0},
              {"German +", win32::VK_OEM_PLUS, false, '+', 5},
              {"German -", win32::VK_OEM_MINUS, false, '-', -5},
              {"US + (Shift+=)", win32::VK_OEM_PLUS, true, '+', 5},
              {"US = without Shift", win32::VK_OEM_PLUS, false, '=', 0},
              {"US -", win32::VK_OEM_MINUS, false, '-', -5},
              {"French - (the 6 key)", '6', false, '-', -5},
              {"French + (Shift+=)", win32::VK_OEM_PLUS, true, '+', 5},
              {"keypad +", win32::VK_ADD, false, '+', 5},
              {"keypad - with Num Lock off", win32::VK_SUBTRACT, false, 0, -5}};
  auto steps = past_the_intro_by_key(win32::VK_SPACE);
  steps.push_back([] { tap('8'); });
  for (const auto& row : rows) {
    steps.push_back([&row] {
      ASSERT_EQ(SARGAMENU, 9);
      SEBESSEG = 40;
      if (row.shift)
        tap_with(win32::VK_SHIFT, row.vk, row.typed);
      else
        tap(row.vk, row.typed);
    });
    steps.push_back([&row] {
      EXPECT_EQ(SEBESSEG, 40 + row.step) << row.layout;
      EXPECT_EQ(SARGAMENU, 9) << row.layout;
    });
    steps.push_back([&row] { EXPECT_EQ(SARGAMENU, 9) << row.layout; });
  }
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, HelpKeysOpenTheHelpScreenAndAnyKeyReturns) {
  auto steps = past_the_intro_by_key(win32::VK_RETURN);
  steps.push_back([] { tap('H'); });
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_TRUE(SUGOB);
    EXPECT_NE(BACKGROUND.NAME.find("sugo.vex"), std::string::npos);
    tap(win32::VK_SHIFT);  // a modifier alone is no key of its own
  });
  steps.push_back([] {
    EXPECT_TRUE(SUGOB);
    tap(win32::VK_ESCAPE);
  });
  steps.push_back([] {
    EXPECT_FALSE(SUGOB) << "Escape leaves the help screen";
    EXPECT_EQ(detail::program_phase, detail::phase::running) << "and never ends the program";
    tap(win32::VK_F1);
  });
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_TRUE(SUGOB);
    tap('5');
  });
  steps.push_back([] {
    EXPECT_FALSE(SUGOB);
    EXPECT_EQ(SARGAMENU, 2) << "the key that leaves help acts on nothing else";
  });
  steps.push_back([] { EXPECT_EQ(SARGAMENU, 2); });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, AHelpKeyPressedDuringADragEndsTheDrag) {
  auto steps = past_the_intro();
  steps.push_back([] { press(300, 400); });
  steps.push_back([] { move(200, 300, true); });
  steps.push_back([] {
    ASSERT_TRUE(MOZGAT);
    ASSERT_EQ(PONT[1].X, 200.0);
    tap('H');
  });
  steps.push_back([] { release(200, 300); });
  steps.push_back([] {
    EXPECT_TRUE(SUGOB);
    press(600, 550);  // leaves help from the panel, and is still held in the next frame
  });
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_FALSE(SUGOB);
    EXPECT_FALSE(MOZGAT);
    EXPECT_EQ(PONT[1].X, 200.0) << "the vertex stays where the drag left it";
    EXPECT_EQ(PONT[1].Y, 300.0);
    release(600, 550);
  });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, TabSelectsAVertexAndTheArrowsMoveItWithinTheDraggingLimits) {
  auto steps = past_the_intro();
  std::uint16_t plain = 0;
  steps.push_back([&] {
    plain = pixel(PONT[1].KX, PONT[1].KY);
    tap(win32::VK_TAB);
  });
  steps.push_back([&] {
    EXPECT_EQ(detail::selected_vertex, 1);
    EXPECT_NE(pixel(PONT[1].KX, PONT[1].KY), plain) << "the selected vertex is brightened";
    EXPECT_EQ(pixel(PONT[1].KX, PONT[1].KY), packed(PONT[1].R, PONT[1].G, PONT[1].B));
    tap(win32::VK_RIGHT);
  });
  steps.push_back([] {
    EXPECT_EQ(PONT[1].X, 301.0);
    tap_with(win32::VK_SHIFT, win32::VK_UP);
  });
  steps.push_back([] {
    EXPECT_EQ(PONT[1].Y, 390.0);
    // the figure follows in the same frame
    EXPECT_NEAR(KETPONT_TAVOLSAGA(KOR[1].X, KOR[1].Y, 301, 390), KOR[1].SUGAR, 1e-9);
    tap_repeated(win32::VK_LEFT);
  });
  steps.push_back([] {});
  steps.push_back([] {
    EXPECT_EQ(PONT[1].X, 299.0) << "the arrows repeat while held";
    PONT[1].X = 795.0;
    PONT[1].Y = 452.0;
    tap_with(win32::VK_SHIFT, win32::VK_RIGHT);
  });
  steps.push_back([] { tap_with(win32::VK_SHIFT, win32::VK_DOWN); });
  steps.push_back([] {
    EXPECT_EQ(PONT[1].X, 799.0);
    EXPECT_EQ(PONT[1].Y, 455.0);
    PONT[1].X = 4.0;
    PONT[1].Y = 3.0;
    tap_with(win32::VK_SHIFT, win32::VK_LEFT);
  });
  steps.push_back([] { tap_with(win32::VK_SHIFT, win32::VK_UP); });
  steps.push_back([] {
    EXPECT_EQ(PONT[1].X, 0.0);
    EXPECT_EQ(PONT[1].Y, 0.0);
    PONT[1].X = 300.0;
    PONT[1].Y = 400.0;
    tap_with(win32::VK_SHIFT, win32::VK_TAB);
  });
  steps.push_back([] {
    EXPECT_EQ(detail::selected_vertex, 3) << "Shift+Tab goes backwards, round";
    tap(win32::VK_TAB);
  });
  steps.push_back([] {
    EXPECT_EQ(detail::selected_vertex, 1);
    tap(win32::VK_ESCAPE);
  });
  steps.push_back([] {
    EXPECT_EQ(detail::selected_vertex, 0) << "Escape drops the selection";
    EXPECT_EQ(detail::program_phase, detail::phase::running) << "and never ends the program";
    tap(win32::VK_DOWN);
  });
  steps.push_back([] {
    EXPECT_EQ(PONT[1].Y, 400.0) << "no vertex selected, no move";
    tap(win32::VK_TAB);
  });
  // the mouse acts as before while a vertex is selected: it drags vertex 2 ...
  steps.push_back([] {
    EXPECT_EQ(detail::selected_vertex, 1);
    press(550, 405);
  });
  steps.push_back([] {
    EXPECT_TRUE(MOZGAT);
    EXPECT_EQ(MELYIKMOZGAT, 2);
    move(500, 300, true);
  });
  steps.push_back([] {
    EXPECT_EQ(PONT[2].X, 500.1);
    release(500, 300);
  });
  // ... and its press on the figure dropped the selection
  steps.push_back([] { EXPECT_EQ(detail::selected_vertex, 0); });
  steps.push_back([] {
    tap(win32::VK_TAB);
    press(centre_x(4), centre_y(4));
  });
  steps.push_back([] {
    EXPECT_EQ(SARGAMENU, 4);
    EXPECT_EQ(detail::selected_vertex, 1) << "a press on the panel keeps the selection";
    release(centre_x(4), centre_y(4));
  });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
}

TEST_F(VexelFrame, CtrlQFadesOutAndEndsWithNothingLeftAllocated) {
  auto steps = past_the_intro_by_key(win32::VK_SPACE);
  steps.push_back([] { tap('Q'); });
  steps.push_back([] {
    EXPECT_EQ(detail::program_phase, detail::phase::running) << "Q alone does not end it";
    tap_with(win32::VK_CONTROL, 'Q');
  });
  // the frame that takes the key is presented, then the loop ends: one more step runs
  steps.push_back([] {});
  const auto outcome = run_steps(steps);
  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_FALSE(outcome.closed_after_the_steps) << "Ctrl+Q ends the program";
  EXPECT_EQ(detail::program_phase, detail::phase::ended);
  for (std::uint16_t p : headless::last_frame()) ASSERT_EQ(p, 0) << "the fade ends black";
}

TEST(VexelLanguage, CommandLineElseTheFirstLocaleVariableSet) {
  using detail::language;
  using environment = std::map<std::string, std::string>;
  const auto choose = [](const std::vector<std::string>& arguments, const environment& env) {
    return detail::choose_language(arguments, [&env](const char* variable) -> const char* {
      const auto found = env.find(variable);
      return found == env.end() ? nullptr : found->second.c_str();
    });
  };
  const struct {
    environment env;
    language expected;
  } by_environment[] = {
      {{}, language::hu},
      {{{"LANG", "en_US.UTF-8"}}, language::en},
      {{{"LANG", "hu_HU.UTF-8"}}, language::hu},
      {{{"LANG", "C"}}, language::hu},
      {{{"LANG", "de_DE.UTF-8"}}, language::hu},
      {{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LANG", "hu_HU.UTF-8"}}, language::en},
      {{{"LC_MESSAGES", "hu_HU.UTF-8"}, {"LANG", "en_US.UTF-8"}}, language::hu},
      {{{"LC_ALL", "hu_HU.UTF-8"}, {"LC_MESSAGES", "en_GB"}, {"LANG", "en_US"}}, language::hu},
      {{{"LC_ALL", "en"}, {"LC_MESSAGES", "hu_HU"}, {"LANG", "hu_HU"}}, language::en},
      // an empty variable counts as not set
      {{{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "en_US.UTF-8"}}, language::en},
  };
  for (const auto& c : by_environment) {
    const auto choice = choose({"--verbose", "file.txt"}, c.env);
    EXPECT_TRUE(choice.error.empty()) << choice.error;
    EXPECT_EQ(choice.chosen, c.expected) << "LC_ALL " << c.env.count("LC_ALL") << " LANG "
                                         << (c.env.count("LANG") ? c.env.at("LANG") : "-");
  }

  const environment english{{"LANG", "en_US.UTF-8"}};
  EXPECT_EQ(choose({"--lang", "hu"}, english).chosen, language::hu);
  EXPECT_EQ(choose({"--lang=hu"}, english).chosen, language::hu);
  EXPECT_EQ(choose({"--lang", "en"}, {{"LC_ALL", "hu_HU.UTF-8"}}).chosen, language::en);
  EXPECT_EQ(choose({"--lang", "hu", "--lang", "en"}, {}).chosen, language::en) << "the last counts";
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--lang", "de"}, {"--lang=EN"}, {"--lang="}, {"--lang"}}) {
    const auto choice = choose(wrong, english);
    EXPECT_NE(choice.error.find("hu or en"), std::string::npos) << wrong.back();
  }
  EXPECT_NE(choose({"--lang", "de"}, {}).error.find("'de'"), std::string::npos);
}

TEST_F(VexelFrame, EnglishPicturesAreReadAndAMissingOneFallsBackToHungarian) {
  // a folder with the Hungarian files and the English pictures but for the help picture
  fixtures::scratch_dir folder;
  namespace fs = std::filesystem;
  const fs::path built = run_folder();
  for (const char* name : {"menu.vex", "sugo.vex", "vex.vex", "Fonts.fnt"})
    fs::copy_file(built / name, folder.path / name);
  fs::create_directory(folder.path / "en");
  for (const char* name : {"en/menu.vex", "en/vex.vex"})
    fs::copy_file(built / name, folder.path / name);
  struct chosen_language {
    chosen_language() { detail::picture_language = detail::language::en; }
    ~chosen_language() { detail::picture_language = detail::language::hu; }
  } english;

  std::vector<std::function<void()>> steps;
  steps.push_back([] {
    EXPECT_EQ(BACKGROUND.NAME, "en/vex.vex");
    press(400, 20);
  });
  steps.push_back([] {
    EXPECT_EQ(BACKGROUND.NAME, "en/menu.vex");
    release(400, 20);
  });
  click_button(steps, 11);
  steps.push_back([] {
    EXPECT_TRUE(SUGOB);
    EXPECT_EQ(BACKGROUND.NAME, "sugo.vex") << "no English help picture: the Hungarian one";
    press(400, 300);
  });
  steps.push_back([] {
    EXPECT_FALSE(SUGOB);
    EXPECT_EQ(BACKGROUND.NAME, "en/menu.vex");
    release(400, 300);
  });
  EXPECT_EQ(run_steps(steps, folder.path.string()).exit_code, 0);
}

TEST(VexelLanguage, EnglishIsLookedForInEveryPlaceBeforeTheHungarian) {
  // an installed program: the files in ../share/vexel, a Hungarian menu in the working folder
  namespace fs = std::filesystem;
  fixtures::scratch_dir root;
  const fs::path share = root.path / "share" / "vexel";
  fs::create_directories(share / "en");
  fs::create_directories(root.path / "bin");
  fs::create_directories(root.path / "work");
  for (const fs::path& file : {share / "menu.vex", share / "sugo.vex", share / "en" / "menu.vex",
                               root.path / "work" / "menu.vex"})
    fixtures::write_file(file.string(), {1, 2, 3, 4});
  const fixtures::working_dir work(root.path / "work");
  const std::string executable = (root.path / "bin" / "vexel").string();
  using detail::language;
  EXPECT_EQ(detail::program_file_in("menu.vex", executable, language::en),
            (share / "en" / "menu.vex").string());
  EXPECT_EQ(detail::program_file_in("sugo.vex", executable, language::en),
            (share / "sugo.vex").string())
      << "no English help picture anywhere: the Hungarian one";
  EXPECT_EQ(detail::program_file_in("menu.vex", executable, language::hu), "menu.vex");
  EXPECT_EQ(detail::program_file_in("vex.vex", executable, language::en), "vex.vex")
      << "found nowhere: the name the loader reports";
}

// ---- taking the figure out ----------------------------------------------------------------------

namespace {

namespace fs = std::filesystem;

// The files in a folder, by name.
std::vector<std::string> files_in(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct pictures_folder_for_the_test {
  explicit pictures_folder_for_the_test(const std::string& folder) {
    platform::detail::set_pictures_folder(folder);
  }
  ~pictures_folder_for_the_test() { platform::detail::set_pictures_folder(""); }
};

}  // namespace

TEST_F(VexelFrame, CtrlSSavesTheFigureShownWhileThePointRunsAndCtrlCCopiesItsLine) {
  fixtures::scratch_dir dir;
  const fs::path folder = dir.path / "Pictures" / "new";  // made on the first save
  const pictures_folder_for_the_test pictures(folder.string());
  headless::clear_user_services();
  auto steps = past_the_intro();
  steps.push_back([] { tap('8'); });              // the pedal-line chapter
  steps.push_back([] { tap(win32::VK_SPACE); });  // the point starts
  for (int i = 0; i < 20; ++i) steps.push_back([] {});
  steps.push_back([&] {
    EXPECT_TRUE(PLAY && PILSEB > 0) << "the point runs";
    tap_with(win32::VK_CONTROL, 'S');
  });
  std::vector<std::uint16_t> shown;
  steps.push_back([&] {
    shown = headless::last_frame();
    const auto names = files_in(folder);
    ASSERT_EQ(names.size(), 2u) << "a PNG and an SVG, nothing half-written beside them";
    EXPECT_TRUE(names[0].starts_with("vexel-vexel-egyenes-") && names[0].ends_with(".png"))
        << names[0];
    EXPECT_EQ(names[1], names[0].substr(0, names[0].size() - 4) + ".svg");
    // the PNG is the figure area of the frame just presented, pixel for pixel (the encoder's
    // pictures are checked against a PNG reader where one is at hand: VexelFigure)
    std::ifstream png_file(folder / names[0], std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(png_file)), {});
    EXPECT_TRUE(png == detail::png_file(shown.data(), 800, scene_rows))
        << "the saved PNG is not the frame's figure area";
    // the SVG holds the same figure: the travelling point where the frame drew it
    std::ifstream svg_file(folder / names[1]);
    const std::string svg((std::istreambuf_iterator<char>(svg_file)), {});
    char point[96];
    std::snprintf(point, sizeof point, "id=\"point-17\" cx=\"%.3f\" cy=\"%.3f\"", PONT[17].X,
                  PONT[17].Y);
    EXPECT_NE(svg.find(point), std::string::npos) << point;
    EXPECT_NE(svg.find("<title>VEXEL egyenes – VEXEL egyenes</title>"), std::string::npos);
    EXPECT_TRUE(detail::figure_message().starts_with("Mentve: " + (folder / names[0]).string()))
        << detail::figure_message();
    tap_with(win32::VK_CONTROL, 'C');
  });
  steps.push_back([] {
    // the title line shows the message over the panel's subtitle
    bool white = false;
    for (int x = 184; x < 400; ++x) white = white || pixel(x, 481) == packed(31, 63, 31);
    EXPECT_TRUE(white) << "the message in the panel's title line";
    const std::string copied = headless::clipboard_text();
    const auto read = detail::read_figure_line(copied);
    EXPECT_TRUE(read.ok) << copied;
    EXPECT_TRUE(copied.starts_with("A=300.0,400.0;B=550.0,405.0;C=420.0,150.0;ch=9;t=")) << copied;
    EXPECT_TRUE(copied.ends_with(";v=40;m=run")) << copied;
    EXPECT_EQ(detail::figure_message(), "Másolva: " + copied);
    // again by the key without Ctrl (in the same second the names get a suffix)
    tap('S');
  });
  steps.push_back([&] {
    EXPECT_EQ(files_in(folder).size(), 4u);
    EXPECT_TRUE(headless::message_boxes().empty());
  });
  // the message stays three seconds (16 ms a frame), then the title line is the backdrop's
  for (int i = 0; i < 175; ++i) steps.push_back([] {});
  steps.push_back([] { EXPECT_FALSE(detail::figure_message().empty()) << "2.8 s"; });
  for (int i = 0; i < 15; ++i) steps.push_back([] {});
  steps.push_back([] {
    EXPECT_TRUE(detail::figure_message().empty()) << "3.04 s";
    for (int x = 184; x < 800; ++x) ASSERT_EQ(pixel(x, 481), BACKGROUND.DATA[481 * 800 + x]) << x;
  });
  EXPECT_EQ(run_steps(steps, run_folder(), 16).exit_code, 0);
}

TEST_F(VexelFrame, SaveIntoAFolderThatCannotBeWrittenSaysWhereAndWhyAndGoesOn) {
  // a folder that cannot be made (its parent is a file), and on Linux one that no one may write
  // into, not even the administrator
  fixtures::scratch_dir dir;
  fixtures::write_file(dir / "file", {1});
  std::vector<std::string> folders = {dir / "file/Pictures"};
#ifndef _WIN32
  folders.push_back("/proc/self");
#endif
  for (const std::string& folder : folders) {
    const pictures_folder_for_the_test pictures(folder);
    auto steps = past_the_intro();
    steps.push_back([] { tap_with(win32::VK_CONTROL, 'S'); });
    steps.push_back([] {});  // the box comes after the frame is presented
    steps.push_back([&] {
      ASSERT_EQ(headless::message_boxes().size(), 1u);
      const auto& box = headless::message_boxes()[0];
      EXPECT_EQ(box.caption, "SAVE ERROR");
      EXPECT_NE(box.text.find("The figure could not be saved in the folder\r" + folder + "\r"),
                std::string::npos)
          << box.text;
      EXPECT_GT(box.text.size(), folder.size() + 50) << "the reason follows: " << box.text;
      EXPECT_TRUE(detail::figure_message().empty()) << "nothing claims a save";
      tap('N');
    });
    steps.push_back([] {});
    steps.push_back([] { EXPECT_EQ(SARGAMENU, 3) << "the program goes on"; });
    EXPECT_EQ(run_steps(steps).exit_code, 0);
    headless::clear_message_boxes();
  }
}

TEST(VexelSave, TakenNamesGetASuffixAndAFolderIsMadeOrRefused) {
  fixtures::scratch_dir dir;
  const std::string folder = (dir.path / "a" / "b").string();
  const auto first = detail::save_files(folder, "vexel-x-1", "PNG", "SVG");
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_EQ(first.png_path, (fs::path(folder) / "vexel-x-1.png").string());
  // a picture of that name without its drawing, and one drawing without its picture: each
  // blocks its suffix; nothing is overwritten
  fixtures::write_file(folder + "/vexel-x-1-2.svg", {'o', 'l', 'd'});
  fixtures::write_file(folder + "/vexel-x-1-3.png", {'o', 'l', 'd'});
  const auto fourth = detail::save_files(folder, "vexel-x-1", "PNG2", "SVG2");
  ASSERT_TRUE(fourth.ok) << fourth.error;
  EXPECT_EQ(fourth.png_path, (fs::path(folder) / "vexel-x-1-4.png").string());
  EXPECT_EQ(fourth.svg_path, (fs::path(folder) / "vexel-x-1-4.svg").string());
  EXPECT_EQ(fixtures::read_file(folder + "/vexel-x-1.png"),
            (std::vector<std::uint8_t>{'P', 'N', 'G'}));
  EXPECT_EQ(fixtures::read_file(folder + "/vexel-x-1-2.svg"),
            (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(files_in(folder).size(), 6u) << "no temporary file is left";
  // a folder under a file cannot be made
  fixtures::write_file(dir / "file", {1});
  const auto refused = detail::save_files(dir / "file/Pictures", "vexel-x", "P", "S");
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.error.find("The folder cannot be made: "), std::string::npos) << refused.error;
  // a folder without the right to write (as the administrator the rights do not bind)
  const fs::path locked = dir.path / "locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  if (::access(locked.string().c_str(), W_OK) != 0) {
    const auto denied = detail::save_files(locked.string(), "vexel-x", "P", "S");
    EXPECT_FALSE(denied.ok);
    EXPECT_NE(denied.error.find("ermission denied"), std::string::npos) << denied.error;
    EXPECT_TRUE(files_in(locked).empty());
  }
}

TEST_F(VexelFrame, FigureLineGivenAtStartIsShownAfterTheIntroAndABadOneIsRefusedInABox) {
  ASSERT_TRUE(detail::choose_start_figure(
                  {"--figure", "A=100.5,200;B=700,300;C=400,50;ch=9;t=1.5;v=20;m=mouse"})
                  .empty());
  auto steps = past_the_intro();
  steps.push_back([] {
    EXPECT_EQ(SARGAMENU, 9);
    EXPECT_EQ(PONT[1].X, 100.5);
    EXPECT_EQ(PONT[3].Y, 50);
    EXPECT_EQ(SEBESSEG, 20);
    EXPECT_FALSE(ANIMACIO);
    EXPECT_TRUE(headless::message_boxes().empty());
  });
  EXPECT_EQ(run_steps(steps).exit_code, 0);

  EXPECT_FALSE(detail::choose_start_figure({"--figure", "A=1,1;B=2,2;C=3,3;x=1"}).empty());
  steps = past_the_intro();
  steps.push_back([] {
    ASSERT_EQ(headless::message_boxes().size(), 1u);
    EXPECT_EQ(headless::message_boxes()[0].caption, "FIGURE LINE");
    EXPECT_NE(headless::message_boxes()[0].text.find("unknown key 'x'"), std::string::npos);
    EXPECT_EQ(SARGAMENU, 2) << "the default figure";
    EXPECT_EQ(PONT[1].X, 300);
  });
  EXPECT_EQ(run_steps(steps).exit_code, 0);
  headless::clear_message_boxes();
  detail::choose_start_figure({});
}

TEST(VexelSave, PicturesFolderOfTheXdgDesktop) {
  const auto folder = [](std::map<std::string, std::string> environment, std::string dirs) {
    return platform::detail::xdg_pictures_folder(
        [environment](const char* name) -> const char* {
          const auto it = environment.find(name);
          return it == environment.end() ? nullptr : it->second.c_str();
        },
        [dirs](const std::string& path) {
          return path == "/home/kati/.config/user-dirs.dirs" || path == "/cfg/user-dirs.dirs"
                     ? dirs
                     : std::string();
        });
  };
  const std::string dirs =
      "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Asztal\"\n"
      "XDG_PICTURES_DIR=\"$HOME/Képek\"\n";
  EXPECT_EQ(folder({{"HOME", "/home/kati"}}, dirs), "/home/kati/Képek");
  EXPECT_EQ(folder({{"HOME", "/home/kati"}, {"XDG_CONFIG_HOME", "/cfg"}},
                   "XDG_PICTURES_DIR=\"/srv/pictures\"\n"),
            "/srv/pictures");
  EXPECT_EQ(folder({{"HOME", "/home/kati"}, {"XDG_PICTURES_DIR", "/set/here"}}, dirs), "/set/here");
  EXPECT_EQ(folder({{"HOME", "/home/kati"}}, ""), "/home/kati/Pictures") << "no user-dirs.dirs";
  EXPECT_EQ(folder({{"HOME", "/home/kati"}}, "XDG_PICTURES_DIR=\"$HOME/\"\n"),
            "/home/kati/Pictures")
      << "the home folder itself means none";
  EXPECT_EQ(folder({}, dirs), "") << "no home: no folder, and the save says so";
}
