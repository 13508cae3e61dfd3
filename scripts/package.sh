#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Release tree (the program and its recordings) and makes the Debian package
# with CPack. The last line of output is the path of the .deb.
# Usage: scripts/package.sh     (installs nothing: scripts/install-deps.sh does)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && cpack -G DEB >/dev/null)

deb=$(cd build/release && ls -t -- *.deb | head -1)
echo "$PWD/build/release/$deb"
