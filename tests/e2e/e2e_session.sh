# End-to-end test support, sourced by the scripts that run the program on a virtual screen: the
# script runs again inside a screen of its own, with a scratch folder that is removed (and the
# program ended) at exit, and fail (report with the program's errors and exit 1).

# Runs the script again under xvfb-run on a screen of $1 (WxH; several, "800x600 1920x1080": on
# each in turn, $VEXEL_E2E_INSIDE_XVFB naming it inside), once the tools named before "--" are
# found; inside a screen it makes the scratch folder and returns. Exit 77 (skipped) only when
# xvfb-run is missing.
# Usage: on_screen 800x600 xdotool import -- "$@"
on_screen() {
  local sizes=$1 size tool
  shift
  local tools=()
  while [ "$1" != -- ]; do
    tools+=("$1")
    shift
  done
  shift
  if [ -n "${VEXEL_E2E_INSIDE_XVFB:-}" ]; then
    scratch
    return 0
  fi
  if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is not installed: end-to-end test skipped"
    exit 77
  fi
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 1; }
  done
  # -br: a black root window, so what is left after the program is black
  for size in $sizes; do
    env VEXEL_E2E_INSIDE_XVFB="$size" xvfb-run -a -s "-screen 0 ${size}x24 -br -noreset -nolisten tcp" \
      "$0" "$@" || exit
  done
  exit 0
}

# The scratch folder $work (the program's folder $folder inside it); the program whose pid is in
# $program_pid is ended at exit.
scratch() {
  work=$(mktemp -d)
  folder=$work/run
  program_pid=
  trap cleanup EXIT
}
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null || true
    sleep 1
    kill -9 "$program_pid" 2>/dev/null || true
  fi
  # what else a script's session started (its definition replaces this one)
  session_ends
  rm -rf "$work"
}
session_ends() { :; }

fail() {
  echo "FAIL: $*" >&2
  echo "--- program errors" >&2
  cat "$work/err" >&2 2>/dev/null || true
  exit 1
}
