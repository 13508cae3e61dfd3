#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the Debian package for one suite and architecture in a clean root of that suite
# (scripts/debian-root.sh): installs the build dependencies of packaging/debian/depends
# there, builds the Release tree and packs it with CPack, so Depends and the version
# ("1.00-1~deb13") are that suite's. Another architecture is cross-built with Debian's
# cross compiler and the -dev packages of that architecture, in a root of the machine's
# own. The .deb lands in build/packages/; the last line of output is its path.
# Usage: scripts/package.sh [--suite bookworm|trixie] [--arch amd64|arm64] [--prepare]
#        (defaults: this machine's own; needs root or sudo, and the Debian mirror)
#        --prepare: only make the suite's cached roots, to build in and to install in, for
#        every architecture, and build nothing
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
native=$(dpkg --print-architecture)
arch=$native
prepare=
args=("$@")
while (($#)); do
  case $1 in
  --suite) suite=$2; shift 2 ;;
  --arch) arch=$2; shift 2 ;;
  --prepare) prepare=yes; shift ;;
  *) echo "usage: scripts/package.sh [--suite bookworm|trixie] [--arch amd64|arm64] [--prepare]" >&2; exit 2 ;;
  esac
done
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "package: needs root or sudo (debootstrap, chroot)" >&2; exit 1; }
  exec sudo -- "$0" "${args[@]}"
fi
# shellcheck source=scripts/debian-root.sh
. scripts/debian-root.sh

mkdir -p build/packages "$root_cache"
work=$(mktemp -d "$root_cache/package-$suite-$arch.XXXXXX")
trap 'status=$?; root_stop; rm -rf --one-file-system "$work"; exit $status' EXIT
trap 'exit 130' INT TERM
started=$SECONDS

# One build root per suite serves every architecture: the machine's own build dependencies,
# and those of each other architecture beside them (Multi-Arch). Made once, kept as a
# tarball for twelve hours, or until the list of dependencies changes.
depends() { sed -n "s/^$1: *//p" packaging/debian/depends | tr -d ,; }
foreign=(arm64)
builder=$root_cache/$suite-$native-build-$(sha1sum packaging/debian/depends | cut -c1-8).tar
if [[ -n $(find "$builder" -mmin -720 2>/dev/null) ]]; then
  root_start "$suite" "$native" "$work/root" "$builder"
  echo "package: $suite build root unpacked in $((SECONDS - started)) s" >&2
else
  root_start "$suite" "$native" "$work/root"
  # shellcheck disable=SC2207 # one package name a word
  packages=($(depends Build-Tools) $(depends Build-Libraries) dpkg-dev file)
  for other in "${foreign[@]}"; do
    [[ $other == "$native" ]] && continue
    in_root dpkg --add-architecture "$other"
    packages+=("g++-$(dpkg-architecture -qDEB_HOST_GNU_TYPE -a"$other" 2>/dev/null)")
    for library in $(depends Build-Libraries); do packages+=("$library:$other"); done
  done
  in_root "${root_apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
  in_root "${root_apt[@]}" --no-install-recommends install "${packages[@]}" >>"$work/apt.log" 2>&1 ||
    { tail -30 "$work/apt.log" >&2; exit 1; }
  in_root apt-get clean
  root_save "$builder"
  echo "package: $suite build root with $(grep -c '^Unpacking' "$work/apt.log") packages made in $((SECONDS - started)) s" >&2
fi
if [[ -n $prepare ]]; then
  for other in "${foreign[@]}"; do root_tarball "$suite" "$other" >/dev/null; done
  exit 0
fi
toolchain=()
if [[ $arch != "$native" ]]; then
  toolchain=(--toolchain "/src/cmake/$(dpkg-architecture -qDEB_HOST_GNU_TYPE -a"$arch" 2>/dev/null).cmake")
fi

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
