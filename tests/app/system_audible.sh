#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the real program on a virtual display with its clock set just before the first
# bell of a Monday, and listens at the sound server's null sink: the bell must be heard,
# from the second it is due, for about the length of its recording.
# With "wayland", the display is a real Wayland compositor (weston, headless) reached through
# Qt's Wayland plugin; then also the window must carry the desktop entry's id, and a second
# start, given an activation token as a launcher gives one, must hand over to the first and
# end with status 0; where the compositor offers xdg-activation, the first copy must activate
# its window with that token.
# Usage: system_audible.sh <program> <runtime folder with a null sink running> [wayland]
set -euo pipefail
program=$1
export XDG_RUNTIME_DIR=$2
display=${3:-x11}

libfaketime=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -1)
[[ -n "$libfaketime" ]] || { echo "system_audible: libfaketime is missing" >&2; exit 1; }
# The sanitizer runtime refuses to start behind a preloaded faketime, and preloaded
# ahead of it the two deadlock at start-up; the strict build hears the bell instead.
# grep reads to the end: one that stopped at the first match could leave ldd to die of a
# closed pipe, failing the pipeline under pipefail, and the sanitizer build unskipped.
if ldd "$program" | grep 'libasan\.so' >/dev/null; then
  echo "system_audible: skipped in a sanitizer build, which cannot run under faketime"
  exit 77
fi
pactl info >/dev/null || { echo "system_audible: no sound server in $XDG_RUNTIME_DIR" >&2; exit 1; }

work=$(mktemp -d)
listener= compositor=
# On failure, what the program said is the first thing to read.
trap 'status=$?; kill $listener $compositor 2>/dev/null || true
  ((status == 0)) || tail -n 40 "$work/out" >&2 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "system_audible $display: $*" >&2; exit 1; }
run=(xvfb-run -a -s "-screen 0 1280x800x24")
if [[ $display == wayland ]]; then
  socket=wayland-chimewick-$$
  weston --backend=headless-backend.so --socket="$socket" --width=1280 --height=800 --idle-time=0 \
    >"$work/weston" 2>&1 &
  compositor=$!
  for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/$socket ]] && break; sleep 0.1; done
  [[ -S $XDG_RUNTIME_DIR/$socket ]] || fail "weston did not start: $(tail -3 "$work/weston")"
  export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland
  unset DISPLAY
  run=(env WAYLAND_DEBUG=client) # Qt's requests to the compositor, on standard error
fi
rate=8000
parec -d bells.monitor --format=s16le --rate=$rate --channels=1 --latency-msec=10 >"$work/heard.raw" &
listener=$!
# Listening once the server lists the recording stream of the listener.
for _ in $(seq 100); do
  pactl list source-outputs | grep "application.process.id = \"$listener\"" >/dev/null && break
  sleep 0.1
done
pactl list source-outputs | grep "application.process.id = \"$listener\"" >/dev/null ||
  fail "the listener did not start recording at the sink"

# Monday 7 December 2026, three seconds before "07:25:01 AM", the school start bell. With
# neither a session bus nor a system bus, as in a container: the sleep holds cannot be taken
# and the clock's synchronisation cannot be asked; the program says so, and rings all the same.
FAKETIME="@2026-12-07 07:24:58" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$libfaketime" \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-system-bus" \
  "${run[@]}" timeout -s INT 8 "$program" >"$work/out" 2>&1 &
first=$!
if [[ $display == wayland ]]; then
  token=chimewick-test-token-42 drawn='wl_surface[@#][0-9]*\.attach(wl_buffer'
  for _ in $(seq 100); do grep -q "$drawn" "$work/out" && break; sleep 0.1; done
  grep -q "$drawn" "$work/out" || fail "the window was never drawn"
  grep -q 'xdg_toplevel[@#][0-9]*\.set_app_id("io.github.quelbrook.chimewick")' "$work/out" ||
    fail "the window does not carry the desktop entry's id: $(grep -o 'set_app_id([^)]*)' "$work/out")"
  XDG_ACTIVATION_TOKEN=$token timeout 10 "$program" >"$work/second" 2>&1 ||
    fail "the second start ended with status $?: $(cat "$work/second")"
  kill -0 $first || fail "the first copy ended with the second start"
  activation="the compositor offers no xdg-activation"
  if grep -q '"xdg_activation_v1"' "$work/out"; then
    activated="xdg_activation_v1[@#][0-9]*\.activate(\"$token\""
    for _ in $(seq 50); do grep -q "$activated" "$work/out" && break; sleep 0.1; done
    grep -q "$activated" "$work/out" ||
      fail "the first copy did not activate its window with the second start's token"
    activation="the first copy activated its window with the second start's token"
  fi
  echo "system_audible wayland: app id set; the second start handed over; $activation"
fi
wait $first || true
# Time to pass, not a state to poll: the listener's last buffers reach its file.
sleep 0.3
kill "$listener"
wait "$listener" 2>/dev/null || true

clock_lines=$(grep -c "^chimewick: cannot tell whether the clock is synchronised" "$work/out" || true)
((clock_lines == 1)) || { echo "system_audible: $clock_lines lines about the clock, not one" >&2; exit 1; }
for hold in "the desktop portal" logind; do
  grep -q "^chimewick: cannot keep the computer awake through $hold: " "$work/out" ||
    { echo "system_audible: no word that the hold through $hold could not be taken" >&2; exit 1; }
done

# Where the sound is: the first and last 10 ms windows louder than a whisper.
python3 - "$work/heard.raw" "$rate" <<'PY'
import array, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
rate = int(sys.argv[2])
window = rate // 100
loud = [i for i in range(0, len(samples) - window, window)
        if max(abs(s) for s in samples[i:i + window]) > 1000]
if not loud:
    print("system_audible: nothing was heard at the sink", file=sys.stderr)
    sys.exit(1)
heard = (loud[-1] - loud[0] + window) / rate
print(f"system_audible: heard {heard:.2f} s of bell out of {len(samples) / rate:.2f} s listened")
# The start bell's recording lasts about 2.4 s; a cut-off or silent ring hears far less.
sys.exit(0 if heard >= 1.5 else 1)
PY
