#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite in the release build and in
# the sanitizer build (ASan + UBSan), then the Windows program (cross-built) under Wine, then the
# page (the WebAssembly build) in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh windows
jobs=$(nproc)
for preset in release sanitize; do
  echo "=== $preset build ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "=== the Windows build, tested under Wine ==="
cmake --preset windows
cmake --build --preset windows -j "$jobs"
ctest --preset windows
echo "=== the page in headless Chromium ==="
./web.sh --no-serve
tests/browser/run.sh
echo "=== all tests passed in the release, sanitizer and Windows builds and in the browser ==="
