// vexel: the start-up speed calibration and the frame loop's clock of the speed law's steps.
#include <algorithm>

#include "vexel.hpp"
#include "win32.hpp"

namespace vexel {

namespace {

using ext = long double;

// Length of the calibration in milliseconds of the tick counter.
constexpr win32::DWORD calibration_ms = 3000;

}  // namespace

namespace detail {

void set_speed_count(std::int64_t count) {
  MP = count;
  GYORSITAS = static_cast<REAL>(static_cast<ext>(count) / 200000000.0L);
  KIEGYENLITO = static_cast<REAL>(static_cast<ext>(count) / 2000000000.0L);
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
  const win32::DWORD start = win32::GetTickCount();
  std::int64_t count = 0;
  // the elapsed time is the unsigned 32-bit difference, so a wrap of the tick counter during the
  // three seconds neither stalls the count nor ends it early
  do {
    ++count;
  } while (static_cast<win32::DWORD>(win32::GetTickCount() - start) < calibration_ms);
  detail::set_speed_count(count);
}

}  // namespace vexel
