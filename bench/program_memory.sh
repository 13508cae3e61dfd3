#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The real program's memory over many bells, as a school's copy that runs all term sees it:
# bin/chimewick on a virtual display beside a null sink, its bell buttons pressed in turn (a
# WMA, an MP3 and a WAV) every 0.4 s, and its resident memory (VmRSS) read after presses 1,
# 50, 150, 300 and the last. Prints figures; passes or fails nothing.
#
#   bench/program_memory.sh pulseaudio|pipewire [BIN_DIR]   starts that server, stops it after
#   bench/program_memory.sh current [BIN_DIR]               the server of $XDG_RUNTIME_DIR
#
# BIN_DIR defaults to build/bench/bin (bench/run.sh builds it); PRESSES (450) overrides the
# number of presses.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
server=${1:?usage: program_memory.sh pulseaudio|pipewire|current [BIN_DIR]}
bin=${2:-$root/build/bench/bin}
presses=${PRESSES:-450}
for tool in xvfb-run xdotool faketime pactl; do
    command -v "$tool" >/dev/null || { echo "program_memory: $tool is missing; run scripts/install-deps.sh" >&2; exit 1; }
done
faketime_lib=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -1 || true)
[[ -n $faketime_lib ]] || { echo "program_memory: libfaketime is missing; run scripts/install-deps.sh" >&2; exit 1; }

work=$(mktemp -d)
pids=() program_pid="" xvfb_pid=""
cleanup() {
    # The program first, so that xvfb-run ends its display; then the server.
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && wait "$xvfb_pid" 2>/dev/null || true
    if [[ ${pids[0]:-} ]]; then kill "${pids[@]}" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# A private sound server with a null sink, as bench/run.sh starts it.
if [[ $server != current ]]; then
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset PULSE_SERVER PULSE_LATENCY_MSEC
    if [[ $server == pulseaudio ]]; then
        pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
            --load="module-null-sink sink_name=chimewick_bench" --load="module-native-protocol-unix" 2>/dev/null
        pids=("$(cat "$XDG_RUNTIME_DIR/pulse/pid")")
    else
        bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
        export DBUS_SESSION_BUS_ADDRESS=$(head -1 <<<"$bus")
        pids=("$(tail -1 <<<"$bus")")
        pipewire >/dev/null 2>&1 & pids+=($!); sleep 0.7
        wireplumber >/dev/null 2>&1 & pids+=($!); sleep 0.7
        pipewire-pulse >/dev/null 2>&1 & pids+=($!); sleep 1
        for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
        pactl load-module module-null-sink sink_name=chimewick_bench >/dev/null
    fi
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink chimewick_bench
fi
echo "  program memory: $(pactl info | sed -n 's/^Server Name: //p'), $presses presses every 0.4 s"

# The program as bench/run.sh starts it for its idle figures: at an hour with no bell due, so
# only the presses ring. The shell leaves the display's name behind for xdotool, then becomes
# the program.
quiet="2025-01-06 03:00:00"
xvfb-run -a -s "-screen 0 1280x800x24" env FAKETIME="@$quiet" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$faketime_lib" \
    sh -c 'echo "$$ $DISPLAY $XAUTHORITY" >"$1.new"; mv "$1.new" "$1"; exec "$2"' sh "$work/program" "$bin/chimewick" \
    >"$work/program.out" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/program ]] && break; sleep 0.1; done
read -r program_pid DISPLAY XAUTHORITY <"$work/program"
export DISPLAY XAUTHORITY
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^School Chimewick' | head -1)
sleep 3 # the player made and the decoders loaded, as at the idle figures

# Button centres in the window, in pixels (twips / 15, from src/form/WindowDescription.cpp):
# "Start Bell" on the window, "Periad Bell" and "Sarera Suwatha" in the "Bell Play" frame.
buttons=("576 380 Start Bell" "40 460 Periad Bell" "264 460 Sarera Suwatha")
rss() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$program_pid/status"; }
declare -A at
at[0]=$(rss)
next=${EPOCHREALTIME/./}
for ((n = 1; n <= presses; n++)); do
    read -r x y _ <<<"${buttons[(n - 1) % 3]}"
    xdotool mousemove --window "$window" "$x" "$y" click 1
    next=$((next + 400000))
    wait_us=$((next - ${EPOCHREALTIME/./}))
    ((wait_us > 0)) && sleep "$(printf '%d.%06d' $((wait_us / 1000000)) $((wait_us % 1000000)))"
    case $n in 1 | 50 | 150 | 300 | "$presses") at[$n]=$(rss) ;; esac
done
rang=$(grep -c '^chimewick: pressed ' "$work/program.out" || true)
for name in "Start Bell" "Periad Bell" "Sarera Suwatha"; do
    echo "    $name: $(grep -c "^chimewick: pressed $name: " "$work/program.out" || true) presses rang ($(grep -m1 -o "pressed $name: .*" "$work/program.out" | sed 's/.*: //'))"
done
for n in 1 50 150 300; do at[$n]=${at[$n]:--}; done
echo "    resident memory, MB: before the first press ${at[0]}; after press 1 ${at[1]}, 50 ${at[50]}, 150 ${at[150]}, 300 ${at[300]}, $presses ${at[$presses]}"
growth=- per_press=-
if ((presses > 50)); then
    growth=$(awk -v a="${at[50]}" -v b="${at[$presses]}" 'BEGIN {printf "%.1f", b - a}')
    per_press=$(awk -v g="$growth" -v n=$((presses - 50)) 'BEGIN {printf "%.0f", g * 1024 / n}')
fi
echo "    growth from press 50 to $presses: $growth MB ($per_press kB a press)"
echo "RESULT program_memory presses=$presses rang=$rang rss0=${at[0]} rss1=${at[1]} rss50=${at[50]} rss150=${at[150]} rss300=${at[300]} rsslast=${at[$presses]} growth=$growth"
