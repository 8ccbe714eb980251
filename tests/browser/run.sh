#!/usr/bin/env bash
# Runs the browser test of the page (build/web) in headless Chromium. Installs the npm package
# playwright-core into build/node when it is not there; the native release build gives the
# checker and the four files.
# Usage: tests/browser/run.sh [page folder] [release build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
page=${1:-$root/build/web}
release=${2:-$root/build/release}
node_dir=$root/build/node
# the newest playwright-core that runs on Debian 12's Node.js 18
playwright=1.56.1

[ -f "$page/index.html" ] || { echo "error: no page in $page (run ./web.sh --no-serve)" >&2; exit 1; }
checker=$release/tests/e2e/vexel_e2e_check
[ -x "$checker" ] || { echo "error: $checker is missing (build the release preset)" >&2; exit 1; }
command -v chromium >/dev/null || { echo "error: chromium is not installed (scripts/deps.sh)" >&2; exit 1; }

installed=$(node -p "require('$node_dir/node_modules/playwright-core/package.json').version" 2>/dev/null || true)
if [ "$installed" != "$playwright" ]; then
  echo "installing playwright-core $playwright into $node_dir"
  mkdir -p "$node_dir"
  [ -f "$node_dir/package.json" ] || echo '{ "private": true }' >"$node_dir/package.json"
  npm install --prefix "$node_dir" --no-audit --no-fund --save-exact "playwright-core@$playwright"
fi

VEXEL_NODE_DIR=$node_dir exec node "$root/tests/browser/page_test.mjs" "$page" "$checker" \
  "$release/run" "$root/build/browser-test"
