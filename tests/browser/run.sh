#!/usr/bin/env bash
# Runs the browser test of the page (build/web) in headless Chromium; the native release build
# gives the checker and the four files.
# Usage: tests/browser/run.sh [page folder] [release build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
page=${1:-$root/build/web}
release=${2:-$root/build/release}

[ -f "$page/index.html" ] || { echo "error: no page in $page (run ./web.sh --no-serve)" >&2; exit 1; }
checker=$release/tests/e2e/vexel_e2e_check
[ -x "$checker" ] || { echo "error: $checker is missing (build the release preset)" >&2; exit 1; }
command -v chromium >/dev/null || { echo "error: chromium is not installed (scripts/deps.sh)" >&2; exit 1; }

node_dir=$("$root/scripts/playwright.sh")
VEXEL_NODE_DIR=$node_dir exec node "$root/tests/browser/page_test.mjs" "$page" "$checker" \
  "$release/run" "$root/build/browser-test"
