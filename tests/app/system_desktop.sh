#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The real program on a 1280x800 virtual display as a desktop runs it: a session bus of its
# own and, but for centred_bare, a window manager (openbox). One case per run:
#   centred_wm, centred_bare  the whole window, frame included, is centred within 2 px;
#   single  a second start brings the minimised window back and ends with status 0; the
#           channel is the user's own and answers nothing but its request; after the first
#           copy is killed outright the next start opens its window;
#   awake   against stand-ins for logind (private system bus) and the desktop portal: while
#           the window is open logind lists the sleep lock and the portal saw one Inhibit for
#           suspend; once the window is closed the lock is gone and the request closed.
#   silent_portal, silent_logind  the desktop portal (or logind) owns its name and never
#           answers: Alt+F4 ends the process with status 0 within a second.
# Usage: system_desktop.sh <program> <case>
set -euo pipefail
program=$1
case=$2

if [[ -z ${CHIMEWICK_ON_DISPLAY:-} ]]; then
  for tool in xvfb-run xdotool xwininfo xprop openbox dbus-daemon dbus-run-session gdbus; do
    command -v "$tool" >/dev/null || { echo "system_desktop: $tool is missing" >&2; exit 1; }
  done
  /usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "system_desktop: python3-dbusmock is missing" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export HOME=$work XDG_RUNTIME_DIR=$work/runtime CHIMEWICK_ON_DISPLAY=1
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash "$0" "$@" 2>&1 |
    grep -v -e 'Failed to set fd limit' -e 'debian-menu.xml' -e 'X connection to'
  exit "${PIPESTATUS[0]}"
fi

pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT
fail() { echo "system_desktop $case: $*" >&2; [[ ! -f $HOME/out ]] || cat "$HOME/out" >&2; exit 1; }
windows() { xdotool search --onlyvisible --name '^School Chimewick' 2>/dev/null | wc -l; }
wait_for_window() {
  for _ in $(seq 100); do (($(windows) == 1)) && return 0; sleep 0.1; done
  fail "$1"
}
start() { "$program" >"$HOME/out" 2>&1 & pids+=($!); }
# Alt+F4 on the window, then up to $2 × 20 ms for process $1 to end; sets took (ms). A key
# lost on a busy display is sent once more; the time still counts from the first.
close_and_wait() {
  xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^School Chimewick')" key --clearmodifiers alt+F4
  local closed n
  closed=$(date +%s%N)
  for n in $(seq "$2"); do
    kill -0 "$1" 2>/dev/null || break
    ((n != 25)) || (($(windows) == 0)) || xdotool key --clearmodifiers alt+F4
    sleep 0.02
  done
  took=$((($(date +%s%N) - closed) / 1000000))
}

if [[ $case != centred_bare ]]; then
  openbox --sm-disable &
  pids+=($!)
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null && break; sleep 0.1; done
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null || fail "the window manager did not start"
fi

case $case in
centred_*)
  start
  wait_for_window "no window"
  id=$(xdotool search --onlyvisible --name '^School Chimewick')
  # Where the frame is now; true once it is centred, and framed where a window manager runs.
  centred() {
    eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print "x=" $4} /Absolute upper-left Y/ {print "y=" $4}
      /^  Width/ {print "w=" $2} /^  Height/ {print "h=" $2}')"
    read -r l r t b < <(xprop -id "$id" _NET_FRAME_EXTENTS | grep -oE '[0-9]+(, [0-9]+){3}' | tr -d ',' || echo)
    [[ $case == centred_bare || -n $l ]] || return 1
    l=${l:-0} r=${r:-0} t=${t:-0} b=${b:-0}
    cx=$((2 * (x - l) + l + w + r)) cy=$((2 * (y - t) + t + h + b)) # twice the frame's centre
    ((cx - 1280 <= 4 && 1280 - cx <= 4 && cy - 800 <= 4 && 800 - cy <= 4))
  }
  # The window manager frames the window, and the program answers by centring it again.
  x=0 y=0 w=0 h=0 l=0 r=0 t=0 b=0 cx=0 cy=0
  for _ in $(seq 50); do centred && break; sleep 0.1; done
  status=0
  centred || status=$?
  echo "frame $l,$r,$t,$b; client ${w}x${h}+$x+$y; frame centre $((cx / 2)).$((cx % 2 * 5)),$((cy / 2)).$((cy % 2 * 5)); screen centre 640,400"
  ((status == 0)) || fail "the window is off centre"
  ;;
single)
  start
  first=$!
  wait_for_window "the first start opened no window"
  xdotool windowminimize --sync "$(xdotool search --onlyvisible --name '^School Chimewick')"
  status=0
  timeout 10 "$program" >/dev/null 2>&1 || status=$?
  ((status == 0)) || fail "the second start ended with status $status"
  wait_for_window "the second start did not bring the window back"
  sleep 1 # time to pass, not a state to poll: a second window, were one opened, would show
  (($(windows) == 1)) && kill -0 "$first" || fail "$(windows) windows after the second start"
  socket=$XDG_RUNTIME_DIR/chimewick
  [[ $(stat -c %a "$socket") == [67]00 ]] || fail "the channel is open to others: $(stat -c %a "$socket")"
  /usr/bin/python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX); s.settimeout(5); s.connect(sys.argv[1]); s.sendall(b"ring every bell\n")
