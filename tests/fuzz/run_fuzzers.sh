#!/usr/bin/env bash
# Runs each fuzz target for the given seconds (default 150) over its corpus and dictionary; new
# inputs go to build/fuzz/new/<target>, crashes to build/fuzz/crashes/<target>. Build first
# with build_fuzzers.sh. Usage: run_fuzzers.sh [SECONDS] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
fuzz="$root/tests/fuzz"
seconds="${1:-150}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(sprite pcx archive font figure_line)
# the targets write every input to a scratch file: memory-backed storage is much faster
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
status=0
for t in "${targets[@]}"; do
  mkdir -p "$root/build/fuzz/new/$t" "$root/build/fuzz/crashes/$t"
  echo "=== fuzz_$t for ${seconds}s ==="
  "$root/build/fuzz/fuzz_$t" "$root/build/fuzz/new/$t" "$fuzz/corpus/$t" \
    -dict="$fuzz/$t.dict" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
    -artifact_prefix="$root/build/fuzz/crashes/$t/" -print_final_stats=1 || status=1
done
exit $status
