# End-to-end test support for the Windows program under Wine, sourced by the scripts of this
# folder after they set $wine_run (tests/windows/wine_run.sh) and $prefix: the shared session of
# tests/e2e/e2e_session.sh (a scratch folder $work, fail), whose end also ends the Wine processes
# of this test's screen; a screen of each size in turn; and wine_do.

# shellcheck source=../e2e/e2e_session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_session.sh"
# shellcheck source=../e2e/e2e_wait.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_wait.sh"

# this screen's Wine processes end with the test (the prefix's server stays for the next)
session_ends() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }

# Runs the script again under xvfb-run on a screen of each size in $1 ("800x600 1920x1080"), one
# after the other, once wine and the tools named before "--" are found; inside a screen it makes
# the scratch folder and returns ($VEXEL_E2E_INSIDE_XVFB names the screen).
# Usage: on_wine_screens "800x600" xdotool import -- "$@"
on_wine_screens() {
  local sizes=$1 size tool
  shift
  local tools=(xvfb-run wine)
  while [ "$1" != -- ]; do
    tools+=("$1")
    shift
  done
  shift
  if [ -n "${VEXEL_E2E_INSIDE_XVFB:-}" ]; then
    scratch
    return 0
  fi
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 1; }
  done
  for size in $sizes; do
    # -br: a black root window, so what is left after the program is black
    env VEXEL_E2E_INSIDE_XVFB="$size" xvfb-run -a -s "-screen 0 ${size}x24 -br -noreset -nolisten tcp" \
      "$0" "$@" || exit 1
  done
  exit 0
}

# Runs a Windows program in the prefix. Wine reads Unix file names in the locale's character set,
# and shows its own texts in the locale's language: C.UTF-8 (every Debian has it) gives UTF-8
# names and an English Windows.
wine_do() { env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=C.UTF-8 "$wine_run" "$prefix" "$@"; }
