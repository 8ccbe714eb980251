#!/usr/bin/env bash
# Installs what is missing, builds the release, and starts the demonstration.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake --preset release
# only what the program needs: the program, its pictures and its font
cmake --build --preset release --target vexel vexel_pictures orla_font
# the program reads its four files from the folder it runs in
cd build/release/run
exec ./vexel "$@"
