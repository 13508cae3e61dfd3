#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs tst_soundbackend under Wine in a prefix of its own (made once, kept in the state
# folder), its sound into a PulseAudio null sink of its own; then again with no sound server.
# Usage: tst_soundbackend.sh <state folder> <tst_soundbackend.exe> <sounds> <third-party>
#                            <DLL folders...>
set -euo pipefail
state=$1 program=$2 sounds=$3 others=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
null_sink=$here/../support/null_sink.sh

export WINEPREFIX=$state/prefix WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
export HOME=$state/home XDG_RUNTIME_DIR=$state/runtime
mkdir -p "$HOME"
listener=
trap 'kill $listener 2>/dev/null || true; wineserver -k 2>/dev/null || true
  bash "$null_sink" stop "$state/runtime" 2>/dev/null || true' EXIT
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wineboot -i >"$state/wineboot.log" 2>&1 || { tail -3 "$state/wineboot.log" >&2; exit 1; }
fi
# Qt's and the MinGW runtime's DLLs, found as on the system's PATH.
WINEPATH=$(for folder in "$@"; do winepath -w "$folder"; done | paste -sd ';')
export WINEPATH
sounds=$(winepath -w "$sounds")
others=$(winepath -w "$others")

bash "$null_sink" start "$XDG_RUNTIME_DIR" pulseaudio
# A fresh null sink renders 2 s ahead until a client asks for less, and Wine's streams do not:
# a listener asks, as a sound card's own timing would, so that the times printed are those of
# the bells. The sink takes its 2 s to come down to it.
parec -d bells.monitor --latency-msec=10 >/dev/null &
listener=$!
sleep 2.5
wine "$program" "$sounds" "$others" 2> >(grep -v -e 'wine32 is missing' -e '^ALSA lib' >&2)
kill "$listener"
bash "$null_sink" stop "$XDG_RUNTIME_DIR"
wineserver -w

# Wine picks its sound driver once a process: a server gone before the start is no output
# for the whole run.
export XDG_RUNTIME_DIR=$state/no-server
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
wine "$program" --no-output "$sounds" 2> >(grep -v -e 'wine32 is missing' -e '^ALSA lib' >&2)
