// Soak test: the real program on the headless backend for many frames of a seeded random user,
// checked for faults, leaks, message boxes and a frame time that creeps up.
//
// The run has three parts: a steady part, the same in the first and the last frames (a chapter
// tour with the start triangle and the point travelling), and between them the random user.
// VEXEL_SOAK_FRAMES sets the number of frames of the loop (default 4000, at least 2100).
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "vexel_harness.hpp"

using namespace vexel_test;
using namespace vexel;

namespace {

// The frame times are the test thread's own CPU time: the wall clock also counts the time other
// processes of a busy machine take, which comes and goes during the run.
struct clock_type {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<clock_type, duration>;
  static time_point now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(
        duration(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec)));
  }
};
using vexel::detail::phase;

constexpr std::uint64_t steady_frames = 1000;
constexpr std::uint64_t settle_frames = 20;  // the random user lets go before the last part

std::uint64_t soak_frames() {
  const char* text = std::getenv("VEXEL_SOAK_FRAMES");
  const std::uint64_t wanted = text != nullptr ? std::strtoull(text, nullptr, 10) : 4000;
  return std::max<std::uint64_t>(wanted, 2 * steady_frames + settle_frames + 80);
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

bool in_button(int n, int x, int y) {
  const auto& b = GOMB[n];
  return b.x1 <= x && x <= b.x2 && b.y1 <= y && y <= b.y2;
}

// The random user: a queue of one step per frame, refilled with a new gesture when empty.
class random_user {
 public:
  explicit random_user(std::uint32_t seed) : random_(seed) {}

  void step() {
    if (steps_.empty()) plan();
    auto next = std::move(steps_.front());
    steps_.pop_front();
    next();
  }
  // Called while the program waits minimised: restores the window after a while.
  void idle() {
    if (minimised_ && --idle_left_ <= 0) {
      minimised_ = false;
      headless::activate(false);
    }
  }
  // Lets go of everything: the queued steps are dropped and the button released.
  void let_go() {
    steps_.clear();
    if (minimised_) {
      minimised_ = false;
      headless::activate(false);
    }
    release(x_, y_);
  }

  std::uint64_t gestures = 0, drags = 0, minimised = 0, help_visits = 0;

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }

  // A point anywhere on the screen but in the exit button, whose click would end the run.
  void anywhere(int& x, int& y) {
    do {
      x = pick(0, 799);
      y = pick(0, 599);
    } while (in_button(1, x, y));
  }
  void inside(int n, int& x, int& y) {
    x = pick(GOMB[n].x1, GOMB[n].x2);
    y = pick(GOMB[n].y1, GOMB[n].y2);
  }
  void then(std::function<void()> step) { steps_.push_back(std::move(step)); }
  void click_at(int x, int y) {
    then([this, x, y] { press(x_ = x, y_ = y); });
    then([this, x, y] { release(x, y); });
  }

  void plan() {
    ++gestures;
    int x = 0, y = 0;
    switch (pick(0, 9)) {
      case 0:
      case 1: {  // the pointer wanders with the button up
        const int moves = pick(1, 8);
        for (int k = 0; k < moves; ++k) {
          anywhere(x, y);
          then([this, x, y] { move(x_ = x, y_ = y, false); });
        }
        break;
      }
      case 2:
      case 3: {  // a vertex picked up and dragged about, anywhere on the screen
        ++drags;
        const int v = pick(1, 3);
        then([this, v] { press(x_ = PONT[v].KX, y_ = PONT[v].KY); });
        const int moves = pick(1, 30);
        for (int k = 0; k < moves; ++k) {
          anywhere(x, y);
          then([this, x, y] { move(x_ = x, y_ = y, true); });
        }
        then([this] { release(x_, y_); });
        break;
      }
      case 4:  // a chapter
        inside(pick(2, 10), x, y);
        click_at(x, y);
        break;
      case 5: {  // the help screen, left after a few frames by a click anywhere
        ++help_visits;
        inside(11, x, y);
        click_at(x, y);
        for (int k = pick(0, 4); k > 0; --k) then([] {});
        anywhere(x, y);
        click_at(x, y);
        break;
      }
      case 6:  // the animation controls and the slider (acting only in chapter 9)
        inside(pick(12, 16), x, y);
        click_at(x, y);
        break;
      case 7:  // a click on empty space or anywhere else
        anywhere(x, y);
        click_at(x, y);
        break;
      case 8:  // minimised, restored after a few idle passes of the waiting program
        ++minimised;
        then([this] {
          minimised_ = true;
          idle_left_ = pick(1, 40);
          headless::activate(true);
        });
        break;
      default:  // nothing for a while
        for (int k = pick(1, 10); k > 0; --k) then([] {});
        break;
    }
  }

  std::mt19937 random_;
  std::deque<std::function<void()>> steps_;
  int x_ = 400, y_ = 20;
  bool minimised_ = false;
  int idle_left_ = 0;
};

