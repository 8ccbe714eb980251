#!/usr/bin/env bash
# Measures the page (build/web, made by ./web.sh --no-serve) in headless Chromium while the
# point turns, at device pixel ratio 1 and 2 (beside a bare Canvas 2D page drawing the same figure).
# Usage: bench/page_bench.sh [seconds]
# Ends with 1 when a figure misses its bar, 2 on an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/page_bench.sh [seconds to watch, default 10]" >&2; exit 2; }
[ -f "$root/build/web/index.html" ] || { echo "error: no page in build/web (run ./web.sh --no-serve)" >&2; exit 2; }
node_dir=$("$root/scripts/playwright.sh")
VEXEL_NODE_DIR=$node_dir exec node "$root/bench/page_bench.mjs" "$root/build/web" "$seconds"
