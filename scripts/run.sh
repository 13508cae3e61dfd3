#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds Chimewick (the program and its recordings, no tests)
# and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --run
cmake --preset release >/dev/null
cmake --build --preset release --target chimewick

program=build/release/bin/chimewick
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run: no display here; starting Chimewick on a virtual X display (xvfb-run)" >&2
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$program"
fi
exec "$program"