// The steady part: the start triangle, the point travelling, a chapter tour by the buttons.
void start_steady_part() {
  detail::place_vertices_at_start();
  ANIMACIO = true;
  PLAY = true;
  SEBESSEG = 40;
  PILSEB = SEBESSEG;
  VEXEL_SZOG = 0;
}
void steady_step(std::uint64_t k) {
  const std::uint64_t per_chapter = steady_frames / 9;
  const int chapter = 2 + static_cast<int>(std::min<std::uint64_t>(k / per_chapter, 8));
  const int x = (GOMB[chapter].x1 + GOMB[chapter].x2) / 2;
  const int y = (GOMB[chapter].y1 + GOMB[chapter].y2) / 2;
  if (k % per_chapter == 0)
    press(x, y);
  else if (k % per_chapter == 1)
    release(x, y);
  else if (k % per_chapter == 2)
    move(400, 20, false);
}

}  // namespace

TEST(VexelSoak, ManyFramesOfARandomUserLeaveNoTraceAndNoSlowdown) {
  const std::uint64_t total = soak_frames();
  const std::uint64_t last_part = total - steady_frames;
  const std::uint64_t random_until = last_part - settle_frames;
  const orla::LONGINT memory_before = orla::TOTALALLOCMEMORY;
  random_user user(20240611);

  program_run run;
  run.ms_per_frame = 16;      // frames paced as by a display, so that the point travels
  std::uint64_t running = 0;  // frames of the loop presented so far
  bool intro_left = false, exit_clicked = false;
  orla::LONGINT memory_in_loop = -1;
  std::uint64_t memory_changes = 0;
  // what the frames went through: chapters shown, dragging, help, waiting minimised
  std::vector<bool> chapter_seen(11, false);
  std::uint64_t dragging_frames = 0, help_frames = 0, minimised_waits = 0;
  std::vector<double> first_times, last_times;
  clock_type::time_point previous{};
  const auto started = std::chrono::steady_clock::now();

  run.on_frame = [&](std::uint64_t) {
    const auto now = clock_type::now();
    const phase where = detail::program_phase;
    if (where == phase::intro) {
      if (!intro_left) press(400, 20);  // the press that ends the intro, on empty space
      intro_left = true;
      return;
    }
    if (where != phase::running) return;
    const std::uint64_t k = ++running;  // this frame of the loop, from 1
    if (k > 1) {
      const double us = std::chrono::duration<double, std::micro>(now - previous).count();
      if (k <= steady_frames) first_times.push_back(us);
      if (k > last_part) last_times.push_back(us);
    }
    previous = now;
    // the loop holds the same windows in every frame: a block kept from one frame to the next
    // would show here long before the end
    if (memory_in_loop < 0) memory_in_loop = orla::TOTALALLOCMEMORY;
    memory_changes += orla::TOTALALLOCMEMORY != memory_in_loop;
    chapter_seen[SARGAMENU] = true;
    dragging_frames += MOZGAT;
    help_frames += SUGOB;

    if (k == 1) {
      release(400, 20);
      start_steady_part();
    } else if (k < steady_frames) {
      steady_step(k);
    } else if (k < random_until) {
      user.step();
    } else if (k == random_until) {
      user.let_go();
    } else if (k == random_until + 1) {
      if (SUGOB) press(400, 20);  // back from the help screen, if the user left it there
    } else if (k == random_until + 2) {
      release(400, 20);
    } else if (k == last_part) {
      start_steady_part();
      steady_step(0);
    } else if (k < total) {
      steady_step(k - last_part);
    } else if (!exit_clicked) {
      exit_clicked = true;
      press((GOMB[1].x1 + GOMB[1].x2) / 2, (GOMB[1].y1 + GOMB[1].y2) / 2);
    }
  };
  run.on_idle = [&](std::uint64_t) {
    if (detail::program_phase != phase::running) return;
    minimised_waits += !orla::MAXIMIERT;
    user.idle();
  };

  const int code = run_program(run);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  EXPECT_EQ(code, 0);
  EXPECT_TRUE(exit_clicked) << "the run ended before the exit button: after " << running
                            << " frames of " << total;
  EXPECT_EQ(running, total) << "the exit button ends the loop after the frame of its click";
  EXPECT_EQ(detail::program_phase, phase::ended);
  EXPECT_EQ(memory_changes, 0u) << "the memory held changed between frames";
  EXPECT_EQ(orla::TOTALALLOCMEMORY, memory_before) << "every window is released at the end";
  for (const auto& box : headless::message_boxes())
    ADD_FAILURE() << "unexpected box: " << box.caption << " / " << box.text;
  for (int chapter = 2; chapter <= 10; ++chapter) EXPECT_TRUE(chapter_seen[chapter]) << chapter;
  EXPECT_GT(dragging_frames, 0u);
  EXPECT_GT(help_frames, 0u);
  EXPECT_GT(minimised_waits, 0u) << "the loop waited minimised";

  const double first = median(first_times), last = median(last_times);
  const auto count = [](std::uint64_t n) { return static_cast<unsigned long long>(n); };
  std::printf(
      "soak: %llu frames of the loop in %.1f s; %llu gestures (%llu drags, %llu help "
      "visits, %llu minimised); %llu frames dragging, %llu on the help screen, %llu idle "
      "passes minimised; median frame %.1f us first, %.1f us last\n",
      count(running), seconds, count(user.gestures), count(user.drags), count(user.help_visits),
      count(user.minimised), count(dragging_frames), count(help_frames), count(minimised_waits),
      first, last);
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
  // timings under the sanitizers say little; the release build compares like with like. A trace
  // left by every frame grows without end, while a busy machine still moves a median by 30%.
  EXPECT_LE(last, 1.5 * first) << "the frames of the last part are slower than of the first";
#endif
}
