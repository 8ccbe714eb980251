#!/usr/bin/env bash
# A program on the SDL backend started without any display must end at once with a clear
# message on standard error and a non-zero exit code, not run with an invisible window; one
# whose display goes away must end too.
# Exit 77 (skipped) when a display device is usable without a display server (KMS/DRM), since
# then there is a display after all.
# Usage: no_display.sh <orla_e2e_probe>
set -euo pipefail

probe=$1
for card in /dev/dri/card*; do
  if [ -r "$card" ] && [ -w "$card" ]; then
    echo "a display device ($card) is usable: no-display test skipped"
    exit 77
  fi
done

err=$(mktemp)
trap 'rm -f "$err" "$err.out"' EXIT
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR=/nonexistent \
  timeout 30 "$probe" >/dev/null 2>"$err" || status=$?
cat "$err"
if [ "$status" -eq 0 ] || [ "$status" -eq 124 ]; then
  echo "FAIL: exit code $status without a display (124: still running after 30 s)" >&2
  exit 1
fi
grep -q "cannot open a window: no display is available" "$err" ||
  { echo "FAIL: no clear message on standard error" >&2; exit 1; }
echo "PASS: exit code $status without a display"

# A display that goes away under a running program (a user logs out, the X server ends) must
# end it too, however the loss reaches it: several tries, since that varies.
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: lost-display part skipped"; exit 0; }
for try in 1 2 3 4 5; do
  exec 3< <(Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp 2>/dev/null)
  server=$!
  read -r -t 20 display <&3 || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
  DISPLAY=:$display "$probe" >"$err.out" 2>"$err" &
  probe_pid=$!
  for _ in $(seq 100); do grep -q "^shown" "$err.out" && break; sleep 0.1; done
  grep -q "^shown" "$err.out" || { cat "$err"; echo "FAIL: no window on :$display" >&2; exit 1; }
  sleep "0.$((try * 3))"
  kill "$server"
  exec 3<&-
  for _ in $(seq 100); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$probe_pid" 2>/dev/null; then
    kill -9 "$probe_pid"
    echo "FAIL: try $try: still running 10 s after its display went away" >&2
    exit 1
  fi
  status=0
  wait "$probe_pid" || status=$?
  [ "$status" -ne 0 ] || { echo "FAIL: try $try: exit code 0 after losing the display" >&2; exit 1; }
done
echo "PASS: ended each time its display went away"
