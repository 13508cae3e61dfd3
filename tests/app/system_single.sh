#!/usr/bin/env bash
# One Chimewick per user session, on a virtual display with a window manager: a second
# start brings the minimised window back and ends with status 0, leaving one window; the
# channel is the user's own and answers nothing but its one request; after the first copy
# is killed outright, the next start opens its window.
# Usage: system_single.sh <program>
set -euo pipefail
program=$1

for tool in xvfb-run xdotool openbox dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "system_single: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
program=$1 work=$2
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT
openbox --sm-disable 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
fail() { echo "system_single: $*" >&2; exit 1; }
windows() { xdotool search --onlyvisible --name '^School Chimewick' 2>/dev/null | wc -l; }
wait_for_window() {
  for _ in $(seq 100); do (($(windows) == 1)) && return 0; sleep 0.1; done
  fail "$1"
}

"$program" >"$work/first.out" 2>&1 &
first=$!
pids+=($first)
wait_for_window "the first start opened no window"
id=$(xdotool search --onlyvisible --name '^School Chimewick')
xdotool windowminimize --sync "$id"
(($(windows) == 0)) || fail "the window could not be minimised"

status=0
timeout 10 "$program" >"$work/second.out" 2>&1 || status=$?
((status == 0)) || fail "the second start ended with status $status"
wait_for_window "the second start did not bring the window back"
sleep 1
(($(windows) == 1)) || fail "$(windows) windows after the second start"
kill -0 "$first" || fail "the first copy ended"

socket=$XDG_RUNTIME_DIR/chimewick
[[ $(stat -c %a "$socket") == 600 || $(stat -c %a "$socket") == 700 ]] ||
  fail "the channel is open to others: mode $(stat -c %a "$socket")"
# Anything but the one request is closed unheard.
/usr/bin/python3 - "$socket" <<'PY' || fail "the channel answered a stranger"
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.settimeout(5)
s.connect(sys.argv[1])
s.sendall(b"ring every bell\n")
sys.exit(0 if s.recv(100) == b"" else 1)
PY

kill -KILL "$first"
wait "$first" 2>/dev/null || true
"$program" >"$work/third.out" 2>&1 &
pids+=($!)
wait_for_window "after the first copy was killed, the next start opened no window"
echo "system_single: one window after two starts; the next start after a kill opened its window"
INSIDE
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash "$work/inside.sh" "$program" "$work" 2>&1 |
  grep -v -e 'Failed to set fd limit' -e 'debian-menu.xml' -e 'X connection to'
exit "${PIPESTATUS[0]}"
