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

# The commands run in the clone, one after the other, as the README gives them. A user's desktop
# is stood in for by xvfb-run; `starts` (below) runs a program that must keep running.
steps=(
  "./test.sh"
  "starts 1200 ./run.sh"
  "cd build/release && cpack -G DEB"
)

die() {
  echo "fresh-check: FAIL: $*" >&2
  exit 1
}
say() { echo "=== fresh-check: $* ($(date +%T))"; }

[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, chroot and mounts)"
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
  chroot "$1" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    DEBIAN_FRONTEND=noninteractive \
    /bin/bash -c "set -euo pipefail; $(declare -f starts watch_program); cd '$3' && $2"
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

for step in "${steps[@]}"; do
  say "in the clone: $step"
  in_root "$root" "$step" /root/vexel || die "'$step' failed in the fresh chroot"
done

deb=$(ls "$root"/root/vexel/build/release/vexel_*_amd64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || die "cpack made no vexel_<version>_amd64.deb"
say "the package: $(basename "$deb")"
cp "$deb" "$fresh/"
deb=$fresh/$(basename "$deb")
$keep || { release_root "$root" && rm -rf --one-file-system "$root"; }

say "second fresh chroot: the package installs and the program starts from /tmp"
new_root install
root=$fresh/install
cp "$deb" "$root/root/"
in_root "$root" "apt-get update -q && apt-get install -y -q ./$(basename "$deb")" /root ||
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
say "PASS: the README's commands and the package work on a fresh Debian 12"
