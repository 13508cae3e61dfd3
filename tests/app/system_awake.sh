#!/usr/bin/env bash
# Runs the real program on a virtual display with a window manager, against stand-ins for
# logind (on a private system bus) and the desktop portal (on a private session bus): while
# the window is open logind lists the program's sleep lock and the portal has seen one
# Inhibit for suspend; once the window is closed the lock is gone and the portal's request
# closed.
# Usage: system_awake.sh <program>
set -euo pipefail
program=$1

for tool in xvfb-run xdotool openbox dbus-daemon gdbus; do
  command -v "$tool" >/dev/null || { echo "system_awake: $tool is missing" >&2; exit 1; }
done
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "system_awake: python3-dbusmock is missing" >&2; exit 1; }

work=$(mktemp -d)
pids=()
trap 'status=$?; for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  ((status == 0)) || cat "$work/out" >&2 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

bus() { # a private bus; prints its address
  dbus-daemon --session --nofork --print-address=1 >"$work/$1.addr" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 50); do [[ -s $work/$1.addr ]] && break; sleep 0.1; done
  head -1 "$work/$1.addr"
}
system=$(bus system)
session=$(bus session)
export DBUS_SYSTEM_BUS_ADDRESS=$system DBUS_SESSION_BUS_ADDRESS=$session

/usr/bin/python3 -m dbusmock --template logind --system >/dev/null 2>&1 &
pids+=($!)
/usr/bin/python3 -m dbusmock -l "$work/portal.log" org.freedesktop.portal.Desktop \
  /org/freedesktop/portal/desktop org.freedesktop.portal.Inhibit >/dev/null 2>&1 &
pids+=($!)
portal=(--address "$session" --dest org.freedesktop.portal.Desktop)
logind=(--address "$system" --dest org.freedesktop.login1 --object-path /org/freedesktop/login1)
for _ in $(seq 100); do
  gdbus introspect "${portal[@]}" --object-path /org/freedesktop/portal/desktop >/dev/null 2>&1 &&
    gdbus introspect "${logind[@]}" >/dev/null 2>&1 && break
  sleep 0.1
done
request=/org/freedesktop/portal/desktop/request/1_1/chimewick
gdbus call "${portal[@]}" --object-path /org/freedesktop/portal/desktop \
  --method org.freedesktop.DBus.Mock.AddMethod org.freedesktop.portal.Inhibit Inhibit 'sua{sv}' o \
  "ret = dbus.ObjectPath('$request'); self.AddObject(ret, 'org.freedesktop.portal.Request', {}, [('Close', '', '', '')])" >/dev/null
locks() { gdbus call "${logind[@]}" --method org.freedesktop.login1.Manager.ListInhibitors; }

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
program=$1 work=$2
openbox --sm-disable 2>/dev/null &
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
"$program" >"$work/out" 2>&1 &
pid=$!
id=$(timeout 20 xdotool search --sync --onlyvisible --name '^School Chimewick' | head -1)
sleep 1
echo "$(gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.login1 \
  --object-path /org/freedesktop/login1 --method org.freedesktop.login1.Manager.ListInhibitors)" >"$work/open.locks"
cp "$work/portal.log" "$work/open.calls"
xdotool windowactivate --sync "$id" key --clearmodifiers alt+F4
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "system_awake: the program did not end with its window" >&2; kill "$pid"; exit 1; fi
INSIDE
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/inside.sh" "$program" "$work"

fail=0
expect() { # what, file, pattern
  grep -qF -- "$3" "$2" || { echo "system_awake: $1; saw: $(cat "$2")" >&2; fail=1; }
}
expect "logind lists no lock while the window is open" "$work/open.locks" \
  "('sleep:idle', 'Chimewick', \"Rings the school's bells at their times\", 'block'"
inhibits=$(grep -c ' Inhibit "" 4 ' "$work/open.calls" || true)
((inhibits == 1)) || { echo "system_awake: the portal saw $inhibits Inhibit calls for suspend" >&2; fail=1; }
locks >"$work/closed.locks"
expect "the lock outlived the window" "$work/closed.locks" "[]"
expect "the portal's request was not closed" "$work/portal.log" " Close"
((fail == 0)) && echo "system_awake: held while open ($(cat "$work/open.locks")), let go when closed"
exit "$fail"
