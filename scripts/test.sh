#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, checks that every file names its licence, builds Chimewick
# and runs every test: once in the strict debug build, once under the address and
# undefined-behaviour sanitizers (with leak checks on the engine's tests, the week-long
# soak among them). Then builds the core for Windows, makes the Debian package from the
# Release tree, checks it, and installs it in a throwaway Debian 12 root where it must
# open its window and ring a bell.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-licences.sh

# Qt and the sound libraries want a private runtime folder.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

for preset in dev asan; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== windows-core build"
cmake --preset windows-core >/dev/null
cmake --build --preset windows-core

echo "== Debian package"
mkdir -p build
scripts/package.sh | tee build/package.log
deb=$(tail -n 1 build/package.log)
tests/package/check_package.sh "$deb" build/release
tests/package/install_in_debian.sh "$deb"
