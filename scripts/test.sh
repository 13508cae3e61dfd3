#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, checks that every file names its licence, builds Chimewick
# and runs every test: once in the strict debug build, once under the address and
# undefined-behaviour sanitizers (with leak checks on the engine's tests, the week-long
# soak among them). Then makes the Windows program and its installer and proves them under
# Wine, makes the four Debian packages, checks them, and installs each in a throwaway root of
# its suite and architecture where it must open its window and ring its bells.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-licences.sh

# The Debian roots the packages are built and installed in take minutes to make, mostly
# waiting on the mirror or the emulator: they are made while the builds and tests run.
mkdir -p build
(for suite in bookworm trixie; do scripts/package.sh --suite "$suite" --prepare || exit 1; done) \
  >build/roots.log 2>&1 &
roots=$!
# Qt for Windows, when not in its cache, is built meanwhile too, at the lowest priority: it
# takes the time the tests leave the processors idle.
nice -n 19 scripts/build-qt-windows.sh >build/qt-windows.log 2>&1 &
qt=$!

# Qt and the sound libraries want a private runtime folder.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

for preset in dev asan; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== Windows program, under Wine"
wait $qt || { cat build/qt-windows.log >&2; exit 1; }
scripts/package-windows.sh
ctest --preset windows

# The packages for Debian 12 and 13, on a PC and on a Raspberry Pi: each built in a clean root
# of its suite, checked, and installed and rung in a fresh root of its suite and architecture.
# The install rules of the autostart option are the same for all: checked once, in the dev tree.
wait $roots || { cat build/roots.log >&2; exit 1; }
tree=build/dev
for target in "bookworm amd64" "trixie amd64" "bookworm arm64" "trixie arm64"; do
  read -r suite arch <<<"$target"
  echo "== Debian package for $suite $arch"
  scripts/package.sh --suite "$suite" --arch "$arch" | tee build/package.log
  deb=$(tail -n 1 build/package.log)
  tests/package/check_package.sh "$deb" $tree
  tests/package/install_in_debian.sh "$deb"
  tree=
done
