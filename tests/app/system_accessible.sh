#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the real program on a virtual display with its accessibility bridge on, on private
# session and system buses, and reads the window over AT-SPI as a screen reader does: every
# control that takes the focus has a name of its own, and the player's display reads out the
# standing warning of an unsynchronised clock (a timedated stand-in says so).
# Usage: system_accessible.sh <program>
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
trap 'status=$?; for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  ((status == 0)) || cat "$work/out" >&2 2>/dev/null || true; rm -rf "$work"' EXIT

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
dbus-daemon --session --nofork --print-address=1 >"$work/system-bus" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [[ -s "$work/system-bus" ]] && break; sleep 0.1; done
export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$work/system-bus")
/usr/bin/python3 -m dbusmock --template timedated --system -p '{"NTP": false}' >/dev/null 2>&1 &
pids+=($!)
timedated_up() {
  [[ $(gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.timedate1 2>/dev/null) == "(true,)" ]]
}
for _ in $(seq 100); do timedated_up && break; sleep 0.1; done
timedated_up ||
  { echo "system_accessible: the timedated stand-in did not come up" >&2; exit 1; }

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The reader waits on the same display as the program, which ends with it.
dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  timeout -s INT 60 "$1" >"$2/out" 2>&1 &
  program=$!
  /usr/bin/python3 "$3/read_accessible.py" Chimewick
  status=$?
  kill -INT $program
  wait $program
  exit $status' bash "$program" "$work" "$here" 2>"$work/bus-log"
