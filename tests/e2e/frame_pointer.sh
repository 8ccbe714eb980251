# shellcheck shell=bash
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