sys.exit(0 if s.recv(100) == b"" else 1)' "$socket" || fail "the channel answered a stranger"
  kill -KILL "$first"
  wait "$first" 2>/dev/null || true
  start
  wait_for_window "after the first copy was killed, the next start opened no window"
  echo "system_desktop single: one window after two starts; a start after a kill opened its window"
  ;;
awake)
  dbus-daemon --session --nofork --print-address=1 >"$HOME/system.addr" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 50); do [[ -s $HOME/system.addr ]] && break; sleep 0.1; done
  export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$HOME/system.addr")
  /usr/bin/python3 -m dbusmock --template logind --system >/dev/null 2>&1 &
  pids+=($!)
  /usr/bin/python3 -m dbusmock -l "$HOME/portal.log" org.freedesktop.portal.Desktop \
    /org/freedesktop/portal/desktop org.freedesktop.portal.Inhibit >/dev/null 2>&1 &
  pids+=($!)
  portal=(--session --dest org.freedesktop.portal.Desktop --object-path /org/freedesktop/portal/desktop)
  logind=(--system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1)
  for _ in $(seq 100); do
    gdbus introspect "${portal[@]}" >/dev/null 2>&1 && gdbus introspect "${logind[@]}" >/dev/null 2>&1 && break
    sleep 0.1
  done
  gdbus call "${portal[@]}" --method org.freedesktop.DBus.Mock.AddMethod org.freedesktop.portal.Inhibit Inhibit \
    'sua{sv}' o "ret = dbus.ObjectPath('/org/freedesktop/portal/desktop/request/1_1/chimewick')
self.AddObject(ret, 'org.freedesktop.portal.Request', {}, [('Close', '', '', '')])" >/dev/null
  locks() { gdbus call "${logind[@]}" --method org.freedesktop.login1.Manager.ListInhibitors; }
  start
  pid=$!
  wait_for_window "no window"
  for _ in $(seq 50); do
    [[ $(locks) == *"'Chimewick'"* ]] && grep -q ' Inhibit "" 4 ' "$HOME/portal.log" && break
    sleep 0.1
  done
  open=$(locks)
  [[ $open == *"('sleep:idle', 'Chimewick', \"Rings the school's bells at their times\", 'block'"* ]] ||
    fail "logind lists no lock while the window is open: $open"
  inhibits=$(grep -c ' Inhibit "" 4 ' "$HOME/portal.log" || true)
  ((inhibits == 1)) || fail "the portal saw $inhibits Inhibit calls for suspend"
  close_and_wait "$pid" 500
  kill -0 "$pid" 2>/dev/null && fail "the program did not end with its window: $(windows) still shown after $took ms"
  [[ $(locks) == *"[]"* ]] || fail "the lock outlived the window: $(locks)"
  # Sent unawaited at the close: the stand-in may log it a moment after the process ended.
  for _ in $(seq 20); do grep -q ' Close' "$HOME/portal.log" && break; sleep 0.05; done
  grep -q ' Close' "$HOME/portal.log" || fail "the portal's request was not closed"
  echo "system_desktop awake: held while open ($open), let go when closed"
  ;;
silent_*)
  # A name owned by a process that never reads its calls, as a session without a portal
  # backend has for its first 25 s; logind's on a private system bus.
  if [[ $case == silent_logind ]]; then
    dbus-daemon --session --nofork --print-address=1 >"$HOME/system.addr" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [[ -s $HOME/system.addr ]] && break; sleep 0.1; done
    export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$HOME/system.addr")
  fi
  /usr/bin/python3 -c 'import dbus, sys, time
bus = dbus.SystemBus() if sys.argv[1] == "silent_logind" else dbus.SessionBus()
bus.request_name(sys.argv[2]); print(flush=True); time.sleep(600)' "$case" \
    "$([[ $case == silent_logind ]] && echo org.freedesktop.login1 || echo org.freedesktop.portal.Desktop)" >"$HOME/owned" &
  pids+=($!)
  for _ in $(seq 50); do [[ -s $HOME/owned ]] && break; sleep 0.1; done
  start
  pid=$!
  wait_for_window "no window"
  # Time to pass, not a state to poll: the program's call to the silent name is left waiting
  # for an answer that never comes, and the close must not wait for it.
  sleep 1
  close_and_wait "$pid" 1500
  status=0
  kill -0 "$pid" 2>/dev/null || wait "$pid" || status=$?
  ((status == 0 && took <= 1000)) || fail "status $status, ${took} ms after Alt+F4"
  echo "system_desktop $case: ended with status 0, ${took} ms after Alt+F4"
  ;;
*) fail "no such case" ;;
esac
