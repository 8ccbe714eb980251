// Test support: runs the real program on the headless backend with a scripted user.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "headless.hpp"
#include "orla.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel_test {

// Where the build puts the program and its four files.
inline std::string run_folder() {
  return std::string(ORLA_BINARY_DIR) + "/run";
}

// The user's hand on the mouse, in frame coordinates.
inline void move(int x, int y, bool left_down) {
  headless::mouse_move(x, y, left_down ? win32::MK_LBUTTON : 0);
}
inline void press(int x, int y) {
  move(x, y, false);
  headless::post_message(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON,
                         static_cast<win32::LPARAM>((y << 16) | x));
}
inline void release(int x, int y) {
  headless::post_message(win32::WM_LBUTTONUP, 0, static_cast<win32::LPARAM>((y << 16) | x));
}

// A scripted run of the whole program.
struct program_run {
  // Called once for every frame presented, with the number of frames presented so far; the
  // messages it posts arrive before the program's next pass.
  std::function<void(std::uint64_t frame)> on_frame;
  // Called whenever the program finds no message waiting, after on_frame when a frame is new,
  // and also while the program waits with its window minimised; with the frames presented so
  // far. Its messages arrive before the program's next pass or ends the wait.
  std::function<void(std::uint64_t frame)> on_idle;
  // The clock advances one millisecond every this many readings, so that the calibration and
  // every timed wait take no real time and every run is the same.
  std::uint64_t readings_per_ms = 1000;
  // The clock also advances this many milliseconds with every frame presented, as a display
  // paces the frames (0: only the readings move it).
  std::uint64_t ms_per_frame = 0;
  // Milliseconds added to the clock at once (a stall), changed by the script as it runs.
  std::uint64_t skipped_ms = 0;
  // Working folder of the program (default: the built run folder with the four files).
  std::string folder = run_folder();
};

// Runs the program from start-up to its end; returns its exit code.
inline int run_program(const program_run& run) {
  headless::reset_window_system();
  headless::clear_message_boxes();
  // nothing drawn by an earlier test or run is kept into this one
  vexel::detail::reset_render_caches();
  orla_win32::M_X = orla_win32::M_Y = 0;
  orla_win32::M_L = orla_win32::M_R = false;
  std::uint64_t readings = 0;
  std::uint64_t last_frame = headless::frames_presented();
  const std::uint64_t first_frame = last_frame;
  headless::set_clock([&readings, &run, first_frame] {
    const std::uint64_t frames = headless::frames_presented() - first_frame;
    return static_cast<win32::DWORD>(readings++ / run.readings_per_ms + frames * run.ms_per_frame +
                                     run.skipped_ms);
  });
  headless::set_idle_hook([&] {
    const std::uint64_t now = headless::frames_presented();
    if (now != last_frame) {
      last_frame = now;
      if (run.on_frame) run.on_frame(now - first_frame);
    }
    if (run.on_idle) run.on_idle(now - first_frame);
  });
  char previous[4096];
  const bool have_previous = getcwd(previous, sizeof previous) != nullptr;
  if (chdir(run.folder.c_str()) != 0) return -1;
  const int code = vexel::VEXEL_MAIN();
  if (have_previous && chdir(previous) != 0) return -1;
  headless::set_idle_hook(nullptr);
  headless::set_clock(nullptr);
  return code;
}

// The pixel of the last presented frame.
inline std::uint16_t pixel(int x, int y) {
  return headless::last_frame()[y * 800 + x];
}

}  // namespace vexel_test

namespace vexel_test {

// What a scripted run went through.
struct steps_outcome {
  int exit_code = -1;
  // steps that ran (the fade-out runs none)
  std::size_t steps_run = 0;
  // the user had to close the window after the last step: the program did not end by itself
  bool closed_after_the_steps = false;
};

// A run whose user does one step per presented frame of the intro and the frame loop: step k
// runs after frame k + 1. After the last step the user closes the window, so every run ends.
// The program works in the given folder (default: the built run folder); the clock moves on by
// ms_per_frame with every frame presented, as a display paces them (default: the readings alone).
inline steps_outcome run_steps(std::vector<std::function<void()>> steps,
                               const std::string& folder = run_folder(),
                               std::uint64_t ms_per_frame = 0) {
  using vexel::detail::phase;
  program_run run;
  run.folder = folder;
  run.ms_per_frame = ms_per_frame;
  steps_outcome outcome;
  run.on_frame = [&](std::uint64_t) {
    const phase now = vexel::detail::program_phase;
    if (now != phase::intro && now != phase::running) return;
    if (outcome.steps_run < steps.size()) {
      steps[outcome.steps_run++]();
    } else if (!outcome.closed_after_the_steps && orla::APPLICATIONRUNNING) {
      outcome.closed_after_the_steps = true;
      headless::close();
    }
  };
  outcome.exit_code = run_program(run);
  return outcome;
}

// The first two steps of most runs: a press ends the intro (at a spot where no button is) and
// its release follows.
inline std::vector<std::function<void()>> past_the_intro() {
  return {[] { press(400, 20); }, [] { release(400, 20); }};
}

}  // namespace vexel_test
