#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Starts or stops a PulseAudio server with one null sink, "bells", whose socket lies in
# the given runtime folder, so tests can play through a real sound server and listen to
# what it plays at the sink's monitor.
# Usage: null_sink.sh start|stop <runtime folder>
set -euo pipefail
action=$1
export XDG_RUNTIME_DIR=$2

case "$action" in
  start)
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    pulseaudio --kill 2>/dev/null || true
    # As root pulseaudio warns that it is meant for users; it runs all the same.
    pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
      --load="module-null-sink sink_name=bells" --load="module-native-protocol-unix" 2>/dev/null
    for _ in $(seq 50); do
      pactl info >/dev/null 2>&1 && break
      sleep 0.1
    done
    pactl set-default-sink bells
    ;;
  stop)
    pulseaudio --kill 2>/dev/null || true
    ;;
  *)
    echo "usage: null_sink.sh start|stop <runtime folder>" >&2
    exit 2
    ;;
esac
