#!/usr/bin/env bash
# The Windows program under Wine beside the SDL build, on one Xvfb screen in one run: each
# started as a user does, the travelling point set going in the pedal-line chapter, then the
# share of one core taken by the program, the X server and (under Wine) the wineserver (and, apart,
# Wine's other processes of the prefix: services, explorer, winedevice), then the revolution
# period and the frames presented per second (bench/pacing_probe, watching apart). Where the
# screen shows the picture larger than 800 x 600, the Windows program runs twice: the frame drawn
# at the size shown, and the original one enlarged (--pixels). Reports figures; no bars.
# Usage: bench/wine_pacing.sh [seconds to watch (default 12)] [screen, WIDTHxHEIGHT (default
#        1024x768)]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
watch=${1:-12}
screen=${2:-1024x768}
screen_w=${screen%x*} screen_h=${screen#*x}
sdl=$here/build/release/run/vexel
probe=$here/build/release/bench/pacing_probe
exe=$here/build/windows/run/vexel.exe
prefix=$here/build/windows/wine
for tool in Xvfb xdotool wine; do
  command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 2; }
done
[ -x "$sdl" ] && [ -x "$probe" ] && [ -f "$exe" ] ||
  { echo "error: build the release preset (vexel, pacing_probe) and the windows preset first" >&2; exit 2; }

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/run"
for file in menu.vex menu@2.vex sugo.vex vex.vex Fonts.fnt; do cp "$here/build/release/run/$file" "$work/run/"; done
cp "$exe" "$work/run/"

ticks_per_s=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
share() {
  awk -v d="$1" -v t="$2" -v hz="$ticks_per_s" 'BEGIN { printf "%.1f", 100 * d / hz / (t / 1000) }'
}
# The wineserver of our prefix (other prefixes may have their own).
our_wineserver() {
  local pid
  for pid in $(pgrep -x 'wineserver(64)?' || true); do
    if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
      echo "$pid"
      return
    fi
  done
}

# Wine's other processes of our prefix (services, explorer, winedevice ...), but $1 and $2.
wine_others() {
  local pid
  for pid in $(pgrep -u "$(id -u)" || true); do
    if [ "$pid" != "$1" ] && [ "$pid" != "$2" ] &&
      { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
      echo "$pid"
    fi
  done
}
ticks_of() {
  local pid sum=0
  for pid in "$@"; do sum=$((sum + $(cpu_ticks "$pid"))); done
  echo "$sum"
}

# at, click: frame pixels on this screen
# shellcheck source=../tests/e2e/frame_pointer.sh
. "$(dirname "$0")/../tests/e2e/frame_pointer.sh"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -br -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "error: Xvfb did not start" >&2; exit 2; }
export DISPLAY=:$(head -1 "$work/display")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8

# $1: the name in the report; the rest: the command
run() {
  local label=$1
  shift
  start_point_turning "$work/run" 60 "$@"
  sleep 3
  local server p0 x0 s0=0 o0=0 t0 t1 out others=
  server=$(our_wineserver)
  [ -n "$server" ] && others=$(wine_others "$program_pid" "$server")
  # shellcheck disable=SC2086
  o0=$(ticks_of $others)
  p0=$(cpu_ticks "$program_pid")
  x0=$(cpu_ticks "$xvfb_pid")
  [ -n "$server" ] && s0=$(cpu_ticks "$server")
  # the shares over $watch seconds of their own, before the probe watches: its screen reads,
  # damage events and round trips would be the X server's largest load
  t0=$(now_ms)
  sleep "$watch"
  t1=$(now_ms)
  local program_cpu server_cpu wine_cpu=0 others_cpu total
  # shellcheck disable=SC2086
  others_cpu=$(share $(($(ticks_of $others) - o0)) $((t1 - t0)))
  program_cpu=$(share $(($(cpu_ticks "$program_pid") - p0)) $((t1 - t0)))
  server_cpu=$(share $(($(cpu_ticks "$xvfb_pid") - x0)) $((t1 - t0)))
  [ -n "$server" ] && wine_cpu=$(share $(($(cpu_ticks "$server") - s0)) $((t1 - t0)))
  out=$("$here/build/release/bench/pacing_probe" "$watch")
  total=$(awk -v a="$program_cpu" -v b="$server_cpu" -v c="$wine_cpu" 'BEGIN { printf "%.1f", a + b + c }')
  echo "$label"
  printf '  %-36s %8s\n' "program CPU (% of a core)" "$program_cpu"
  [ -n "$server" ] && printf '  %-36s %8s\n' "wineserver CPU (% of a core)" "$wine_cpu"
  [ -n "$server" ] && printf '  %-36s %8s\n' "Wine's other processes (% of a core)" "$others_cpu"
  printf '  %-36s %8s\n' "X server CPU (% of a core)" "$server_cpu"
  printf '  %-36s %8s\n' "program + servers (% of a core)" "$total"
  printf '  %-36s %8s\n' "revolution at slider 40 (s)" "$(echo "$out" | awk '$1 == "period" {print $2}')"
  printf '  %-36s %8s\n' "frames presented per second" "$(echo "$out" | awk '$1 == "fps" {print $2}')"
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  sleep 1
}

echo "screen $screen_w x $screen_h, $watch s watched each"
run "SDL build (Linux)" "$sdl"
if [ $((screen_w * 600)) -gt $((screen_h * 800)) ]; then shown_h=$screen_h; else shown_h=$((screen_w * 600 / 800)); fi
if [ "$shown_h" -gt 600 ]; then
  run "Windows build under Wine, drawn at the size shown" wine ./vexel.exe
  run "Windows build under Wine, the original enlarged" wine ./vexel.exe --pixels
else
  run "Windows build under Wine" wine ./vexel.exe
fi
