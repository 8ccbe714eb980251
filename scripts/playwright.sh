#!/usr/bin/env bash
# Installs the npm package playwright-core (which drives Debian's chromium) into build/node when
# it is not there, and prints that folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
node_dir=$root/build/node
# the newest playwright-core that runs on Debian 12's Node.js 18
version=1.56.1
installed=$(node -p "require('$node_dir/node_modules/playwright-core/package.json').version" 2>/dev/null || true)
if [ "$installed" != "$version" ]; then
  echo "installing playwright-core $version into $node_dir" >&2
  mkdir -p "$node_dir"
  [ -f "$node_dir/package.json" ] || echo '{ "private": true }' >"$node_dir/package.json"
  npm install --prefix "$node_dir" --no-audit --no-fund --save-exact "playwright-core@$version" >&2
fi
echo "$node_dir"
