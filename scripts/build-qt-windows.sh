#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Qt for 64-bit Windows from Debian's own qt6-base source, the version of this machine's
# Qt tools (so that /usr's moc, rcc and uic serve the Windows build), with Debian's MinGW-w64
# and only what Chimewick uses: Core, Gui, Widgets, Network, the windows platform plugin and
# the Windows styles. The result is cached outside the clone, in a folder named by the source
# version and a hash of the options and patches; a second run finds it at once. The build
# goes to a folder of its own and is renamed into place only when installed whole, so an
# interrupted build never passes for a finished one.
# Usage: scripts/build-qt-windows.sh   (the last line of output is Qt's install folder)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/"$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)"/cmake
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_EXAMPLES=OFF
  -DFEATURE_pkg_config=OFF
  # Debian's source leaves out wintab, which tablet events need
  -DFEATURE_tabletevent=OFF
  # the window paints with the raster engine; no OpenGL at all needs no source fixes this way
  -DINPUT_opengl=no
  -DFEATURE_freetype=OFF
  # the libraries Qt carries in its own tree, as there are none for MinGW on this machine
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_jpeg=OFF
  # Qt D-Bus loads the D-Bus library only if it finds one when run; on Windows it finds none,
  # and the clock's watch says it cannot tell, as on a Linux without a time service
  -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
)
patches=(packaging/windows/qt-patches/*.patch)
[[ -e ${patches[0]} ]] || patches=()

hash=$( (printf '%s\n' "${options[@]}" "$(cat cmake/mingw-w64-x86_64.cmake)"
  for p in "${patches[@]}"; do cat "$p"; done) | sha1sum | cut -c1-10)
cache=${CHIMEWICK_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/chimewick}
prefix=$cache/qt-${version//[:+~]/_}-mingw64-$hash
if [[ -f $prefix/.complete ]]; then
  echo "build-qt-windows: Qt $version for Windows is in the cache" >&2
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf --one-file-system "$work"' EXIT
started=$SECONDS

# The source of the machine's own suite, from the mirror its apt already uses, through a
# private apt state: nothing of the system's is changed and no root is needed.
# (A machine has either list, or both.)
mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs: *\(http[^ ]*debian\/*\)$/\1/p' | head -n 1 || true)
[[ -n $mirror ]] || mirror=$(cat /etc/apt/sources.list 2>/dev/null |
  sed -n 's/^deb \(\[[^]]*\] \)\?\(http[^ ]*debian\/*\) .*/\2/p' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
for s in "$suite" "$suite-updates"; do echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $s main"; done >"$work/apt/sources.list"
apt_private=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache" -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")
echo "build-qt-windows: fetching qt6-base $version from $mirror ($suite)" >&2
apt-get "${apt_private[@]}" update -qq >&2
(cd "$work" && apt-get "${apt_private[@]}" source --only-source -qq "qt6-base=$version" >&2)
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*')
for p in "${patches[@]}"; do
  echo "build-qt-windows: applying $(basename "$p"): $(sed -n '1s/^# *//p' "$p")" >&2
  patch -d "$tree" -p1 --quiet <"$source/$p"
done

echo "build-qt-windows: configuring and building (about half an hour on two cores)" >&2
cmake -S "$tree" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
  { tail -n 40 "$work/configure.log" >&2; exit 1; }
rm -rf --one-file-system "$prefix"
cmake --build "$work/build" >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
touch "$prefix/.complete"
echo "build-qt-windows: Qt $version for Windows built in $(((SECONDS - started) / 60)) min" >&2
echo "$prefix"
