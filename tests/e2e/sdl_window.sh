#!/usr/bin/env bash
# End-to-end test of the SDL window under Xvfb: the probe program presents known frames; the
# screenshots must show them exactly (in RGB565 terms), scaled with the aspect kept, and clicks at
# known screen positions must arrive as the right frame coordinates, fullscreen and in windows
# of several sizes; real yes/no boxes answer, with the window out of their way meanwhile.
# Exit 77 (skipped) only when xvfb-run is missing.
# Usage: sdl_window.sh <orla_e2e_probe> <orla_e2e_check>
set -euo pipefail

probe=$1
check=$2
screen_w=1600
screen_h=1300

if [ -z "${ORLA_E2E_INSIDE_XVFB:-}" ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is not installed: end-to-end test skipped"
    exit 77
  fi
  for tool in xdotool import; do
    command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 1; }
  done
  # -br: a black root window, so that everything not black on the screen is the picture
  exec env ORLA_E2E_INSIDE_XVFB=1 xvfb-run -a \
    -s "-screen 0 ${screen_w}x${screen_h}x24 -br -noreset -nolisten tcp" "$0" "$@"
fi

work=$(mktemp -d)
probe_pid=
cleanup() {
  if [ -n "$probe_pid" ] && kill -0 "$probe_pid" 2>/dev/null; then kill "$probe_pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- probe output" >&2
  cat "$work/out" >&2 || true
  echo "--- probe errors" >&2
  cat "$work/err" >&2 || true
  exit 1
}

. "$(dirname "$0")/e2e_wait.sh"

# True when the probe has written at least $2 lines matching $1; fails when it has ended.
probe_wrote() {
  [ "$(grep -c "$1" "$work/out" || true)" -ge "$2" ] && return 0
  kill -0 "$probe_pid" 2>/dev/null || fail "the probe ended while waiting for '$1'"
  return 1
}
# Waits until the probe has written at least $2 lines matching $1.
wait_for() {
  poll 30 "'$1' (#$2) from the probe" probe_wrote "$1" "$2"
}

shown=0
# Presses a key in the probe's window and waits until the probe presented the frame.
show_pattern() {
  # held for a while: the probe polls the key table once per frame
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
  shown=$((shown + 1))
  wait_for '^shown ' "$shown"
  [ "$(grep '^shown ' "$work/out" | tail -1)" = "shown $1" ] || fail "pattern $1 not shown"
}

viewport=()
# True when the viewport fills the rectangle ($1, $2, $3 x $4) in one direction and is centred in
# the other: the frame scaled as large as it goes with its aspect kept.
fills() {
  local vx=${viewport[0]} vy=${viewport[1]} vw=${viewport[2]} vh=${viewport[3]}
  local left=$((vx - $1)) right=$(($1 + $3 - vx - vw)) top=$((vy - $2)) bottom=$(($2 + $4 - vy - vh))
  local dx=$((left - right)) dy=$((top - bottom))
  [ "$left" -ge 0 ] && [ "$right" -ge 0 ] && [ "$top" -ge 0 ] && [ "$bottom" -ge 0 ] &&
    [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] && { [ "$vw" -eq "$3" ] || [ "$vh" -eq "$4" ]; }
}

# True when a screenshot shows pattern $1 ($2: exact or near) filling the rectangle
# ($3, $4, $5 x $6); sets viewport=(x y w h), and poll_seen to what was seen.
screen_shows() {
  local result
  import -window root -depth 8 "rgb:$work/shot.rgb" || return 1
  if result=$("$check" "$work/shot.rgb" "$screen_w" "$screen_h" "$1" "$2"); then
    read -r -a viewport <<<"$(echo "$result" | grep '^viewport' | cut -d' ' -f2-)"
    if fills "$3" "$4" "$5" "$6"; then
      echo "  pattern $1 at ${viewport[*]} in ($3, $4, $5 x $6): $(echo "$result" | tail -1)"
      return 0
    fi
    result="picture at ${viewport[*]}"
  fi
  poll_seen=$result
  return 1
}
# Takes screenshots until one shows pattern $1 ($2) filling the rectangle ($3, $4, $5 x $6).
check_screen() {
  poll 30 "pattern $1 ($2) on the screen in ($3, $4, $5 x $6)" screen_shows "$@"
}

presses=0
rpresses=0
# Clicks button $1 at screen (x, y) = ($2, $3); the probe must report frame (fx, fy) = ($4, $5),
# within $6 pixels.
click() {
  local button=$1 x=$2 y=$3 fx=$4 fy=$5 tolerance=${6:-0} line
  xdotool mousemove "$x" "$y"
  sleep 0.05
  xdotool mousedown "$button"
  sleep 0.15
  xdotool mouseup "$button"
  if [ "$button" = 1 ]; then
    presses=$((presses + 1))
    wait_for '^press ' "$presses"
    line=$(grep '^press ' "$work/out" | sed -n "${presses}p")
  else
    rpresses=$((rpresses + 1))
    wait_for '^rpress ' "$rpresses"
    line=$(grep '^rpress ' "$work/out" | sed -n "${rpresses}p")
  fi
  read -r _ got_x got_y <<<"$line"
  local dx=$((got_x - fx)) dy=$((got_y - fy))
  if [ "${dx#-}" -gt "$tolerance" ] || [ "${dy#-}" -gt "$tolerance" ]; then
    fail "click at screen ($x, $y) arrived as ($got_x, $got_y), expected ($fx, $fy)"
  fi
}

