#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite in the release build and in
# the sanitizer build (ASan + UBSan).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
jobs=$(nproc)
for preset in release sanitize; do
  echo "=== $preset build ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "=== all tests passed in the release and the sanitizer builds ==="
