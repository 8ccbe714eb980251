#!/usr/bin/env bash
# End-to-end test of vexel.exe under Wine on Xvfb, driven by xdotool and checked by screenshots
# in RGB565 terms (vexel_e2e_check of the native build): with "menu.vex" missing the "I/O ERROR"
# box shows and the program ends with exit code 1; then a session in a folder named with
# Hungarian letters under an English desktop (the pictures of en/): the intro, a press that ends
# it, the circumcircle of chapter 2, a dragged vertex, help and back, and the exit button (exit
# code 0, no box, nothing left on the screen), and + and - on the speed; then a start with a
# figure line (--figure) whose figure Ctrl+S saves into the Pictures folder as a PNG and an SVG.
# Then on a screen of 1920 x 1080: the frame drawn at the size it is shown (1440 x 1080), not the
# 800 x 600 one enlarged; O switches to that one and back; a drag, a chapter button and the
# slider work in the figure's own coordinates.
# Usage: vexel_wine_e2e.sh <wine_run.sh> <prefix> <vexel.exe> <vexel_e2e_check>
set -euo pipefail

wine_run=$1
prefix=$2
vexel=$3
check=$4

[ -x "$check" ] || { echo "error: $check is missing: build the release preset first" >&2; exit 1; }
# shellcheck source=wine_session.sh
. "$(dirname "$0")/wine_session.sh"
on_screen "800x600 1920x1080" wine xdotool import convert -- "$@"

