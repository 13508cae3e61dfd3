#!/usr/bin/env bash
# Installs what is missing, builds Chimewick and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Qt and the sound libraries want a private runtime folder.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
