# End-to-end test support for the Windows program under Wine, sourced by the scripts of this
# folder after they set $wine_run (tests/windows/wine_run.sh) and $prefix: the shared session of
# tests/e2e/e2e_session.sh (on_screen, a scratch folder $work, fail), whose end also ends the Wine
# processes of this test's screen; and wine_do.

# shellcheck source=../e2e/e2e_session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_session.sh"
# shellcheck source=../e2e/e2e_wait.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_wait.sh"

# this screen's Wine processes end with the test (the prefix's server stays for the next)
session_ends() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }

# Runs a Windows program in the prefix. Wine reads Unix file names in the locale's character set,
# and shows its own texts in the locale's language: C.UTF-8 (every Debian has it) gives UTF-8
# names and an English Windows.
wine_do() { env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=C.UTF-8 "$wine_run" "$prefix" "$@"; }
