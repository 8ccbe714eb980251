#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers with clang-14 into build/fuzz.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
# installs clang-14 and the rest of the build's packages when any is missing
"$root/scripts/deps.sh" fuzz
cmake -S "$root/tests/fuzz/standalone" -B "$root/build/fuzz" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build/fuzz" -j "${JOBS:-2}"
