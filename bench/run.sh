#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Chimewick and its benchmarks (Release) and runs the five of them:
#   1. ring timing: the real window, engine and player, against a plain unaligned timer;
#   2. audible start: from handing the player a bell to its first sound at a sound server;
#   3. idle cost: the real program's CPU share and memory with no bell due;
#   4. tick cost: one tick on the real clock, the zone read afresh each time;
#   5. whole path: the real window ringing bells typed into its timetable, from the due
#      second's start to the first sound at the sink, beside paplay's start as a yardstick.
#   6. both sound servers, PulseAudio and PipeWire (pipewire, wireplumber, pipewire-pulse on a
#      private runtime folder and session bus), each started here: the listener checked
#      against a click, the whole path to the recording's own sound, a soak of rings (with the
#      bench's memory at its 100th ring and its last), the program's memory over 450 presses
#      of its bell buttons (bench/program_memory.sh), and the idle cost of the program and of
#      the server. With BEFORE_BIN set to the bin folder of an earlier build (see
#      bench/README.md), its whole path is measured on each server too.
# Prints the figures and one summary at the end. Installs nothing: scripts/install-deps.sh
# does. Takes about 80 minutes, an hour of it the soaks (SOAK_RINGS=3000 a server; fewer for a
# quick look).
#
#   bench/run.sh [BUILD_DIR]        (default: build/bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}

for tool in cmake ninja pulseaudio pactl paplay xvfb-run faketime pipewire wireplumber pipewire-pulse dbus-daemon ffmpeg; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing; run scripts/install-deps.sh" >&2; exit 1; }
done
faketime_lib=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -1 || true)
[[ -n $faketime_lib ]] || { echo "bench: libfaketime is missing; run scripts/install-deps.sh" >&2; exit 1; }

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCHIMEWICK_WERROR=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target chimewick chimewick_bench >/dev/null
bin=$build/bin

