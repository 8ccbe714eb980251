#!/usr/bin/env bash
# Checks the project on a fresh Debian 12 machine: a minimal bookworm chroot (debootstrap
# --variant=minbase, kept as a pristine tarball under build/fresh) gets a copy of this working
# tree, runs the README's commands there, builds the Debian package, and installs that package in
# a second fresh chroot, where the installed program must start from /tmp. Run it as root before
# changing the build or the dependencies: a package installed by hand on the developer's machine
# hides a missing install step, and this machine has none installed.
# Usage: sudo scripts/fresh-check.sh [--keep]   (--keep: leave the chroots under build/fresh)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
fresh=$here/build/fresh
tarball=$fresh/bookworm-minbase.tar
mirror=http://deb.debian.org/debian
keep=false
[ "${1:-}" = --keep ] && keep=true

# The first chroot runs every command the README shows (its indented blocks), in one shell, in
# the order a reader takes them: the set-up first (it installs the packages), then the rest from
# the top. A few README lines are not commands to run as they stand (`not_run`, with the reason);
# a line that needs the user's desktop runs through a stand-in on a display of its own
# (`through`, in readme_step below). A README command the check does not know is simply run.
declare -A not_run=(
  ["sudo scripts/fresh-check.sh"]="this check itself"
  ["find_package(orla 1.0 CONFIG REQUIRED)"]="CMake code: examples/sprite_window/CMakeLists.txt uses it"
  ["target_link_libraries(my_program PRIVATE orla::graphics orla::platform_sdl)"]="CMake code, as above"
  ['g++ -std=c++20 my_program.cpp $(pkg-config --cflags --libs orla-sdl)']="a pattern: the example's pkg-config line is run"
)

