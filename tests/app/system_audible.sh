#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the real program on a virtual display with its clock set just before the first
# bell of a Monday, and listens at the sound server's null sink: the bell must be heard,
# from the second it is due, for about the length of its recording.
# Usage: system_audible.sh <program> <runtime folder with a null sink running>
set -euo pipefail
program=$1
export XDG_RUNTIME_DIR=$2

libfaketime=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -1)
[[ -n "$libfaketime" ]] || { echo "system_audible: libfaketime is missing" >&2; exit 1; }
# The sanitizer runtime refuses to start behind a preloaded faketime, and preloaded
# ahead of it the two deadlock at start-up; the strict build hears the bell instead.
if ldd "$program" | grep -q 'libasan\.so'; then
  echo "system_audible: skipped in a sanitizer build, which cannot run under faketime"
  exit 77
fi
pactl info >/dev/null || { echo "system_audible: no sound server in $XDG_RUNTIME_DIR" >&2; exit 1; }

work=$(mktemp -d)
listener=
# On failure, what the program said is the first thing to read.
trap 'status=$?; kill $listener 2>/dev/null || true
  ((status == 0)) || cat "$work/out" >&2 2>/dev/null || true; rm -rf "$work"' EXIT
rate=8000
parec -d bells.monitor --format=s16le --rate=$rate --channels=1 --latency-msec=10 >"$work/heard.raw" &
listener=$!
sleep 0.5

# Monday 7 December 2026, three seconds before "07:25:01 AM", the school start bell. With
# neither a session bus nor a system bus, as in a container: the sleep holds cannot be taken
# and the clock's synchronisation cannot be asked; the program says so, and rings all the same.
FAKETIME="@2026-12-07 07:24:58" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$libfaketime" \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-system-bus" \
  xvfb-run -a -s "-screen 0 1280x800x24" timeout -s INT 8 "$program" >"$work/out" 2>&1 || true
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
