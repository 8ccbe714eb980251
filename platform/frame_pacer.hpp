// platform: the frame pacer: holds presented frames to the display's refresh rate, by sleeping
// until the next frame time where presenting does not wait for the display itself.
#pragma once

#include <chrono>
#include <functional>

namespace platform::detail {

class frame_pacer {
 public:
  using clock = std::chrono::steady_clock;

  // The clock and the sleep the pacer uses (the real ones unless a test gives its own).
  frame_pacer();
  frame_pacer(std::function<clock::time_point()> now,
              std::function<void(clock::time_point)> sleep_until);

  // Starts pacing at the display's refresh rate (60 Hz when unknown or implausible). With
  // display_paced, presenting was asked to wait for the display (vsync): the first frames show
  // whether it does, and the pacer sleeps only if it does not.
  void start(int refresh_hz, bool display_paced);
  // Before presenting a frame: sleeps until its time.
  void wait();
  // After presenting it.
  void presented();

  // The pacer sleeps between frames (false while it trusts the display, or is still finding out).
  bool sleeping() const { return mode_ == mode::sleeping; }
  clock::duration period() const { return period_; }

 private:
  enum class mode { finding_out, display, sleeping };

  std::function<clock::time_point()> now_;
  std::function<void(clock::time_point)> sleep_until_;
  mode mode_ = mode::sleeping;
  clock::duration period_{};
  clock::time_point next_{};  // the next frame's time; zero before the first frame
  clock::time_point last_presented_{};
  int frames_watched_ = 0;
  int paced_frames_ = 0;
  int short_frames_ = 0;  // frames in a row that the display did not hold back
};

}  // namespace platform::detail
