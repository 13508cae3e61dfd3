#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Starts or stops a sound server with one null sink, "bells", the default output, whose
# PulseAudio socket lies in the given runtime folder, so tests can play through a real sound
# server and listen to what it plays at the sink's monitor. The server is PulseAudio, or
# PipeWire with WirePlumber and pipewire-pulse on a session bus of its own; either way the
# program and the tests talk to it as to PulseAudio.
# Usage: null_sink.sh start|stop <runtime folder> [pulseaudio|pipewire]
set -euo pipefail
action=$1
export XDG_RUNTIME_DIR=$2
server=${3:-pulseaudio}
if [[ $server == pipewire ]]; then
  # What PipeWire's daemons remember stays in the runtime folder, not in the home folder.
  export XDG_STATE_HOME=$XDG_RUNTIME_DIR/state XDG_CONFIG_HOME=$XDG_RUNTIME_DIR/config
fi

# Ends the PipeWire daemons this script started there, by the ids it noted.
stop_pipewire() {
  local name pid
  for name in pipewire-pulse wireplumber pipewire dbus-daemon; do
    [[ -f "$XDG_RUNTIME_DIR/$name.pid" ]] || continue
    pid=$(<"$XDG_RUNTIME_DIR/$name.pid")
    rm -f "$XDG_RUNTIME_DIR/$name.pid"
    [[ $(cat /proc/"$pid"/comm 2>/dev/null) == "${name:0:15}" ]] || continue
    kill "$pid" 2>/dev/null || true
    # Gone, or a zombie that only waits to be reaped.
    for _ in $(seq 50); do
      [[ $(awk '{print $3}' /proc/"$pid"/stat 2>/dev/null) =~ ^[SRDT]$ ]] || break
      sleep 0.1
    done
  done
}

# Runs a daemon in the background, detached from the caller's output, noting its id.
spawn() {
  local name=$1
  shift
  "$@" </dev/null >>"$XDG_RUNTIME_DIR/$name.log" 2>&1 &
  echo $! >"$XDG_RUNTIME_DIR/$name.pid"
}

wait_for() {
  for _ in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "null_sink.sh: $server did not come up: $*" >&2
  return 1
}

default_is_bells() {
  [[ $(pactl get-default-sink) == bells ]]
}

case "$action" in
  start)
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    if [[ $server == pipewire ]]; then
      stop_pipewire
      # What WirePlumber remembers of an earlier run (a sink left muted by a failed test) is
      # not carried into this one.
      rm -rf "$XDG_STATE_HOME"
      spawn dbus-daemon dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus"
      wait_for test -S "$XDG_RUNTIME_DIR/bus"
      export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
      spawn pipewire pipewire
      wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0"
      spawn wireplumber wireplumber
      spawn pipewire-pulse pipewire-pulse
      wait_for pactl info
      pactl load-module module-null-sink sink_name=bells >/dev/null
      # WirePlumber keeps the default: set it once it is there to take the choice.
      # Refused ("Not supported") for a moment after the server starts: asked again.
      for _ in $(seq 50); do
        pactl set-default-sink bells 2>/dev/null || true
        default_is_bells && break
        sleep 0.1
      done
      wait_for default_is_bells
    else
      pulseaudio --kill 2>/dev/null || true
      # As root pulseaudio warns that it is meant for users; it runs all the same.
      pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=bells" --load="module-native-protocol-unix" 2>/dev/null
      wait_for pactl info
      pactl set-default-sink bells
    fi
    ;;
  stop)
    if [[ $server == pipewire ]]; then
      stop_pipewire
    else
      # --kill only signals the daemon, which then removes its files in the runtime folder:
      # waited for, so that a caller may remove the folder at once.
      pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null || true)
      pulseaudio --kill 2>/dev/null || true
      if [[ $pid =~ ^[0-9]+$ ]]; then
        for _ in $(seq 50); do
          [[ $(awk '{print $3}' /proc/"$pid"/stat 2>/dev/null) =~ ^[SRDT]$ ]] || break
          sleep 0.1
        done
      fi
    fi
    ;;
  *)
    echo "usage: null_sink.sh start|stop <runtime folder> [pulseaudio|pipewire]" >&2
    exit 2
    ;;
esac
