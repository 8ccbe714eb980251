#!/usr/bin/env bash
# End-to-end test of the program on a large screen: under Xvfb at 1920 x 1080 the frame is drawn
# at the size it is shown (1440 x 1080); a drag, a chapter button and the slider work in the
# figure's own coordinates; O switches to the original picture enlarged and back; --pixels
# starts with the original.
# Usage: vexel_e2e_large.sh <vexel program>
set -euo pipefail

vexel=$1

# shellcheck source=e2e_session.sh
. "$(dirname "$0")/e2e_session.sh"
on_screen 1920x1080 xdotool import convert -- "$@"

# shellcheck source=e2e_wait.sh
. "$(dirname "$0")/e2e_wait.sh"

mkdir "$folder"
run_dir=$(dirname "$vexel")
# the four files and the larger renderings of the pictures
cp "$run_dir"/*.vex "$run_dir/Fonts.fnt" "$folder/"

# the picture is 1440 x 1080 at x = 240
# shellcheck disable=SC2034  # read by frame_pointer.sh
screen_w=1920 screen_h=1080
# shellcheck source=frame_pointer.sh
. "$(dirname "$0")/frame_pointer.sh"
shoot() { import -window root "$1"; }
# The colour "r,g,b" of screenshot $1 at frame pixel ($2, $3).
colour_at() {
  local x y
  read -r x y < <(at "$2" "$3")
  convert "$1" -format "%[fx:int(255*u.r)],%[fx:int(255*u.g)],%[fx:int(255*u.b)]" \
    -crop "1x1+$x+$y" info:
}
dark() { local c; c=$(colour_at "$@"); IFS=, read -r r g b <<<"$c"; poll_seen=$c; [ $((r + g + b)) -lt 150 ]; }
same() { cmp -s <(convert "$1" rgb:-) <(convert "$2" rgb:-); }
rest() {
  # shellcheck disable=SC2046
  xdotool mousemove $(at 790 10)
  sleep 0.5
}
window_shown() { xdotool search --onlyvisible --name '^VEXEL egyenes$' >/dev/null 2>&1; }
start() {
  xdotool mousemove 10 10
  (cd "$folder" && exec "$vexel" "$@") >"$work/out" 2>"$work/err" &
  program_pid=$!
  poll 20 "window" window_shown
  sleep 1
  click 400 40 # ends the intro
  rest
}
stop() {
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
}
# Screenshots until two in a row are the same (the frame at rest); the last into $1.
settled() {
  shoot "$work/a.png"
  local deadline=$(($(now_ms) + 6000))
  while true; do
    sleep 0.3
    shoot "$1"
    same "$work/a.png" "$1" && return 0
    cp "$1" "$work/a.png"
    [ "$(now_ms)" -lt "$deadline" ] || fail "the screen did not come to rest within 6 s"
  done
}

echo "the sharp picture: chapter 2 at rest"
start
settled "$work/sharp.png"

echo "O: the original picture enlarged, and O again: the sharp one"
xdotool key o
settled "$work/original.png"
same "$work/sharp.png" "$work/original.png" && fail "O changed nothing on the screen"
xdotool key o
settled "$work/again.png"
same "$work/sharp.png" "$work/again.png" || fail "the second O did not bring the same sharp picture back"

echo "a drag: vertex A from (300, 400) to (150, 250), in the figure's coordinates"
dark "$work/sharp.png" 150 250 && fail "(150, 250) is dark before the drag"
# shellcheck disable=SC2046
xdotool mousemove $(at 300 400)
sleep 0.2
xdotool mousedown 1
sleep 0.2
for step in 250,350 200,300 150,250; do
  # shellcheck disable=SC2046
  xdotool mousemove $(at "${step%,*}" "${step#*,}")
  sleep 0.15
done
xdotool mouseup 1
rest
settled "$work/dragged.png"
dark "$work/dragged.png" 150 250 || fail "vertex A is not at (150, 250) after the drag ($poll_seen)"

echo "a chapter button: VEXEL egyenes (chapter 9) is tinted"
before=$(colour_at "$work/dragged.png" 440 565)
click 485 570
rest
shoot "$work/chapter.png"
after=$(colour_at "$work/chapter.png" 440 565)
[ "$before" != "$after" ] || fail "the chapter button's tint did not show ($before)"

echo "the slider: a press near its bottom lowers the speed bar"
slider_before=$(colour_at "$work/chapter.png" 775 565)
click 775 585
rest
shoot "$work/slider.png"
slider_after=$(colour_at "$work/slider.png" 775 565)
[ "$slider_before" != "$slider_after" ] || fail "the slider's bar did not follow ($slider_before)"
stop

echo "--pixels: the original picture from the start"
start --pixels
settled "$work/pixels.png"
same "$work/pixels.png" "$work/original.png" || fail "--pixels does not show the original picture"
stop
echo "PASS"
