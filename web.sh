#!/usr/bin/env bash
# Installs what is missing, builds the page (the demonstration for web browsers, WebAssembly) into
# build/web/ (with vexel-egyenes.html, the page in one file) and serves that folder at
# http://127.0.0.1:8000/.
# Usage: ./web.sh [--port N] [--no-serve]
set -euo pipefail
cd "$(dirname "$0")"

port=8000
serve=1
while [ $# -gt 0 ]; do
  case "$1" in
    --port) [ $# -ge 2 ] || { echo "error: --port needs a number" >&2; exit 2; }; port=$2; shift 2 ;;
    --port=*) port=${1#--port=}; shift ;;
    --no-serve) serve=0; shift ;;
    -h | --help) sed -n '2,4p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "error: unknown option $1 (--port N, --no-serve)" >&2; exit 2 ;;
  esac
done
case "$port" in '' | *[!0-9]*) echo "error: not a port number: $port" >&2; exit 2 ;; esac

scripts/deps.sh
# the page packs the program's four files, made by the native build's asset step
cmake --preset release
cmake --build --preset release --target vexel_pictures orla_font
cmake --preset web
cmake --build --preset web
# the program again with WebAssembly SIMD, which the page loads where the browser can run it: the
# same JavaScript drives both, so the two builds must agree on it
cmake --preset web-simd
cmake --build --preset web-simd
if ! cmp -s build/web/index.js build/web-simd/index.js; then
  echo "error: the SIMD build's index.js differs from the plain build's" >&2
  exit 1
fi
cp build/web-simd/index.wasm build/web/index.simd.wasm
# the program's files beside the page (gzip), the manifest, the service worker and the single file
node platform/browser/pack_page.mjs build/web build/release/run assets/vexel-icon.svg
echo "The page is in build/web/ (index.html and its files); any static web server can serve it."
echo "build/web/vexel-egyenes.html is the whole page in one file: it opens from a folder or a stick."
[ "$serve" -eq 1 ] || exit 0
exec node scripts/serve.mjs build/web "$port"