# A private sound server with a null sink: the bells are heard at its monitor, and nothing
# else on the machine hears them.
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
program_pid=""
cleanup() {
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
    pulseaudio --kill 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
unset PULSE_SERVER PULSE_LATENCY_MSEC
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --log-level=debug --log-target="file:$work/pulse.log" \
    --load="module-null-sink sink_name=chimewick_bench" --load="module-native-protocol-unix" 2>/dev/null
pactl set-default-sink chimewick_bench
export CHIMEWICK_BENCH_MONITOR=chimewick_bench.monitor
xvfb=(xvfb-run -a -s "-screen 0 1280x800x24")
underruns() { grep -c "Implicit underrun of 'Playback Stream'" "$work/pulse.log" || true; }
result() { grep '^RESULT' "$1" | tail -1; }
field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1"; }

echo
echo "== 1. ring timing"
"${xvfb[@]}" "$bin/chimewick_bench" ring 65 2>"$work/ring.err" | tee "$work/ring.out"
ring=$(result "$work/ring.out")

echo
echo "== 2. audible start (ms from handing the player the bell to its first sound at the sink)"
declare -A sets=(
    [wma]="BellStart.wma period2.wma period3.wma period4.wma period5.wma period6.wma"
    [mp3]="bell.mp3 pgee.mp3 pg.mp3 pirith.mp3 NgeeMusic.mp3 bell.mp3"
)
wav="Shareera Suwatha 2.wav"
before=$(underruns)
rings=0
for label in wma mp3 wav; do
    if [[ $label == wav ]]; then
        files=("$wav" "$wav" "$wav" "$wav" "$wav" "$wav")
    else
        read -r -a files <<<"${sets[$label]}"
    fi
    echo "  $label, a fresh process, the first ring 2 s after the window opened:"
    "${xvfb[@]}" "$bin/chimewick_bench" audible "$label" 2000 "${files[@]}" 2>"$work/$label.err" \
        | tee "$work/$label.out" | grep -v '^RESULT'
    rings=$((rings + ${#files[@]}))
done
echo "  yardstick, paplay of the WAV (from starting the process):"
"${xvfb[@]}" "$bin/chimewick_bench" paplay paplay 1000 "$wav" "$wav" "$wav" 2>"$work/paplay.err" \
    | tee "$work/paplay.out" | grep -v '^RESULT'
audible_underruns=$(( $(underruns) - before ))

echo
echo "== 3. idle cost of the program, 60 s with no bell due"
quiet="2025-01-06 03:00:00" # a Monday, hours before the first bell
"$bin/chimewick_bench" quiet "$quiet" 90
"${xvfb[@]}" env FAKETIME="@$quiet" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$faketime_lib" \
    sh -c 'echo $$ >"$1"; exec "$2"' sh "$work/program.pid" "$bin/chimewick" \
    >"$work/program.out" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $work/program.pid ]] && break; sleep 0.1; done
program_pid=$(cat "$work/program.pid")
sleep 5 # warm-up: the window shown, the player made
ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$program_pid/status"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
start_ns=$(date +%s%N)
rss_sum=0
rss_max=0
for _ in $(seq 60); do
    sleep 1
    r=$(rss_kb)
    rss_sum=$((rss_sum + r))
    ((r > rss_max)) && rss_max=$r
done
t1=$(ticks)
end_ns=$(date +%s%N)
rss_parts=$(awk '/^RssAnon:/ {a = $2} /^RssFile:/ {f = $2} END {printf "%.1f MB private, %.1f MB mapped files", a / 1024, f / 1024}' "/proc/$program_pid/status")
kill "$program_pid"
wait "$xvfb_pid" 2>/dev/null || true
program_pid=""
idle_cpu=$(awk -v d=$((t1 - t0)) -v hz="$hz" -v ns=$((end_ns - start_ns)) 'BEGIN {printf "%.3f", d / hz / (ns / 1e9) * 100}')
idle_rss=$(awk -v s="$rss_sum" 'BEGIN {printf "%.1f", s / 60 / 1024}')
idle_rss_max=$(awk -v s="$rss_max" 'BEGIN {printf "%.1f", s / 1024}')
echo "  CPU: $idle_cpu % of one core over $(awk -v ns=$((end_ns - start_ns)) 'BEGIN {printf "%.1f", ns / 1e9}') s ($((t1 - t0)) ticks of 1/$hz s)"
echo "  resident memory: mean $idle_rss MB, max $idle_rss_max MB (at the end: $rss_parts)"

echo
echo "== 4. tick cost (the computer's own zone, read afresh at each tick)"
"$bin/chimewick_bench" tick 200000 | tee "$work/tick.out" | grep -v '^RESULT'
tick=$(result "$work/tick.out")

echo
echo "== 5. whole path (ms from the due second's start to the first sound at the sink)"
"${xvfb[@]}" "$bin/chimewick_bench" whole 12 2>"$work/whole.err" | tee "$work/whole.out"
whole=$(result "$work/whole.out")

echo
echo "== 6. both sound servers"
pulseaudio --kill 2>/dev/null || true
soak_rings=${SOAK_RINGS:-3000}
server_pids=()
start_server() { # pulseaudio|pipewire
    export XDG_RUNTIME_DIR=$work/runtime-$1
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    server_pids=()
    if [[ $1 == pulseaudio ]]; then
        pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
            --load="module-null-sink sink_name=chimewick_bench" --load="module-native-protocol-unix" 2>/dev/null
        server_pids=("$(cat "$XDG_RUNTIME_DIR/pulse/pid")")
    else
        local bus
        bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
        export DBUS_SESSION_BUS_ADDRESS=$(head -1 <<<"$bus")
        server_pids=("$(tail -1 <<<"$bus")")
        pipewire >/dev/null 2>&1 & server_pids+=($!); sleep 0.7
        wireplumber >/dev/null 2>&1 & server_pids+=($!); sleep 0.7
        pipewire-pulse >/dev/null 2>&1 & server_pids+=($!); sleep 1
        pactl load-module module-null-sink sink_name=chimewick_bench >/dev/null
    fi
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink chimewick_bench
    echo "  $(pactl info | sed -n 's/^Server Name: //p')"
}
stop_server() {
    if [[ ${server_pids[0]:-} ]]; then kill "${server_pids[@]}" 2>/dev/null || true; fi
    sleep 0.5
    server_pids=()
    unset DBUS_SESSION_BUS_ADDRESS
}
cleanup_servers() { stop_server; cleanup; }
trap cleanup_servers EXIT
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
declare -A servers
for server in pulseaudio pipewire; do
    echo " -- $server"
    start_server "$server"
    "$bin/chimewick_bench" click 10 | tee "$work/$server.click" | grep -v '^RESULT'
    "${xvfb[@]}" "$bin/chimewick_bench" whole 13 2>"$work/$server.whole.err" | tee "$work/$server.whole" | grep -v '^RESULT'
    if [[ -n ${BEFORE_BIN:-} ]]; then
        echo "  the earlier build:"
        "${xvfb[@]}" "$BEFORE_BIN/chimewick_bench" whole 13 2>"$work/$server.before.err" | tee "$work/$server.before" | grep -v '^RESULT'
    fi
    echo "  soak, $soak_rings rings:"
    "${xvfb[@]}" "$bin/chimewick_bench" soak "$soak_rings" 2>"$work/$server.soak.err" | tee "$work/$server.soak" | grep -v '^RESULT'
    "$root/bench/program_memory.sh" current "$bin" | tee "$work/$server.memory" | grep -v '^RESULT'
    # Idle: the program with no bell due, 60 s, and the server beside it.
    "${xvfb[@]}" env FAKETIME="@$quiet" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$faketime_lib" \
        sh -c 'echo $$ >"$1"; exec "$2"' sh "$work/$server.pid" "$bin/chimewick" >/dev/null 2>&1 &
    idle_xvfb=$!
    for _ in $(seq 50); do [[ -s $work/$server.pid ]] && break; sleep 0.1; done
    program_pid=$(cat "$work/$server.pid")
    sleep 5
    p0=$(cpu_ticks "$program_pid"); s0=0; for pid in "${server_pids[@]}"; do s0=$((s0 + $(cpu_ticks "$pid"))); done
    t0=$(date +%s%N)
    sleep 60
    p1=$(cpu_ticks "$program_pid"); s1=0; for pid in "${server_pids[@]}"; do s1=$((s1 + $(cpu_ticks "$pid"))); done
    t1=$(date +%s%N)
    rss=$(awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$program_pid/status")
    kill "$program_pid"; wait "$idle_xvfb" 2>/dev/null || true; program_pid=""
    share() { awk -v d="$1" -v hz="$hz" -v ns=$((t1 - t0)) 'BEGIN {printf "%.3f", d / hz / (ns / 1e9) * 100}'; }
    servers[$server]="$(result "$work/$server.whole") idle_cpu=$(share $((p1 - p0))) server_cpu=$(share $((s1 - s0))) rss=$rss"
    echo "  idle: the program $(share $((p1 - p0))) % of a core, the server $(share $((s1 - s0))) %; the program's resident memory $rss MB"
    stop_server
done

echo
echo "== summary"
echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), Debian $(cat /etc/debian_version), Qt $(pkg-config --modversion Qt6Core 2>/dev/null), GStreamer $(pkg-config --modversion gstreamer-1.0 2>/dev/null)"
printf '%-44s %8s %8s %8s %8s   %s\n' "ring timing, ms after the second began" min median p99 max target
printf '%-44s %8s %8s %8s %8s   %s\n' "  aligned tick (ours)" "$(field "$ring" ours_min)" "$(field "$ring" ours_median)" "$(field "$ring" ours_p99)" "$(field "$ring" ours_max)" "median <= 5, max <= 30"
printf '%-44s %8s %8s %8s %8s\n' "  unaligned 1000 ms QTimer" "$(field "$ring" plain_min)" "$(field "$ring" plain_median)" "$(field "$ring" plain_p99)" "$(field "$ring" plain_max)"
echo "  median ratio unaligned/ours: $(field "$ring" ratio)x; unaligned: seconds ticked twice $(field "$ring" plain_twice), without a tick $(field "$ring" plain_none); bells rung twice $(field "$ring" plain_rung_twice), missed $(field "$ring" plain_missed); ours missed $(field "$ring" ours_missed), rung twice $(field "$ring" ours_twice)"
printf '%-44s %8s %8s %8s %8s %8s   %s\n' "audible start, ms" first "later min" median max silent target
for label in wma mp3 wav paplay; do
    r=$(result "$work/$label.out")
    printf '%-44s %8s %8s %8s %8s %8s   %s\n' "  $label" "$(field "$r" first)" "$(field "$r" later_min)" "$(field "$r" later_median)" "$(field "$r" later_max)" \
        "$(field "$r" silent)" "$([[ $label == paplay ]] && echo yardstick || echo 'first <= 150, later <= 100')"
done
echo "  (silent: rings that made no sound within 5 s; the player then shows the bell as ended)"
for label in wma mp3 wav; do
    r=$(result "$work/$label.out")
    echo "  $label: resident memory of the bench's process $(field "$r" rss_before) MB before the first ring, $(field "$r" rss_after) MB after the last"
done
echo "  the sound server saw $audible_underruns underruns of the player's streams in $rings rings (one at each sound's end is normal)"
printf '%-44s %8s %8s %8s   %s\n' "tick cost, microseconds (median, p99, max)" "$(field "$tick" tick_median_us)" "$(field "$tick" tick_p99_us)" "$(field "$tick" tick_max_us)" "far below 1000"
printf '%-44s %8s %8s %8s %8s %8s   %s\n' "whole path, ms after the second began" first "later min" median max silent target
printf '%-44s %8s %8s %8s %8s %8s   %s\n' "  timetable to first sound" "$(field "$whole" first)" "$(field "$whole" later_min)" "$(field "$whole" later_median)" "$(field "$whole" later_max)" \
    "$(field "$whole" silent)" "first <= 80, median <= 40, max <= 60"
echo "  yardstick: paplay starts sound $(field "$whole" paplay_median) ms (median) after its launch"
printf '%-44s %8s   %s\n' "idle CPU, % of one core" "$idle_cpu" "<= 0.2"
printf '%-44s %8s   %s\n' "idle resident memory, MB (mean; max)" "$idle_rss; $idle_rss_max" "<= 80"
echo "  $rss_parts"
printf '%-44s %8s %8s %8s %8s %8s   %s\n' "both servers, ms after the second began" first median max silent "listener" target
for server in pulseaudio pipewire; do
    r=${servers[$server]}
    target=$([[ $server == pulseaudio ]] && echo "median <= 15, max <= 30, first <= 40" || echo "median <= 25, max <= 45")
    printf '%-44s %8s %8s %8s %8s %8s   %s\n' "  $server, the recording's sound" "$(field "$r" content_first)" "$(field "$r" content_median)" "$(field "$r" content_max)" "$(field "$r" silent)" \
        "+$(field "$(result "$work/$server.click")" median)" "$target"
    printf '%-44s %8s %8s %8s\n' "  $server, the first sound (-50 dBFS)" "$(field "$r" first)" "$(field "$r" later_median)" "$(field "$r" later_max)"
    if [[ -n ${BEFORE_BIN:-} ]]; then
        b=$(result "$work/$server.before")
        printf '%-44s %8s %8s %8s %8s\n' "  $server before, the recording's sound" "$(field "$b" content_first)" "$(field "$b" content_median)" "$(field "$b" content_max)" "$(field "$b" silent)"
        printf '%-44s %8s %8s %8s\n' "  $server before, the first sound" "$(field "$b" first)" "$(field "$b" later_median)" "$(field "$b" later_max)"
    fi
    k=$(result "$work/$server.soak")
    echo "  $server soak: $(field "$k" rings) rings, $(field "$k" silent) silent, $(field "$k" cut) cut; resident memory $(field "$k" rss100) MB at ring 100, $(field "$k" rsslast) MB at the last; idle: program $(field "$r" idle_cpu) %, server $(field "$r" server_cpu) % of a core; program $(field "$r" rss) MB"
    m=$(result "$work/$server.memory")
    echo "  $server program over $(field "$m" presses) presses ($(field "$m" rang) rang): resident memory $(field "$m" rss50) MB after press 50, $(field "$m" rsslast) MB after the last, growth $(field "$m" growth) MB"
done
