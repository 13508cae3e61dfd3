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

# A build root per suite and architecture: the machine's own build tools and the target
# architecture's libraries (Multi-Arch; for another architecture, its cross compiler and the
# machine's own Qt for its code generators: the -dev packages of two architectures do not
# all install side by side). Made once, kept as a tarball for twelve hours, or until the
# list of dependencies changes.
depends() { sed -n "s/^$1: *//p" packaging/debian/depends | tr -d ,; }
builder_root() { # target architecture: sets tarball to the build root's, made if need be
  local target=$1 packages library made=$SECONDS
  tarball=$root_cache/$suite-$target-build-$(sha1sum packaging/debian/depends | cut -c1-8).tar
  if [[ -z $(find "$tarball" -mmin -720 2>/dev/null) ]]; then
    root_start "$suite" "$native" "$work/builder" >&2
    # shellcheck disable=SC2207 # one package name a word
    packages=($(depends Build-Tools) dpkg-dev file)
    if [[ $target == "$native" ]]; then
      # shellcheck disable=SC2207 # one package name a word
      packages+=($(depends Build-Libraries))
    else
      in_root dpkg --add-architecture "$target"
      packages+=("g++-$(dpkg-architecture -qDEB_HOST_GNU_TYPE -a"$target" 2>/dev/null)" qt6-base-dev)
      for library in $(depends Build-Libraries); do packages+=("$library:$target"); done
    fi
    { in_root "${root_apt[@]}" update && in_root "${root_apt[@]}" --no-install-recommends install "${packages[@]}"; } \
      >"$work/apt-$target.log" 2>&1 || { tail -30 "$work/apt-$target.log" >&2; return 1; }
    in_root apt-get clean
    root_save "$tarball"
    root_stop
    rm -rf --one-file-system "$work/builder"
    echo "package: $suite build root for $target with $(grep -c '^Unpacking' "$work/apt-$target.log") packages made in $((SECONDS - made)) s" >&2
  fi
}
if [[ -n $prepare ]]; then
  for other in "$native" arm64; do
    builder_root "$other"
    root_tarball "$suite" "$other" >/dev/null
  done
  exit 0
fi
builder_root "$arch"
root_start "$suite" "$native" "$work/root" "$tarball"
echo "package: $suite build root for $arch ready in $((SECONDS - started)) s" >&2
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
