#!/usr/bin/env bash
# Starts the real program on a 1280x800 virtual display, with a window manager (openbox)
# or without one, and checks that the whole window, frame included, is centred on the
# screen within two pixels.
# Usage: system_centred.sh <program> wm|bare
set -euo pipefail
program=$1
mode=$2

for tool in xvfb-run xdotool xwininfo xprop dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "system_centred: $tool is missing" >&2; exit 1; }
done
[[ $mode == bare ]] || command -v openbox >/dev/null || { echo "system_centred: openbox is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
program=$1 mode=$2
if [[ $mode == wm ]]; then
  openbox --sm-disable &
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
fi
"$program" >"$HOME/out" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
id=$(timeout 20 xdotool search --sync --onlyvisible --name '^School Chimewick' | head -1)
sleep 1.5 # the window manager's framing and the program's answer to it
eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print "x=" $4} /Absolute upper-left Y/ {print "y=" $4}
  /^  Width/ {print "w=" $2} /^  Height/ {print "h=" $2}')"
read -r left right top bottom < <(xprop -id "$id" _NET_FRAME_EXTENTS | grep -oE '[0-9]+(, [0-9]+){3}' | tr -d ',' || echo 0 0 0 0)
left=${left:-0} right=${right:-0} top=${top:-0} bottom=${bottom:-0}
cx=$(( (2 * (x - left) + left + w + right) )) # twice the frame's centre
cy=$(( (2 * (y - top) + top + h + bottom) ))
echo "frame $left,$right,$top,$bottom; client ${w}x${h}+$x+$y; frame centre $((cx / 2)).$((cx % 2 * 5)),$((cy / 2)).$((cy % 2 * 5)); screen centre 640,400"
dx=$(( cx - 1280 )); dy=$(( cy - 800 ))
(( dx < 0 )) && dx=$(( -dx )); (( dy < 0 )) && dy=$(( -dy ))
if (( dx > 4 || dy > 4 )); then
  echo "system_centred: the window is off centre by $((dx / 2)),$((dy / 2)) px" >&2
  exit 1
fi
INSIDE

# A session bus of its own, as a desktop has: without one Qt may start one that writes ~/.dbus.
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash "$work/inside.sh" "$program" "$mode" 2>&1 |
  grep -v -e 'Failed to set fd limit' -e 'debian-menu.xml' -e 'X connection to'
exit "${PIPESTATUS[0]}"
