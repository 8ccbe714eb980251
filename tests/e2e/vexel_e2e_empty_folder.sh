#!/usr/bin/env bash
# The vexel program started in a folder without its files (and with none beside the executable,
# nor in ../share/vexel beside its folder): with a display it shows the I/O error
# box, which a user closes with Return, and ends with a non-zero exit code; without any display
# it puts its message on standard error and ends with a non-zero exit code. On a display where
# SDL cannot show a box (an X server without the core fonts) the message goes to the desktop's
# dialog programs (stand-ins here), and to standard error when there are none.
# Exit 77 (skipped) only when xvfb-run is missing.
# Usage: vexel_e2e_empty_folder.sh <vexel> <orla_e2e_check>
set -euo pipefail

vexel=$1
check=$2

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
. "$(dirname "$0")/e2e_wait.sh"

# the built program has its files beside it: a copy in a folder of its own has none
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
cp "$vexel" "$alone/vexel"
vexel=$alone/vexel

if [ -z "${VEXEL_E2E_INSIDE_XVFB:-}" ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is not installed: end-to-end test skipped"
    exit 77
  fi
  command -v xdotool >/dev/null || { echo "error: xdotool is not installed" >&2; exit 1; }

  echo "no display: the message goes to standard error"
  usable_card=
  for card in /dev/dri/card*; do
    if [ -r "$card" ] && [ -w "$card" ]; then usable_card=$card; fi
  done
  if [ -n "$usable_card" ]; then
    # a display device usable without a display server is a display after all
    echo "  skipped: $usable_card is usable"
  else
    empty=$(mktemp -d)
    status=0
    (cd "$empty" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
      XDG_RUNTIME_DIR=/nonexistent timeout 30 "$vexel") >/dev/null 2>"$empty.err" || status=$?
    message=$(cat "$empty.err")
    rm -rf "$empty" "$empty.err"
    echo "$message" | sed 's/^/  | /'
    if [ "$status" -eq 0 ] || [ "$status" -eq 124 ]; then
      echo "FAIL: exit code $status without a display (124: still running after 30 s)" >&2
      exit 1
    fi
    grep -q "no display is available" <<<"$message" ||
      { echo "FAIL: no message on standard error" >&2; exit 1; }
    echo "  exit code $status"
  fi
  status=0
  env VEXEL_E2E_INSIDE_XVFB=no-fonts xvfb-run -a \
    -s "-screen 0 800x600x24 -br -noreset -nolisten tcp -fp built-ins" "$0" "$@" || status=$?
  [ "$status" -eq 0 ] || exit "$status"
  env VEXEL_E2E_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 800x600x24 -br -noreset -nolisten tcp" \
    "$0" "$@" || status=$?
  exit "$status"
fi

if [ "$VEXEL_E2E_INSIDE_XVFB" = no-fonts ]; then
  echo "no X core fonts, so no box from SDL: the desktop's dialog programs"
  stand_ins=$(mktemp -d)
  trap 'rm -rf "$alone" "$stand_ins"' EXIT
  # stand-ins that log their name and first arguments and close at once, as a user pressing OK;
  # no zenity among them: SDL tries zenity itself before it gives up
  for program in kdialog xmessage; do
    printf '#!/bin/sh\necho "%s $1 $2 $3" >>"%s/log"\nexit 0\n' "$program" "$stand_ins" \
      >"$stand_ins/$program"
    chmod +x "$stand_ins/$program"
  done
  # Runs the program in an empty folder with PATH=$1 (only the stand-ins that are there).
  run_alone() {
    local status=0 folder
    folder=$(mktemp -d)
    rm -f "$stand_ins/log"
    (cd "$folder" && timeout 60 env PATH="$1" "$vexel") >/dev/null 2>"$stand_ins/err" || status=$?
    rm -rf "$folder"
    [ "$status" -ne 124 ] || fail "the program still runs after 60 s (a box nobody sees?)"
    [ "$status" -ne 0 ] || fail "exit code 0 after the error"
  }
  # Runs the program and expects the one dialog line $1 in the log, nothing on standard error.
  shown_by() {
    run_alone "$stand_ins"
    echo "  $(cat "$stand_ins/log" 2>/dev/null)"
    [ "$(cat "$stand_ins/log" 2>/dev/null)" = "$1" ] || fail "not shown by: $1"
    [ ! -s "$stand_ins/err" ] || fail "the message went to standard error too: $(cat "$stand_ins/err")"
  }
  shown_by "kdialog --title I/O ERROR --error"
  rm "$stand_ins/kdialog"
  shown_by "xmessage -title I/O ERROR -buttons"
  rm "$stand_ins/xmessage"
  run_alone "$stand_ins"
  [ ! -e "$stand_ins/log" ] || fail "a dialog program that is not there was asked"
  grep -q "I/O ERROR" "$stand_ins/err" || fail "without dialog programs, nothing on standard error"
  echo "  none installed: $(head -1 "$stand_ins/err") on standard error"
  exit 0
fi

echo "a display: the I/O error box, closed with Return"
empty=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null || true
    sleep 1
    kill -9 "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$empty" "$alone"
}
trap cleanup EXIT

(cd "$empty" && exec "$vexel") >/dev/null 2>"$empty/.err" &
program_pid=$!
box=
# True when the I/O error box is viewable; sets box to its window.
box_shown() {
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended without an \"I/O ERROR\" box"
  box=$("$check" window "I/O ERROR" | awk '$2 == "viewable" {print $1; exit}') && [ -n "$box" ]
}
poll 30 'viewable "I/O ERROR" box' box_shown
state=$("$check" window "VEXEL egyenes" | awk '{print $2}') || true
[ "$state" != viewable ] || fail "the program's window covers the box"
xdotool windowfocus "$box"
xdotool key Return
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
poll 10 "end of the program after its error box was closed" program_ended
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -ne 0 ] || { echo "FAIL: exit code 0 after the error" >&2; exit 1; }
echo "  exit code $status"
echo "PASS"
