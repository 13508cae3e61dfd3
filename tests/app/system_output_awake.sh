#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The real program on a virtual display, beside a sound server of its own (the kind in
# CHIMEWICK_SOUND_SERVER) whose outputs suspend after one idle second: with
# --let-output-sleep the default output sleeps; without it the default output never reads
# SUSPENDED while the window is open, nor after the default changes, the default output is
# unplugged, or the server restarts.
# Usage: system_output_awake.sh <program> <null_sink.sh>
set -euo pipefail
program=$1
null_sink=$2
server=${CHIMEWICK_SOUND_SERVER:-pulseaudio}

work=$(mktemp -d)
export HOME=$work XDG_RUNTIME_DIR=$work/runtime
app=
stop_program() {
  [[ -z $app ]] || kill -- -"$app" 2>/dev/null || true
  [[ -z $app ]] || wait "$app" 2>/dev/null || true
  app=
}
trap 'status=$?; stop_program; bash "$null_sink" stop "$XDG_RUNTIME_DIR" "$server" || true
  ((status == 0)) || cat "$work/out" >&2 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "system_output_awake ($server): $*" >&2; pactl list sinks short >&2 || true; exit 1; }

state() { pactl list sinks short 2>/dev/null | awk -v n="$1" '$2 == n {print $NF}'; }
wait_state() { # sink state seconds
  for _ in $(seq $(($3 * 10))); do
    [[ $(state "$1") == "$2" ]] && return 0
    sleep 0.1
  done
  fail "$1 is $(state "$1"), not $2, after $3 s"
}
never_suspended() { # sink seconds
  for _ in $(seq $(($2 * 10))); do
    [[ $(state "$1") != SUSPENDED ]] || fail "$1 was suspended while the window was open"
    sleep 0.1
  done
}
set_default() {
  for _ in $(seq 50); do
    pactl set-default-sink "$1" 2>/dev/null || true # refused for a moment after a start
    [[ $(pactl get-default-sink) == "$1" ]] && return 0
    sleep 0.1
  done
  fail "the default output did not become $1"
}
# A server just started may still refuse a module for a moment ("Not supported", seen once
# on pipewire-pulse): asked again until it takes it.
load_module() {
  for _ in $(seq 20); do
    pactl load-module "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "the server would not load $*"
}
# A fresh server with two outputs that sleep after an idle second, "first" the default.
start_server() {
  bash "$null_sink" start "$XDG_RUNTIME_DIR" "$server"
  for name in first second; do
    load_module module-null-sink sink_name=$name sink_properties=session.suspend-timeout-seconds=1
  done
  # PipeWire's session manager reads the timeout above; PulseAudio needs the module.
  [[ $server == pipewire ]] || load_module module-suspend-on-idle timeout=1
  set_default first
  pactl unload-module "$(pactl list modules short | awk '/sink_name=bells/ {print $1}')"
}
start_program() {
  # No buses, as in a container: the program says so and goes on.
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-bus" \
    setsid xvfb-run -a -s "-screen 0 1280x800x24" "$program" "$@" >>"$work/out" 2>&1 &
  app=$!
}
still_open() { kill -0 "$app" 2>/dev/null || fail "the program ended"; }

start_server
wait_state first SUSPENDED 5

start_program --let-output-sleep
# Time to pass, not a state to poll: ample for the program to start and, were it to keep the
# output awake despite the option, to wake it.
sleep 4
still_open
[[ $(state first) == SUSPENDED ]] || fail "first is $(state first) with --let-output-sleep"
stop_program

start_program
wait_state first RUNNING 10
never_suspended first 3

set_default second
wait_state second RUNNING 10
never_suspended second 3
# Followed, not doubled: the old default is let go.
wait_state first SUSPENDED 5

pactl unload-module "$(pactl list modules short | awk '/sink_name=second/ {print $1}')"
wait_state first RUNNING 10
never_suspended first 3

bash "$null_sink" stop "$XDG_RUNTIME_DIR" "$server"
start_server
wait_state first RUNNING 20
never_suspended first 3
still_open
echo "system_output_awake ($server): the default output stayed awake"