# Clicks frame pixels through the current viewport: corners, centre, an inner point, and the
# bands of the window beside the picture (clamped to the nearest edge) when there are any.
click_through_viewport() {
  local tolerance=$1
  local vx=${viewport[0]} vy=${viewport[1]} vw=${viewport[2]} vh=${viewport[3]}
  local fx fy X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  for point in "0 0" "799 599" "400 300" "123 456" "799 0"; do
    read -r fx fy <<<"$point"
    # the screen pixel that shows the middle of frame pixel (fx, fy)
    click 1 $((vx + ((2 * fx + 1) * vw) / 1600)) $((vy + ((2 * fy + 1) * vh) / 1200)) \
      "$fx" "$fy" "$tolerance"
  done
  click 3 $((vx + vw / 2)) $((vy + vh / 2)) 400 300 "$tolerance"
  if [ $((vy - 2)) -ge "$Y" ]; then
    click 1 $((vx + vw / 2)) $((vy - 2)) 400 0 "$tolerance"
    click 1 $((vx + vw / 2)) $((vy + vh + 1)) 400 599 "$tolerance"
  fi
  if [ $((vx - 2)) -ge "$X" ]; then
    click 1 $((vx - 2)) $((vy + vh / 2)) 0 300 "$tolerance"
    click 1 $((vx + vw + 1)) $((vy + vh / 2)) 799 300 "$tolerance"
  fi
  [ $((X + WIDTH)) -le "$screen_w" ] && [ $((Y + HEIGHT)) -le "$screen_h" ] ||
    fail "the window ($X, $Y, $WIDTH x $HEIGHT) does not fit on the screen"
}

box=
# True when a yes/no box of the probe is viewable; sets box to its window.
box_shown() {
  kill -0 "$probe_pid" 2>/dev/null || fail "the probe ended while waiting for its yes/no box"
  box=$("$check" window MESSAGE | awk '$2 == "viewable" {print $1; exit}') && [ -n "$box" ]
}

answers=0
# Asks the probe for a yes/no box, answers it with key $1 and expects the answer $2; the window
# must make way for the box and come back afterwards.
answer_box() {
  local state
  xdotool keydown y
  sleep 0.1
  xdotool keyup y
  # a box not there yet is no failure: the poll goes on to its deadline
  poll 20 'viewable "MESSAGE" box' box_shown
  state=$("$check" window "orla e2e probe" | awk '{print $2}') ||
    fail "the probe's window is gone while its box shows"
  [ "$state" = hidden ] || fail "the window still covers the screen while the box shows ($state)"
  xdotool windowfocus "$box"
  xdotool key "$1"
  answers=$((answers + 1))
  wait_for '^overwrite ' "$answers"
  [ "$(grep '^overwrite ' "$work/out" | tail -1)" = "overwrite $2" ] ||
    fail "the box answered with $1 did not give $2"
}

# Gives the window the size $1 x $2 at ($3, $4) and puts the pointer into it.
resize_window() {
  xdotool windowsize "$window" "$1" "$2"
  xdotool windowmove "$window" "$3" "$4"
  xdotool mousemove $(($3 + $1 / 2)) $(($4 + $2 / 2))
}

"$probe" >"$work/out" 2>"$work/err" &
probe_pid=$!
wait_for '^shown 1' 1
shown=1
window=
probe_window() {
  window=$(xdotool search --name '^orla e2e probe$' | head -1) && [ -n "$window" ]
}
poll 20 "window named 'orla e2e probe'" probe_window
xdotool mousemove $((screen_w / 2)) $((screen_h / 2))

echo "fullscreen on a ${screen_w} x ${screen_h} screen"
check_screen 1 exact 0 0 "$screen_w" "$screen_h"
show_pattern 2
check_screen 2 exact 0 0 "$screen_w" "$screen_h"
click_through_viewport 0

echo "message boxes: Return answers Yes, Escape No"
answer_box Return 1
answer_box Escape 0
xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
check_screen 2 exact 0 0 "$screen_w" "$screen_h"

echo "a window of the frame's size"
xdotool key F11
x=$(((screen_w - 800) / 2))
y=$(((screen_h - 600) / 2))
check_screen 2 exact "$x" "$y" 800 600
xdotool mousemove $((x + 400)) $((y + 300))
show_pattern 1
check_screen 1 exact "$x" "$y" 800 600
click_through_viewport 0

echo "a larger window, twice the frame with bands above and below"
resize_window 1600 1250 0 0
check_screen 1 exact 0 0 1600 1250
click_through_viewport 0

echo "a window of no whole scale"
resize_window 1000 700 100 100
check_screen 1 near 100 100 1000 700
click_through_viewport 1

echo "back to fullscreen with Alt+Enter"
xdotool key alt+Return
check_screen 1 exact 0 0 "$screen_w" "$screen_h"

echo "Alt+F4 closes the window; the probe ends cleanly"
xdotool key alt+F4
probe_ended() { ! kill -0 "$probe_pid" 2>/dev/null; }
poll 10 "end of the probe after Alt+F4" probe_ended
status=0
wait "$probe_pid" || status=$?
probe_pid=
[ "$status" -eq 0 ] || fail "the probe ended with exit code $status"
grep -q '^bye 0$' "$work/out" || fail "the probe did not end cleanly (memory left or no goodbye)"
echo "PASS"