shot_at=0
screen_shows() {
  local result
  shot_at=$(now_ms)
  if import -window root -depth 8 "rgb:$work/shot.rgb" &&
    result=$("$check" "$work/shot.rgb" "$@"); then
    echo "  $result"
    return 0
  fi
  poll_seen=$result
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended while waiting for: $*"
  return 1
}
expect() {
  poll 60 "screen passing: $*" screen_shows "$@"
}
click() {
  xdotool mousemove "$1" "$2"
  sleep 0.1
  xdotool mousedown 1
  sleep 0.2
  xdotool mouseup 1
}
window_named() {
  xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
# Starts vexel.exe in folder $1 with the arguments after it; standard error goes to $work/err.
start() {
  local folder=$1
  shift
  (cd "$folder" && wine_do ./vexel.exe "$@") >"$work/out" 2>"$work/err" &
  program_pid=$!
}
# Waits for the program's end and checks its exit code.
ended_with() {
  poll 30 "end of the program" program_ended
  local status=0
  wait "$program_pid" || status=$?
  program_pid=
  [ "$status" -eq "$1" ] || fail "exit code $status, expected $1"
  echo "  exit code $status"
}

run_dir=$(dirname "$vexel")

if [ "$VEXEL_E2E_INSIDE_XVFB" = 1920x1080 ]; then
  echo "a screen of 1920 x 1080: the frame drawn at 1440 x 1080"
  folder=$work/large
  mkdir -p "$folder/en"
  cp "$vexel" "$run_dir"/*.vex "$run_dir/Fonts.fnt" "$folder/"
  cp "$run_dir"/en/*.vex "$folder/en/"
  # Screen position of frame pixel ($1, $2): the picture is 1440 x 1080 at x = 240.
  at() { echo $((240 + (2 * $1 + 1) * 1440 / 1600)) $(((2 * $2 + 1) * 1080 / 1200)); }
  shoot() { import -window root "$1"; }
  same() { cmp -s <(convert "$1" rgb:-) <(convert "$2" rgb:-); }
  # The colour "r,g,b" of screenshot $1 at frame pixel ($2, $3).
  colour_at() {
    local x y
    read -r x y < <(at "$2" "$3")
    convert "$1" -format "%[fx:int(255*u.r)],%[fx:int(255*u.g)],%[fx:int(255*u.b)]" \
      -crop "1x1+$x+$y" info:
  }
  # The share of the picture's columns equal to the column left of them: 640 of 1440 (0.44) in
  # the 800 x 600 frame enlarged, next to none in a frame drawn at 1440 x 1080.
  repeated_columns() {
    convert "$1" -crop 1440x1080+240+0 +repage \( +clone -roll +1+0 \) -compose difference \
      -composite -threshold 0 -scale '1440x1!' -threshold 0 -format "%[fx:1-mean]" info:
  }
  below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
  drag() {
    # shellcheck disable=SC2046
    xdotool mousemove $(at "$1" "$2")
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    shift 2
    local step
    for step in "$@"; do
      # shellcheck disable=SC2046
      xdotool mousemove $(at "${step%,*}" "${step#*,}")
      sleep 0.15
    done
    xdotool mouseup 1
  }
  large_click() { drag "$1" "$2"; }
  rest() {
    # shellcheck disable=SC2046
    xdotool mousemove $(at 790 10)
  }
  # A screenshot into $1 once two in a row are the same (the frame at rest).
  at_rest() {
    shoot "$work/last.png"
    sleep 0.3
    shoot "$1"
    same "$work/last.png" "$1"
  }
  settled() { poll 20 "a screen at rest" at_rest "$1"; }
  # A screenshot into $1 whose colour at frame pixel ($2, $3) is not $4.
  changed_at() {
    shoot "$1"
    poll_seen=$(colour_at "$1" "$2" "$3")
    [ "$poll_seen" != "$4" ]
  }
  dark_at() {
    shoot "$1"
    poll_seen=$(colour_at "$1" "$2" "$3")
    local r g b
    IFS=, read -r r g b <<<"$poll_seen"
    [ $((r + g + b)) -lt 150 ]
  }

  xdotool mousemove 10 10
  start "$folder"
  poll 60 "the window" window_named '^VEXEL egyenes$'
  expect_intro() { shoot "$work/intro.png"; [ "$(colour_at "$work/intro.png" 400 300)" != 0,0,0 ]; }
  poll 60 "the intro" expect_intro
  large_click 400 40
  rest
  settled "$work/sharp.png"
  share=$(repeated_columns "$work/sharp.png")
  echo "  repeated columns: $share"
  below "$share" 0.2 || fail "the picture is the 800 x 600 frame enlarged ($share of its columns repeated)"

  echo "O: the original picture enlarged, and O again: the sharp one"
  xdotool key o
  is_original() { settled "$work/original.png" && ! same "$work/sharp.png" "$work/original.png"; }
  poll 20 "the original picture" is_original
  share=$(repeated_columns "$work/original.png")
  echo "  repeated columns: $share"
  below 0.35 "$share" || fail "O does not show the 800 x 600 frame enlarged ($share of its columns repeated)"
  xdotool key o
  is_sharp_again() { settled "$work/again.png" && same "$work/sharp.png" "$work/again.png"; }
  poll 20 "the same sharp picture again" is_sharp_again

  echo "a drag: vertex A from (300, 400) to (150, 250), in the figure's coordinates"
  dark_at "$work/sharp.png" 150 250 && fail "(150, 250) is dark before the drag"
  drag 300 400 250,350 200,300 150,250
  rest
  poll 20 "vertex A at (150, 250)" dark_at "$work/dragged.png" 150 250

  echo "a chapter button: VEXEL egyenes (chapter 9) is tinted"
  before=$(colour_at "$work/dragged.png" 440 565)
  large_click 485 570
  rest
  poll 20 "the chapter button's tint" changed_at "$work/chapter.png" 440 565 "$before"

  echo "the slider: a press near its bottom lowers the speed bar"
  before=$(colour_at "$work/chapter.png" 775 565)
  large_click 775 585
  rest
  poll 20 "the slider's bar lower" changed_at "$work/slider.png" 775 565 "$before"
  xdotool key ctrl+q
  ended_with 0
  echo "PASS"
  exit 0
fi

echo "\"menu.vex\" missing: the I/O ERROR box, then exit code 1"
missing=$work/missing
mkdir "$missing"
cp "$vexel" "$run_dir/sugo.vex" "$run_dir/vex.vex" "$run_dir/Fonts.fnt" "$missing/"
start "$missing"
poll 60 "the I/O ERROR box" window_named '^I/O ERROR$'
echo "  the box shows"
# its OK button has the focus
xdotool key Return
ended_with 1

echo "a session in a folder named with Hungarian letters, under an English desktop"
folder="$work/Kovács Őrs/Asztal/vexel"
mkdir -p "$folder/en"
cp "$vexel" "$run_dir/menu.vex" "$run_dir/sugo.vex" "$run_dir/vex.vex" "$run_dir/Fonts.fnt" "$folder/"
cp "$run_dir/en/menu.vex" "$run_dir/en/sugo.vex" "$run_dir/en/vex.vex" "$folder/en/"
pictures=$folder/en
xdotool mousemove 400 40
start "$folder"
poll 60 "the window" window_named '^VEXEL egyenes$'
expect intro "$pictures"

echo "a press ends the intro: chapter 2, the circle through the three vertices"
click 400 40
expect panel "$pictures" 2 0
expect circumcircle 0xA000 80 100 300 400 550 405 420 150

echo "dragging vertex 1 from (300, 400) to (200, 300): the circle follows"
xdotool mousemove 300 400
sleep 0.1
xdotool mousedown 1
sleep 0.2
xdotool mousemove 250 350
sleep 0.1
xdotool mousemove 200 300
expect disc 200 300 3 0x8410
xdotool mouseup 1
sleep 0.1
xdotool mousemove 700 60
expect disc 200 300 3 0x0020
# part of the larger circle lies under the panel
expect circumcircle 0xA000 60 100 200 300 550 405 420 150

echo "help: button 11 shows it; a press on button 4 only returns"
click 595 570
expect help "$pictures"
click 259 527
expect panel "$pictures" 2 4

echo "the pedal-line chapter: + and - as typed (the character Windows makes of the key) step the speed"
click 485 570
xdotool mousemove 700 60
expect panel "$pictures" 9 0
xdotool key plus
expect panel "$pictures" 9 0 45
xdotool key minus
xdotool key minus
expect panel "$pictures" 9 0 35

echo "button 1 ends the program after the fade-out, with no box"
click 47 544
ended_with 0
window_named . && fail "a window is left: $(xdotool search --onlyvisible --name . getwindowname %@)"
import -window root -depth 8 "rgb:$work/shot.rgb"
"$check" "$work/shot.rgb" black >/dev/null || fail "something is left on the screen"

echo "--figure: the incircle chapter of the line's triangle; Ctrl+S saves it into Pictures"
pictures_folder=$(find "$prefix/drive_c/users" -mindepth 2 -maxdepth 2 -name Pictures | head -1)
[ -n "$pictures_folder" ] || fail "the prefix has no Pictures folder"
# Wine links the prefix's Pictures to the home folder: the test's files go into a folder of the
# prefix's own instead, never into the home folder
if [ -L "$pictures_folder" ]; then
  rm "$pictures_folder"
  mkdir "$pictures_folder"
fi
saved() { ls "$pictures_folder/" | grep -c '^vexel-incircle-[0-9]\{8\}-[0-9]\{6\}\(-[0-9]*\)\?\.\(png\|svg\)$' || true; }
saved_before=$(saved)
xdotool mousemove 400 40
start "$folder" --figure 'A=200,300;B=650,405;C=420,100;ch=3'
poll 60 "the window" window_named '^VEXEL egyenes$'
expect intro "$pictures"
click 400 40
expect panel "$pictures" 3 0
expect ring 0x0500 80 100 200 300 650 405 420 100
xdotool key ctrl+s
saved_now() { [ "$(saved)" -eq $((saved_before + 2)) ]; }
poll 20 "a PNG and an SVG in $pictures_folder" saved_now
echo "  $(ls -t "$pictures_folder" | head -2 | tr '\n' ' ')"
xdotool key ctrl+q
ended_with 0
rm -f "$pictures_folder"/vexel-incircle-*
echo "PASS"