# The README's indented lines, the set-up section's own first.
readme_commands() {
  awk '
    /^## /  { section = $0; sub_section = ""; blank = 1; next }
    /^### / { sub_section = $0; blank = 1; next }
    /^    [ ]*[^ ]/ && (blank || in_code) {
      line = $0; sub(/^ +/, "", line); in_code = 1
      if (section ~ /^## Set-up/ && sub_section == "") first[++n_first] = line
      else rest[++n_rest] = line
      next
    }
    { in_code = 0; blank = ($0 ~ /^[ ]*$/) }
    END {
      # ./test.sh ahead of ./run.sh: it installs every package, the stand-in display too
      for (i = 1; i <= n_first; ++i) if (first[i] == "./test.sh") print first[i]
      for (i = 1; i <= n_first; ++i) if (first[i] != "./test.sh") print first[i]
      for (i = 1; i <= n_rest; ++i) print rest[i]
    }' "$1"
}

die() {
  echo "fresh-check: FAIL: $*" >&2
  exit 1
}
say() { echo "=== fresh-check: $* ($(date +%T))"; }

[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, chroot and mounts)"
# the check's own tool, which the project's build does not need
command -v debootstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap ||
  die "cannot install debootstrap"
for tool in debootstrap chroot mount umount git tar; do
  command -v "$tool" >/dev/null || die "$tool is not installed"
done

roots=()
# Ends every process still running inside the chroot $1, then unmounts what was mounted there.
release_root() {
  local root=$1 link pid failed=0
  for link in /proc/[0-9]*/root; do
    pid=${link#/proc/}
    pid=${pid%/root}
    [ "$(readlink "$link" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null || true
  done
  for point in tmp dev/shm dev/pts dev sys proc; do
    if mountpoint -q "$root/$point"; then
      umount "$root/$point" || umount -l "$root/$point" || failed=1
    fi
  done
  [ "$failed" -eq 0 ] || echo "fresh-check: FAIL: cannot unmount everything under $root" >&2
  return "$failed"
}
cleanup() {
  local status=$? root
  for root in "${roots[@]}"; do
    release_root "$root" || status=1
    if ! $keep && ! grep -q " $root/" /proc/mounts; then rm -rf --one-file-system "$root"; fi
  done
  [ "$status" -eq 0 ] || echo "fresh-check: FAILED (exit code $status)" >&2
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The pristine system, made once: debootstrap's minimal bookworm with the release's updates.
make_tarball() {
  local tmp=$fresh/pristine.tmp
  say "making the pristine bookworm chroot (once)"
  if grep -q " $tmp/" /proc/mounts; then die "$tmp has mounts left"; fi
  rm -rf --one-file-system "$tmp"
  debootstrap --variant=minbase bookworm "$tmp" "$mirror" >"$fresh/debootstrap.log" 2>&1 ||
    die "debootstrap failed (see $fresh/debootstrap.log)"
  cat >"$tmp/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://security.debian.org/debian-security bookworm-security main
EOF
  tar -C "$tmp" -cf "$tarball.tmp" . && mv "$tarball.tmp" "$tarball"
  rm -rf --one-file-system "$tmp"
}

# Unpacks a fresh copy of the pristine system to $fresh/$1 and mounts what a running system has.
new_root() {
  local root=$fresh/$1 point
  if grep -q " $root/" /proc/mounts; then die "$root still has mounts from an earlier run"; fi
  rm -rf --one-file-system "$root"
  mkdir -p "$root"
  roots+=("$root")
  tar -C "$root" -xf "$tarball"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # the network's own certificate authorities (a proxy that inspects TLS, say) belong to the
  # network set-up as the resolver does: npm fetches playwright-core over https
  if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
    cat /usr/local/share/ca-certificates/*.crt >"$root/etc/fresh-check-network-ca.pem"
  fi
  # packages installed in a chroot must not start services
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
  # /tmp too: the chroot shares the machine's network and so its X servers' abstract sockets,
  # and xvfb-run finds a free display number by the lock files in /tmp
  for point in proc sys dev dev/pts dev/shm tmp; do
    mkdir -p "$root/$point"
    mount --bind "/$point" "$root/$point" || die "cannot bind-mount /$point into $root"
  done
}

# Runs the shell command $2 as root inside the chroot $1, in folder $3, with a clean environment.
in_root() {
  local network=()
  [ -f "$1/etc/fresh-check-network-ca.pem" ] &&
    network=(NODE_EXTRA_CA_CERTS=/etc/fresh-check-network-ca.pem)
  chroot "$1" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    DEBIAN_FRONTEND=noninteractive "${network[@]}" \
    /bin/bash -c "set -euo pipefail; $(declare -f starts watch_program ends_on_key watch_key serves); cd '$3' && $2"
}

# Used inside the chroot: starts "$@" on a display of its own (xvfb-run) and succeeds when, 15 s
# after the command has become the program vexel (it may build first, up to $1 s), vexel still
# runs, shows no window but its own (no message box) and has written nothing to standard error.
starts() {
  local budget=$1
  shift
  xvfb-run -a bash -c "$(declare -f watch_program); watch_program $budget $(printf '%q ' "$@")"
}
watch_program() {
  local deadline=$(($(date +%s) + $1)) err pid window names
  shift
  err=$(mktemp)
  "$@" 2>"$err" &
  pid=$!
  # the command execs the program in the end (run.sh does)
  until [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = vexel ]; do
    kill -0 "$pid" 2>/dev/null || { cat "$err" >&2; echo "FAIL: '$*' ended before vexel ran" >&2; return 1; }
    [ "$(date +%s)" -lt "$deadline" ] ||
      { kill "$pid"; echo "FAIL: '$*' did not become vexel within the deadline" >&2; return 1; }
    sleep 1
  done
  echo "vexel started"
  sleep 15
  kill -0 "$pid" 2>/dev/null || { cat "$err" >&2; echo "FAIL: vexel ended within 15 s" >&2; return 1; }
  names=$(for window in $(xdotool search --name . 2>/dev/null); do
    xdotool getwindowname "$window"
  done | sort -u)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "windows after 15 s: $(echo "$names" | tr '\n' ',')"
  [ "$names" = "VEXEL egyenes" ] || { cat "$err" >&2; echo "FAIL: a window other than the program's" >&2; return 1; }
  if [ -s "$err" ]; then
    cat "$err" >&2
    echo "FAIL: vexel wrote to standard error" >&2
    return 1
  fi
  echo "vexel still running after 15 s: no message, nothing on standard error"
}

# Used inside the chroot: runs the command line $2 (a program with a window) on a display of its
# own and succeeds when its window shows within $1 s, a key press ends it, with exit code 0 and
# nothing on standard error.
ends_on_key() {
  xvfb-run -a bash -c "$(declare -f watch_key); watch_key $1 $(printf '%q' "$2")"
}
watch_key() {
  local deadline=$(($(date +%s) + $1)) err pid status=0
  err=$(mktemp)
  bash -c "exec $2" 2>"$err" &
  pid=$!
  until xdotool search --onlyvisible --name . >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { cat "$err" >&2; echo "FAIL: '$2' ended before its window showed" >&2; return 1; }
    [ "$(date +%s)" -lt "$deadline" ] || { kill "$pid"; cat "$err" >&2; echo "FAIL: '$2' showed no window" >&2; return 1; }
    sleep 0.5
  done
  sleep 1
  # held for a while, as a person presses a key: the program polls the key table once a frame
  xdotool mousemove 10 10 keydown q
  sleep 0.3
  xdotool keyup q
  while kill -0 "$pid" 2>/dev/null; do
    [ "$(date +%s)" -lt "$deadline" ] || { kill "$pid"; cat "$err" >&2; echo "FAIL: a key did not end '$2'" >&2; return 1; }
    sleep 0.2
  done
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { cat "$err" >&2; echo "FAIL: '$2' ended with exit code $status" >&2; return 1; }
  [ ! -s "$err" ] || { cat "$err" >&2; echo "FAIL: '$2' wrote to standard error" >&2; return 1; }
  echo "'$2' showed its window and ended on a key"
}

# Used inside the chroot: runs the command line $2, which builds and then serves the page at
# http://127.0.0.1:8000/ until it is stopped, and succeeds when within $1 s the page's index.html
# (its title) is served; the server is stopped then.
serves() {
  local deadline=$(($(date +%s) + $1)) pid page=""
  bash -c "exec $2" &
  pid=$!
  until [[ $page == *"<title>VEXEL egyenes</title>"* ]]; do
    kill -0 "$pid" 2>/dev/null || { echo "FAIL: '$2' ended before it served the page" >&2; return 1; }
    [ "$(date +%s)" -lt "$deadline" ] ||
      { kill "$pid"; echo "FAIL: '$2' served no page within $1 s" >&2; return 1; }
    sleep 2
    page=$( (exec 3<>/dev/tcp/127.0.0.1/8000 && printf 'GET / HTTP/1.0\r\n\r\n' >&3 && cat <&3) 2>/dev/null || true)
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "'$2' served the page at http://127.0.0.1:8000/"
}

# Used inside the chroot: one README command, run in the reader's shell (so that its exports and
# folders stay for the next), through a stand-in where it needs the desktop.
readme_step() {
  say "README: $1"
  case "$1" in
    ./run.sh) starts 1200 ./run.sh ;;
    ./web.sh*) serves 1800 ./web.sh ;;
    build/sprite_window/sprite_window\ *) ends_on_key 120 "$1" ;;
    # the benchmarks with bars end with 1 when a figure misses its bar (2 on an error): a figure of
    # a busy machine, reported above, not a command that failed
    build/release/bench/frame_bench* | bench/pacing.sh* | bench/page_bench.sh*)
      local status=0
      eval "$1" || status=$?
      [ "$status" -ne 1 ] || echo "=== fresh-check: the benchmark ran; a figure missed its bar on this machine"
      [ "$status" -le 1 ] ;;
    *) eval "$1" ;;
  esac || { echo "fresh-check: FAIL: the README command '$1'" >&2; return 1; }
}

mkdir -p "$fresh"
[ -f "$tarball" ] || make_tarball

say "first fresh chroot: the README's commands in a clone of the working tree"
new_root build
root=$fresh/build
git clone -q "$here" "$root/root/vexel"
# the working tree as it is, with changes not yet committed and new files not yet added
(cd "$here" && git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
  [ -e "$f" ] && printf '%s\0' "$f"
done | tar --null -T - -cf -) | tar -C "$root/root/vexel" -xf -
(cd "$here" && git ls-files -z --deleted) | (cd "$root/root/vexel" && xargs -0 -r rm -f --)

# the reader's answers: yes to apt-get's question; sudo as root is the command itself
echo 'APT::Get::Assume-Yes "true";' >"$root/etc/apt/apt.conf.d/90fresh-check-reader"
script=$root/root/readme-steps.sh
{
  echo 'sudo() { "$@"; }'
  declare -f starts watch_program ends_on_key watch_key serves say readme_step
  echo 'cd /root/vexel'
} >"$script"
n=0
while IFS= read -r command; do
  if [ -n "${not_run[$command]+set}" ]; then
    say "README, not run: $command (${not_run[$command]})"
    continue
  fi
  printf 'readme_step %q || exit 1\n' "$command" >>"$script"
  n=$((n + 1))
done < <(readme_commands "$root/root/vexel/README.md")
[ "$n" -gt 0 ] || die "found no commands in the README"
say "in the clone: the README's $n commands"
in_root "$root" "source /root/readme-steps.sh" /root/vexel || die "a README command failed in the fresh chroot"

debs=()
for name in vexel liborla-dev; do
  deb=$(ls "$root"/root/vexel/build/release/${name}_*_amd64.deb 2>/dev/null | head -1)
  [ -n "$deb" ] || die "cpack made no ${name}_<version>_amd64.deb"
  say "the package: $(basename "$deb")"
  cp "$deb" "$fresh/"
  debs+=("$(basename "$deb")")
done
rm -rf "$fresh/example" && cp -r "$root/root/vexel/examples/sprite_window" "$fresh/example"
$keep || { release_root "$root" && rm -rf --one-file-system "$root"; }

say "second fresh chroot: the package installs and the program starts from /tmp"
new_root install
root=$fresh/install
for deb in "${debs[@]}"; do cp "$fresh/$deb" "$root/root/"; done
in_root "$root" "apt-get update -q && apt-get install -y -q ./${debs[0]}" /root ||
  die "the package does not install"
in_root "$root" "test -x /usr/bin/vexel && test -f /usr/share/applications/vexel.desktop &&
  test -f /usr/share/icons/hicolor/scalable/apps/vexel.svg" / ||
  die "the package lacks the program, its menu entry or its icon"
# the display and the entry's checker only stand in for the user's desktop
in_root "$root" "apt-get install -y -q --no-install-recommends xvfb xauth xdotool desktop-file-utils" / ||
  die "cannot install the stand-in display"
in_root "$root" "desktop-file-validate /usr/share/applications/vexel.desktop" / ||
  die "the menu entry is not valid"
in_root "$root" "starts 60 vexel" /tmp || die "the installed vexel does not run from /tmp"

say "the library package: the example builds against /usr with CMake and with pkg-config, and runs"
in_root "$root" "apt-get install -y -q ./${debs[1]}" /root || die "liborla-dev does not install"
cp -r "$fresh/example" "$root/root/example"
# a developer's own tools; the package brings what its headers and libraries need
in_root "$root" "apt-get install -y -q --no-install-recommends g++ cmake ninja-build pkg-config librsvg2-bin" / ||
  die "cannot install the developer's tools"
in_root "$root" "cmake -S . -B build -G Ninja && cmake --build build &&
  g++ -std=c++20 -o build/sprite_window_pc sprite_window.cpp \$(pkg-config --cflags --libs orla-sdl) &&
  rsvg-convert badge.svg -o build/badge.png && orla_imgconv to-sprite build/badge.png build/badge.vex" \
  /root/example || die "the example does not build against the installed liborla-dev"
in_root "$root" "ends_on_key 60 'build/sprite_window build/badge.vex /usr/share/orla/Fonts.fnt Hi' &&
  ends_on_key 60 'build/sprite_window_pc build/badge.vex /usr/share/orla/Fonts.fnt Hi'" /root/example ||
  die "the example built against liborla-dev does not run"
say "PASS: the README's commands and the package work on a fresh Debian 12"
