#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers with clang-14 into build/fuzz.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
command -v clang++-14 >/dev/null || { echo "error: clang++-14 is needed (apt-get install clang-14 libclang-rt-14-dev)" >&2; exit 1; }
cmake -S "$root/tests/fuzz/standalone" -B "$root/build/fuzz" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build/fuzz" -j "${JOBS:-2}"
