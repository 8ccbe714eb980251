#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demonstration need, if any is
# missing. As root it calls apt-get directly; as a normal user it uses sudo.
# Usage: deps.sh [fuzz] [windows]   (fuzz: also the clang the libFuzzer targets are built with;
# windows: the cross compiler, Wine, NSIS and GoogleTest's sources of the Windows build)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libpng-dev
  librsvg2-bin fonts-dejavu-core fontconfig console-setup-linux
  # xmllint: the figure's SVG drawing is checked well-formed
  libxml2-utils
  xvfb xauth xdotool imagemagick
  # the frame counter of bench/pacing.sh
  libxdamage-dev
  # the X core fonts: SDL's message boxes on X11 cannot show without them
  xfonts-base
  # cpack -G DEB: dpkg-shlibdeps computes the package's Depends, file finds the binaries
  dpkg-dev file
  # the page for web browsers (./web.sh) and its test in headless Chromium
  emscripten chromium nodejs npm
)
for wanted in "$@"; do
  case "$wanted" in
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    # the Windows program: cross-built, run and tested under Wine (64-bit only), packed by NSIS
    windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64 nsis googletest) ;;
    *) echo "deps.sh: unknown set $wanted (fuzz, windows)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  # a Node.js from elsewhere (NodeSource) brings its own npm and conflicts with Debian's
  if [ "$p" = npm ] && command -v npm >/dev/null; then continue; fi
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  command -v sudo >/dev/null || { echo "error: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
