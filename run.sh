#!/usr/bin/env bash
# Installs what is missing, builds the release, and starts the demonstration.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake --preset release
cmake --build --preset release
run_dir=build/release/run
if [ -x "$run_dir/vexel" ]; then
  cd "$run_dir"
  exec ./vexel "$@"
fi
echo "Built everything; the demonstration program is not part of this build yet." >&2
echo "When it is, this command starts $run_dir/vexel from its folder." >&2
