# shellcheck shell=bash
# shellcheck disable=SC2154  # screen_w, screen_h and work belong to the sourcing script
# Pointing at the program's 800 x 600 frame shown full screen (letterboxed, proportions kept) on a
# screen of $screen_w x $screen_h, through xdotool. Sourced by the end-to-end tests and benchmarks.

# Screen position of frame pixel ($1, $2).
at() {
  local vw=$screen_w vh=$screen_h
  if [ $((screen_w * 600)) -gt $((screen_h * 800)) ]; then vw=$((screen_h * 800 / 600)); else
    vh=$((screen_w * 600 / 800)); fi
  echo $(((screen_w - vw) / 2 + (2 * $1 + 1) * vw / 1600)) $(((screen_h - vh) / 2 + (2 * $2 + 1) * vh / 1200))
}

# A click at frame pixel ($1, $2) as a user makes it: move, press, release.
click() {
  # shellcheck disable=SC2046
  xdotool mousemove $(at "$1" "$2")
  sleep 0.1
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.1
}

# Starts the program (the command after $1 and $2) in folder $1, its output in $work/out and
# $work/err, waits up to $2 s for its window, then as a user does ends the intro, opens the
# pedal-line chapter and starts the travelling point. Sets program_pid.
start_point_turning() {
  local folder=$1 wait_s=$2 started
  shift 2
  xdotool mousemove 10 10
  (cd "$folder" && exec "$@") >"$work/out" 2>"$work/err" &
  program_pid=$!
  started=$(($(date +%s%N) / 1000000))
  until xdotool search --onlyvisible --name '^VEXEL egyenes$' >/dev/null 2>&1; do
    kill -0 "$program_pid" 2>/dev/null || { echo "error: $1 ended: $(cat "$work/err")" >&2; exit 2; }
    [ $(($(date +%s%N) / 1000000 - started)) -lt $((wait_s * 1000)) ] ||
      { echo "error: no window after $wait_s s" >&2; exit 2; }
    sleep 0.1
  done
  sleep 1
  click 400 40   # ends the intro
  click 485 570  # chapter 9, the pedal line
  click 735 546  # start: the point accelerates to the slider's speed
  # shellcheck disable=SC2046
  xdotool mousemove $(at 790 10)
}
