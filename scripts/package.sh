#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the Debian package for one suite and architecture in a clean root of that suite
# (scripts/debian-root.sh): installs the build dependencies of packaging/debian/depends
# there, builds the Release tree and packs it with CPack, so Depends and the version
# ("1.00-1~deb13") are that suite's. Another architecture is cross-built with Debian's
# cross compiler and the -dev packages of that architecture, in a root of the machine's
# own. The .deb lands in build/packages/; the last line of output is its path.
# Usage: scripts/package.sh [--suite bookworm|trixie] [--arch amd64|arm64]
#        (defaults: this machine's own; needs root or sudo, and the Debian mirror)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
native=$(dpkg --print-architecture)
arch=$native
args=("$@")
while (($#)); do
  case $1 in
  --suite) suite=$2; shift 2 ;;
  --arch) arch=$2; shift 2 ;;
  *) echo "usage: scripts/package.sh [--suite bookworm|trixie] [--arch amd64|arm64]" >&2; exit 2 ;;
  esac
done
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "package: needs root or sudo (debootstrap, chroot)" >&2; exit 1; }
  exec sudo -- "$0" "${args[@]}"
fi
# shellcheck source=scripts/debian-root.sh
. scripts/debian-root.sh

mkdir -p build/packages
work=$(mktemp -d "$root_cache/package-$suite-$arch.XXXXXX")
trap 'status=$?; root_stop; rm -rf --one-file-system "$work"; exit $status' EXIT
trap 'exit 130' INT TERM
started=$SECONDS
root_start "$suite" "$native" "$work/root"

depends() { sed -n "s/^$1: *//p" packaging/debian/depends | tr -d ,; }
# shellcheck disable=SC2207 # one package name a word
libraries=($(depends Build-Libraries))
tools=($(depends Build-Tools) dpkg-dev file)
toolchain=()
if [[ $arch != "$native" ]]; then
  in_root dpkg --add-architecture "$arch"
  libraries=("${libraries[@]/%/:$arch}")
  triplet=$(dpkg-architecture -qDEB_HOST_GNU_TYPE -a"$arch" 2>/dev/null)
  tools+=("g++-$triplet" "$(depends Build-Libraries | tr ' ' '\n' | grep '^qt6-base-dev$')")
  toolchain=(--toolchain "/src/cmake/$triplet.cmake")
fi
in_root "${root_apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
in_root "${root_apt[@]}" --no-install-recommends install "${tools[@]}" "${libraries[@]}" >>"$work/apt.log" 2>&1 ||
  { tail -30 "$work/apt.log" >&2; exit 1; }
echo "package: $suite root for $arch with $(grep -c '^Unpacking' "$work/apt.log") build packages in $((SECONDS - started)) s" >&2

# The source as it stands, without builds or history.
started=$SECONDS
mkdir "$work/root/src"
tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/root/src" -xf -
in_root cmake -S /src --preset release "${toolchain[@]}" >"$work/build.log" 2>&1 &&
  in_root cmake --build /src/build/release >>"$work/build.log" 2>&1 &&
  in_root sh -c "cd /src/build/release && DEB_HOST_ARCH=$arch cpack -G DEB" >>"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log" >&2; exit 1; }
deb=$(cd "$work/root/src/build/release" && ls -- *.deb)
cp "$work/root/src/build/release/$deb" build/packages/
echo "package: built and packed for $suite $arch in $((SECONDS - started)) s" >&2
echo "$source/build/packages/$deb"
