#!/usr/bin/env bash
# Runs a Windows program under Wine in the build folder's own prefix, made on first use (a new
# prefix takes Wine about ten seconds; every later run reuses it). The exit code is the program's.
# Usage: wine_run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$prefix")"
# one maker at a time: tests started in parallel wait for the first to finish the prefix
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait
  fi
) 9>"$prefix.lock"
exec wine "$@"
