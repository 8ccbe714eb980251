#!/usr/bin/env bash
# A program on the SDL backend started without any display must end at once with a clear
# message on standard error and a non-zero exit code, not run with an invisible window.
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
trap 'rm -f "$err"' EXIT
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
echo "PASS: exit code $status"
