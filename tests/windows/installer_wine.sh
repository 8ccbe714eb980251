#!/usr/bin/env bash
# The installer under Wine on Xvfb: a silent install (/S) for the current user puts the program,
# its files, an uninstaller and the Start-menu entry "VEXEL egyenes" in place; the installed
# program, started from another folder, still runs after 15 s with no box; the silent uninstall
# leaves nothing behind (folder, Start-menu entry, uninstall registration).
# Usage: installer_wine.sh <wine_run.sh> <prefix> <vexel-...-setup.exe>
set -euo pipefail

wine_run=$1
prefix=$2
setup=$3

[ -f "$setup" ] || { echo "error: $setup is missing: run cpack in the build folder" >&2; exit 1; }
# shellcheck source=wine_session.sh
. "$(dirname "$0")/wine_session.sh"
on_screen 800x600 wine xdotool -- "$@"

# A folder of the Windows environment as a Unix path.
unix_folder() {
  local windows
  windows=$(wine_do cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')
  WINEPREFIX=$prefix winepath -u "$windows" 2>/dev/null
}
installed=$(unix_folder LOCALAPPDATA)/Programs/VEXEL\ egyenes
shortcut=$(unix_folder APPDATA)/Microsoft/Windows/Start\ Menu/Programs/VEXEL\ egyenes.lnk
registered() { wine_do reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vexel' >/dev/null 2>&1; }
# a leftover of an earlier run would hide what this one installs
[ ! -e "$installed" ] || fail "$installed exists before the install"

echo "silent install for the current user"
wine_do "$setup" /S >"$work/out" 2>"$work/err" || fail "the installer failed"
installed_fully() { [ -f "$installed/vexel.exe" ] && [ -f "$installed/Uninstall.exe" ]; }
poll 60 "the installed program" installed_fully
for file in vexel.exe menu.vex menu@2.vex menu@3.vex sugo.vex sugo@3.vex vex.vex vex@3.vex \
  Fonts.fnt README.txt en/menu.vex en/menu@2.vex en/sugo.vex en/sugo@2.vex en/vex.vex; do
  [ -f "$installed/$file" ] || fail "$file is not installed"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
registered || fail "no uninstall registration"
echo "  installed files:"
(cd "$installed" && find . -type f | sort | sed 's/^/    /')

echo "the installed program, started from another folder, runs 15 s with no box"
elsewhere=$work/elsewhere
mkdir "$elsewhere"
windows_exe=$(WINEPREFIX=$prefix winepath -w "$installed/vexel.exe" 2>/dev/null)
(cd "$elsewhere" && wine_do "$windows_exe") >"$work/out" 2>"$work/err" &
program_pid=$!
window_shows() { xdotool search --onlyvisible --name '^VEXEL egyenes$' >/dev/null 2>&1; }
poll 60 "the program's window" window_shows
sleep 15
kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
others=$(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | grep -v '^VEXEL egyenes$' || true)
[ -z "$others" ] || fail "a box is shown: $others"
echo "  still running, no box"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true

echo "silent uninstall leaves nothing"
wine_do "$installed/Uninstall.exe" /S >"$work/out" 2>"$work/err" || fail "the uninstaller failed"
# the uninstaller runs on from a copy of itself and returns at once
all_gone() { [ ! -e "$installed" ] && [ ! -e "$shortcut" ] && ! registered; }
poll 60 "everything removed" all_gone
echo "PASS"
