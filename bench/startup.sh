#!/usr/bin/env bash
# Time from the program's start to its first picture (the intro's white screen), the real program
# on Xvfb, polled from screenshots of a corner of the screen. Reports each run and the median.
# Usage: bench/startup.sh [vexel program] [runs]   (default: build/release/run/vexel, 5 runs)
# VEXEL_STARTUP_SCREEN=1920x1080: the screen's size (default 800x600); on a larger screen the intro
# is drawn at the size shown, from the pictures the build made larger.
set -euo pipefail
screen=${VEXEL_STARTUP_SCREEN:-800x600}
[[ $screen =~ ^([0-9]+)x([0-9]+)$ ]] ||
  { echo "error: VEXEL_STARTUP_SCREEN is WIDTHxHEIGHT" >&2; exit 2; }
screen_width=${BASH_REMATCH[1]}
root=$(cd "$(dirname "$0")/.." && pwd)
vexel=$(realpath "${1:-$root/build/release/run/vexel}")
runs=${2:-5}
[ -x "$vexel" ] || { echo "error: no program $vexel (build the release preset)" >&2; exit 2; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/startup.sh [vexel] [runs]" >&2; exit 2; }
if [ -z "${VEXEL_STARTUP_INSIDE_XVFB:-}" ]; then
  for tool in xvfb-run import; do
    command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 2; }
  done
  exec env VEXEL_STARTUP_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 ${screen}x24 -br -nolisten tcp" \
    "$0" "$vexel" "$runs"
fi

now_ms() { echo $(($(date +%s%N) / 1000000)); }
work=$(mktemp -d)
pid=
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# the files beside a copy of the program, as the program is run: the four and the larger pictures
cp "$vexel" "$work/"
cp "$(dirname "$vexel")"/*.vex "$(dirname "$vexel")/Fonts.fnt" "$work/"

# True when the middle of the screen's top rows is white (the intro; the black root window before
# it). The middle: a wide screen shows the frame between black bars.
white() {
  [ "$(import -window root -crop "8x8+$((screen_width / 2))+4" -depth 8 rgb:- 2>/dev/null | od -An -v -tu1 |
       tr -s ' ' '\n' | grep -cv '^255$\|^$')" = 0 ]
}

times=()
for ((run = 1; run <= runs; run++)); do
  started=$(now_ms)
  (cd "$work" && exec ./vexel --lang hu) >/dev/null 2>&1 &
  pid=$!
  until white; do
    kill -0 "$pid" 2>/dev/null || { echo "error: the program ended before its first picture" >&2; exit 2; }
    [ $(($(now_ms) - started)) -lt 30000 ] || { echo "error: no white screen within 30 s" >&2; exit 2; }
  done
  took=$(($(now_ms) - started))
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
  echo "run $run: the intro's first picture after $took ms"
  times+=("$took")
  sleep 0.5
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
echo "median over $runs runs: $median ms (from start to the intro's white screen, screenshots polled)"
