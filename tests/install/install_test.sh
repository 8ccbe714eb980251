#!/usr/bin/env bash
# Install test of the library: installs the liborla-dev component of this build into a temporary
# prefix and uses it as another project would. Every installed header compiles on its own
# (C++17, no SDL, nothing from inside the tree); the example builds with find_package(orla)
# (SDL backend, and headless with the libraries named backend first) and with pkg-config
# (orla-sdl, orla-headless); the headless builds run, ended once by a key and once by the close
# button, and their presented frame must show the picture and the caption.
# Usage: install_test.sh <build dir> <source dir> <frame_check> <orla_imgconv> <rsvg-convert>
#                        [compiler and linker flags of this build, e.g. the sanitizers]
set -euo pipefail

build=$1
source=$2
check=$3
imgconv=$4
rsvg=$5
flags=${6:-}
example=$source/examples/sprite_window
caption="Hello from orla"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" --component liborla-dev >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install of the component liborla-dev"; }

# ---- the headers --------------------------------------------------------------------------------
[ -f "$prefix/include/orla/orla.hpp" ] || fail "no include/orla/orla.hpp in the install"
[ ! -e "$prefix/include/orla/backend.hpp" ] || fail "the backends' internal header is installed"
if grep -l 'SDL' "$prefix"/include/orla/*.hpp; then fail "an installed header names SDL"; fi
for header in "$prefix"/include/orla/*.hpp; do
  name=$(basename "$header")
  echo "#include <orla/$name>" | g++ -std=c++17 -Wall -Wextra -Wpedantic -Werror -fsyntax-only \
    -I"$prefix/include" -x c++ - || fail "the installed header $name does not compile on its own"
done

# ---- the picture the example shows --------------------------------------------------------------
"$rsvg" --format=png --output="$work/badge.png" "$example/badge.svg"
"$imgconv" to-sprite "$work/badge.png" "$work/badge.vex" >/dev/null
font=$prefix/share/orla/Fonts.fnt
[ -f "$font" ] || fail "the package has no font at share/orla/Fonts.fnt"

# ---- builds against the installed package -------------------------------------------------------
# only this prefix: nothing may be found in the build tree or elsewhere
cmake -S "$source/tests/install/consumer" -B "$work/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
  -DORLA_EXAMPLE_DIR="$example" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  >"$work/cmake.log" || { cat "$work/cmake.log" >&2; fail "configuring against find_package(orla)"; }
cmake --build "$work/cmake" -j2 >"$work/build.log" ||
  { cat "$work/build.log" >&2; fail "building against find_package(orla)"; }
[ -x "$work/cmake/example/sprite_window" ] || fail "the example's own CMake project built nothing"

export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name orla-headless.pc)")
[ "$(pkg-config --variable=fontfile orla-headless)" -ef "$font" ] ||
  fail "pkg-config's fontfile is not the installed font"
# shellcheck disable=SC2046,SC2086  # the flags are lists of words
g++ -std=c++20 $flags -o "$work/pc_headless" "$example/sprite_window.cpp" \
  "$source/tests/install/consumer/frame_capture.cpp" $(pkg-config --cflags --libs orla-headless) ||
  fail "building with pkg-config orla-headless"
if pkg-config --exists orla-sdl; then
  # shellcheck disable=SC2046,SC2086
  g++ -std=c++20 $flags -o "$work/pc_sdl" "$example/sprite_window.cpp" \
    $(pkg-config --cflags --libs orla-sdl) || fail "building with pkg-config orla-sdl"
fi

# ---- runs on the headless backend ---------------------------------------------------------------
run() {
  local program=$1 close=$2 tag
  tag=$(basename "$program")-$close
  ORLA_CAPTURE=$work/$tag.vex ORLA_CAPTURE_CLOSE=$close timeout 60 \
    "$program" "$work/badge.vex" "$font" "$caption" >"$work/$tag.out" 2>&1 ||
    { cat "$work/$tag.out" >&2; fail "$tag ended with an error"; }
  # a message box on the headless backend goes to standard error (a memory report, for one)
  [ ! -s "$work/$tag.out" ] || { cat "$work/$tag.out" >&2; fail "$tag said something"; }
  "$check" "$work/$tag.vex" "$work/badge.vex" "$font" "$caption" || fail "$tag: the frame"
}
run "$work/cmake/sprite_window_headless" key
run "$work/cmake/sprite_window_headless" button
run "$work/pc_headless" key

# the check itself must see a wrong caption
if "$check" "$work/pc_headless-key.vex" "$work/badge.vex" "$font" "Hello from orca" 2>/dev/null; then
  fail "frame_check accepts a caption that is not in the frame"
fi
echo "install test passed"
