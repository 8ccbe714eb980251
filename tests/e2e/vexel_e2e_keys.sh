#!/usr/bin/env bash
# End-to-end test of the vexel program's keys under Xvfb: a user with a keyboard only (xdotool
# keys, the pointer parked where it touches nothing) ends the intro with Space, steps to chapter 3
# with Page Down, picks chapter 9 with 8, starts the point with Space, opens help with H, leaves
# it with Escape, saves the figure with Ctrl+S while the point runs and ends the program with Ctrl+Q. Screenshots are checked in RGB565 terms.
# Exit 77 (skipped) only when xvfb-run is missing.
# Usage: vexel_e2e_keys.sh <vexel> <vexel_e2e_check>
set -euo pipefail

vexel=$1
check=$2

# shellcheck source=e2e_session.sh
. "$(dirname "$0")/e2e_session.sh"
on_screen 800x600 xdotool import -- "$@"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

shoot() { import -window root -depth 8 "rgb:$1"; }

# Takes screenshots until the check ($@ after the shot) holds, or (with "not" first) until it
# fails, for up to 6 s.
expect() {
  local want=0 result= deadline=$(($(now_ms) + 6000))
  if [ "$1" = not ]; then want=1; shift; fi
  while :; do
    shoot "$work/shot.rgb"
    local status=0
    result=$("$check" "$work/shot.rgb" "$@") || status=$?
    [ "$status" -le 1 ] || fail "bad check: $*"
    if [ "$status" -eq "$want" ]; then
      echo "  $result"
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended while waiting for: $*"
    [ "$(now_ms)" -lt "$deadline" ] || fail "waited 6 s for $([ "$want" -eq 1 ] && echo 'no ')$* (last: $result)"
    sleep 0.1
  done
}

mkdir "$folder"
run_dir=$(dirname "$vexel")
for file in menu.vex sugo.vex vex.vex Fonts.fnt; do cp "$run_dir/$file" "$folder/"; done

# the pointer rests over the figure's empty top, away from every vertex and button
xdotool mousemove 400 40
started=$(now_ms)
(cd "$folder" && XDG_PICTURES_DIR="$work/Pictures" exec "$vexel") >"$work/out" 2>"$work/err" &
program_pid=$!

until xdotool search --onlyvisible --name '^VEXEL egyenes$' >/dev/null 2>&1; do
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended before its window showed"
  [ $(($(now_ms) - started)) -lt 20000 ] || fail "no window after 20 s"
  sleep 0.05
done
window_at=$(now_ms)
expect intro "$folder"

echo "Space ends the intro; chapter 2"
xdotool key space
expect panel "$folder" 2 0
intro_length=$(($(now_ms) - window_at))
[ "$intro_length" -lt 6500 ] || fail "the intro did not end at Space ($intro_length ms)"

echo "Page Down: chapter 3 with its incircle"
xdotool key Page_Down
expect panel "$folder" 3 0
expect ring 0x0500 80 100 300 400 550 405 420 150

echo "8: chapter 9; the travelling point stands at the circumcircle's right end"
xdotool key 8
expect panel "$folder" 9 0
expect disc 584 307 2 0xfbcf

echo "Space: the point starts, leaves its place and the figure moves with it"
shoot "$work/standing.rgb"
sleep 0.5
shoot "$work/shot.rgb"
"$check" "$work/shot.rgb" figure "$work/standing.rgb" >/dev/null ||
  fail "the figure moved before Space"
xdotool key space
expect not figure "$work/standing.rgb"
expect not disc 584 307 2 0xfbcf

echo "Ctrl+S while the point runs: a PNG of the figure area and an SVG in the pictures folder"
xdotool key ctrl+s
deadline=$(($(now_ms) + 6000))
until [ "$(ls "$work/Pictures" 2>/dev/null | wc -l)" -eq 2 ]; do
  [ "$(now_ms)" -lt "$deadline" ] || fail "no two files in the pictures folder 6 s after Ctrl+S"
  sleep 0.1
done
saved=$(ls "$work/Pictures")
echo "  $(echo $saved)"
[[ "$saved" =~ ^vexel-vexel-egyenes-[0-9]{8}-[0-9]{6}\.png[[:space:]]vexel-vexel-egyenes-[0-9]{8}-[0-9]{6}\.svg$ ]] ||
  fail "the files are named $saved"
[ "$(identify -format '%wx%h' "$work/Pictures/"*.png)" = 800x458 ] || fail "the PNG is not 800 x 458"
grep -q 'viewBox="0 0 800 458"' "$work/Pictures/"*.svg || fail "the SVG is not the figure area"

echo "H opens the help screen, Escape leaves it"
xdotool key h
expect help "$folder"
xdotool key Escape
expect panel "$folder" 9 0

echo "Ctrl+Q ends the program after the fade-out"
xdotool key ctrl+q
deadline=$(($(now_ms) + 10000))
while kill -0 "$program_pid" 2>/dev/null; do
  [ "$(now_ms)" -lt "$deadline" ] || fail "the program still runs 10 s after Ctrl+Q"
  sleep 0.05
done
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "exit code $status"
shoot "$work/shot.rgb"
"$check" "$work/shot.rgb" black >/dev/null || fail "something is left on the screen"
echo "PASS"
