// platform: the frame pacer (see frame_pacer.hpp).
#include "frame_pacer.hpp"

#include <thread>
#include <utility>

namespace platform::detail {

namespace {

// Frames watched to tell whether presenting waits for the display.
constexpr int frames_to_watch = 20;
// Frames in a row, each presented in under half a period, that end the trust in the display.
constexpr int short_frames_to_distrust = 10;

}  // namespace

frame_pacer::frame_pacer()
    : frame_pacer(clock::now, [](clock::time_point t) { std::this_thread::sleep_until(t); }) {}

frame_pacer::frame_pacer(std::function<clock::time_point()> now,
                         std::function<void(clock::time_point)> sleep_until)
    : now_(std::move(now)), sleep_until_(std::move(sleep_until)) {
  start(0, false);
}

void frame_pacer::start(int refresh_hz, bool display_paced) {
  // a display mode without a rate (or a made-up one) gives no frame time to keep
  if (refresh_hz < 20 || refresh_hz > 500) refresh_hz = 60;
  period_ = std::chrono::duration_cast<clock::duration>(std::chrono::seconds(1)) / refresh_hz;
  mode_ = display_paced ? mode::finding_out : mode::sleeping;
  next_ = {};
  last_presented_ = {};
  frames_watched_ = paced_frames_ = short_frames_ = 0;
}

void frame_pacer::wait() {
  if (mode_ != mode::sleeping) return;
  const clock::time_point now = now_();
  // the first frame, or one more than a whole period late (a stall): a new schedule from now,
  // rather than a burst of frames to catch up
  if (next_ == clock::time_point{} || now > next_ + period_) {
    next_ = now;
  } else if (now < next_) {
    sleep_until_(next_);
  }
  next_ += period_;
}

void frame_pacer::presented() {
  const clock::time_point now = now_();
  const clock::time_point before = last_presented_;
  last_presented_ = now;
  if (mode_ == mode::sleeping || before == clock::time_point{}) return;
  const clock::duration interval = now - before;
  if (mode_ == mode::finding_out) {
    paced_frames_ += interval >= period_ * 3 / 4;
    if (++frames_watched_ < frames_to_watch) return;
    mode_ = paced_frames_ * 2 > frames_watched_ ? mode::display : mode::sleeping;
    return;
  }
  // trusted: a display that stops holding frames back (vsync switched off) loses the trust
  short_frames_ = interval < period_ / 2 ? short_frames_ + 1 : 0;
  if (short_frames_ >= short_frames_to_distrust) mode_ = mode::sleeping;
}

}  // namespace platform::detail
