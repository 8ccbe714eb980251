// vexel: the speed calibration (counted in slices between the intro's frames) and the frame loop's
// clock of the speed law's steps.
#include <algorithm>
#include <cmath>

#include "vexel.hpp"
#include "win32.hpp"

namespace vexel {

namespace {

using ext = long double;

// Length of the calibration in milliseconds of the tick counter.
constexpr win32::DWORD calibration_ms = 3000;
// When the intro is ended early, at least this much counting is done before the count is scaled
// to the three seconds (a shorter count is too coarse on a millisecond counter).
constexpr win32::DWORD least_counted_ms = 200;

}  // namespace

namespace detail {

void set_speed_count(std::int64_t count) {
  MP = count;
  GYORSITAS = static_cast<REAL>(static_cast<ext>(count) / 200000000.0L);
  KIEGYENLITO = static_cast<REAL>(static_cast<ext>(count) / 2000000000.0L);
}

void start_calibration() {
  calibration = {};
}

void count_calibration(win32::DWORD ms) {
  if (calibration.counted_ms >= calibration_ms) return;
  ms = std::min(ms, calibration_ms - calibration.counted_ms);
  // the slice starts at a tick of the counter, so that its ticks measure the whole of it: a
  // slice begun anywhere within a tick would count that tick without its lost part
  const win32::DWORD before = win32::GetTickCount();
  win32::DWORD start = before;
  while (start == before) start = win32::GetTickCount();
  std::int64_t count = 0;
  win32::DWORD elapsed = 0;
  // the elapsed time is the unsigned 32-bit difference, so a wrap of the tick counter during the
  // count neither stalls it nor ends it early
  do {
    ++count;
    elapsed = static_cast<win32::DWORD>(win32::GetTickCount() - start);
  } while (elapsed < ms);
  calibration.count += count;
  calibration.counted_ms += elapsed;
}

void finish_calibration() {
  if (calibration.counted_ms < least_counted_ms)
    count_calibration(least_counted_ms - calibration.counted_ms);
  std::int64_t count = calibration.count;
  // less than three seconds counted: the count those seconds would have given
  if (calibration.counted_ms < calibration_ms)
    count = std::max<std::int64_t>(
        1, std::llround(static_cast<ext>(count) * calibration_ms / calibration.counted_ms));
  set_speed_count(count);
}

void start_step_clock() {
  step_clock = {};
}

std::int64_t steps_due() {
  const win32::DWORD now = win32::GetTickCount();
  if (!step_clock.started) {
    step_clock.started = true;
    step_clock.last = now;
    return 0;
  }
  step_clock.owed_before = step_clock.owed;
  // the unsigned difference stays right across the wrap of the counter
  const win32::DWORD elapsed =
      std::min(static_cast<win32::DWORD>(now - step_clock.last), max_catch_up_ms);
  step_clock.last = now;
  if (MP <= 0) return 0;
  step_clock.owed += elapsed * (steps_per_second_times_count / 1000.0L) / MP;
  const auto due = static_cast<std::int64_t>(std::min(step_clock.owed, ext{max_steps_per_frame}));
  step_clock.owed -= due;
  if (step_clock.owed > 1) step_clock.owed = 0;  // beyond the cap: forgotten, not carried
  return due;
}

}  // namespace detail

void MP_KISZAMITAS() {
  detail::start_calibration();
  detail::count_calibration(calibration_ms);
  detail::finish_calibration();
}

}  // namespace vexel
