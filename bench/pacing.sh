#!/usr/bin/env bash
# Pacing benchmark of the vexel program: on an Xvfb screen of each size it starts the real program,
# waits for its window, ends the intro and starts the travelling point in the pedal-line
# chapter as a user does (xdotool), then reports the point's revolution period at the start speed
# (slider 40) and at slider 84, the program's and the X server's share of one core (from
# /proc/PID/stat) and the frames presented per second.
# Bars: 15 s +-5% per revolution at slider 40, 40/84 of that at slider 84, on 1600 x 1200 at
# most 25% of one core for the program and the X server together, on 1920 x 1080 (the frame
# drawn at the size shown) at most 5%. Exits 1 when a figure misses.
# Usage: bench/pacing.sh [build folder (default build/release)] [seconds to watch (default 12)]
#        [screen sizes, as WIDTHxHEIGHT (default 1920x1080 1600x1200 1024x768)]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/release}" && pwd)
watch=${2:-12}
vexel=$build/run/vexel
probe=$build/bench/pacing_probe
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 2; }
done
[ -x "$vexel" ] && [ -x "$probe" ] ||
  { echo "error: build vexel and pacing_probe first (cmake --build --preset release)" >&2; exit 2; }

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  for pid in $program_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/run"
for file in menu.vex menu@2.vex sugo.vex vex.vex Fonts.fnt; do cp "$build/run/$file" "$work/run/"; done

ticks_per_s=$(getconf CLK_TCK)
# CPU ticks (user + system) used so far by process $1
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

missed=0
# Compares figure $2 (name $1) with the bar [$3, $4]; prints the line.
judge() {
  if awk -v v="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(v >= lo && v <= hi) }'; then
    printf '  %-34s %8s   (bar %s .. %s)\n' "$1" "$2" "$3" "$4"
  else
    printf '  %-34s %8s   MISSES its bar %s .. %s\n' "$1" "$2" "$3" "$4"
    missed=1
  fi
}

screen_w=0 screen_h=0
# shellcheck source=../tests/e2e/frame_pointer.sh
. "$(dirname "$0")/../tests/e2e/frame_pointer.sh"

# Watches for $watch seconds; sets period, fps and the CPU shares of the program and the server.
# The shares are taken over $watch seconds of their own, before the probe watches: the probe's
# own requests (a screen read four times a second, the damage events of every update, a round
# trip every half millisecond) keep the X server busier than the program does.
measure() {
  local p0 x0 t0 t1 out
  p0=$(cpu_ticks "$program_pid")
  x0=$(cpu_ticks "$xvfb_pid")
  t0=$(now_ms)
  sleep "$watch"
  t1=$(now_ms)
  program_cpu=$(awk -v d=$(($(cpu_ticks "$program_pid") - p0)) -v t=$((t1 - t0)) -v hz="$ticks_per_s" \
    'BEGIN { printf "%.1f", 100 * d / hz / (t / 1000) }')
  server_cpu=$(awk -v d=$(($(cpu_ticks "$xvfb_pid") - x0)) -v t=$((t1 - t0)) -v hz="$ticks_per_s" \
    'BEGIN { printf "%.1f", 100 * d / hz / (t / 1000) }')
  out=$("$probe" "$watch")
  fps=$(echo "$out" | awk '$1 == "fps" {print $2}')
  period=$(echo "$out" | awk '$1 == "period" {print $2}')
}

run_screen() {
  screen_w=$1 screen_h=$2
  echo "screen ${screen_w} x ${screen_h}"
  exec 3>"$work/display"
  # -noreset: an X server resets when its last client leaves, and a program that connects during
  # the reset (right after the xdotool below) finds no display
  Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -br -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "error: Xvfb did not start" >&2; exit 2; }
  export DISPLAY=:$(head -1 "$work/display")
  start_point_turning "$work/run" 30 "$vexel"
  sleep 1
  measure
  judge "revolution at slider 40 (s)" "${period:-none}" 14.25 15.75
  local cpu
  cpu=$(awk -v a="$program_cpu" -v b="$server_cpu" 'BEGIN { printf "%.1f", a + b }')
  printf '  %-34s %8s\n' "program CPU (% of a core)" "$program_cpu"
  printf '  %-34s %8s\n' "X server CPU (% of a core)" "$server_cpu"
  if [ "$screen_w" -eq 1600 ]; then
    judge "program + X server (% of a core)" "$cpu" 0 25
  elif [ "$screen_w" -eq 1920 ]; then
    # the frame drawn at the size shown: only what changed reaches the X server
    judge "program + X server (% of a core)" "$cpu" 0 5
  else
    printf '  %-34s %8s\n' "program + X server (% of a core)" "$cpu"
  fi
  judge "frames presented per second" "$fps" 30 66
  click 775 505    # the slider near its top: speed 84
  # shellcheck disable=SC2046
  xdotool mousemove $(at 790 10)
  sleep 1
  measure
  judge "revolution at slider 84 (s)" "${period:-none}" 6.79 7.50
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
  rm -f "$work/display"
}

shift $(($# > 2 ? 2 : $#))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1920x1080 1600x1200 1024x768)
for size in "${sizes[@]}"; do
  run_screen "${size%x*}" "${size#*x}"
done
exit "$missed"
