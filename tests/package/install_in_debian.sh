#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# A fresh Debian of the package's own suite and architecture, from the package alone: a
# throwaway root (scripts/debian-root.sh: minbase, none of the build's packages), the
# package installed with `apt-get install ./<deb>`, then /usr/bin/chimewick started there
# under xvfb-run for each check of the table below, heard at a PulseAudio null sink; then
# the package purged and none of its files left.
# The display, the sound server and the listener run outside the root, so the root holds
# nothing but the package and what it depends on. An arm64 root runs under qemu-user-static
# (see scripts/debian-root.sh). Needs root (debootstrap, chroot) and the Debian mirror.
# Usage: install_in_debian.sh <chimewick_VERSION_ARCH.deb>
set -euo pipefail
deb=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
support=$here/../support

for tool in debootstrap chroot xvfb-run xdotool pulseaudio pactl parec dbus-run-session python3; do
  command -v "$tool" >/dev/null || { echo "install_in_debian: $tool is missing" >&2; exit 1; }
done
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install_in_debian: needs root or sudo (debootstrap, chroot)" >&2; exit 1; }
  exec sudo -- bash "$0" "$deb"
fi
# shellcheck source=scripts/debian-root.sh
. "$here/../../scripts/debian-root.sh"

# The suite from the version's "~debNN", the architecture from the package.
arch=$(dpkg-deb -f "$deb" Architecture)
case $(dpkg-deb -f "$deb" Version) in
*~deb12) suite=bookworm ;;
*~deb13) suite=trixie ;;
*) echo "install_in_debian: $(basename "$deb") names no Debian release" >&2; exit 1 ;;
esac

# The checks, one a line: name, the program's clock (faketime; - for the real one), what is
# done before the start, the button pressed once the window shows (- for none; "again" starts
# a second copy), the seconds of bell to hear at least, and a line expected on its standard
# error ("!line": not expected). The clocks: Monday 7 December 2026 shortly before the school
# start bell (07:25:01 AM); a Saturday noon, when no bell is due.
monday="2026-12-07 07:24:56"
saturday="2026-12-05 12:00:00"
# Both suites play through the player's own GStreamer pipeline into the sound server's sink,
# which it tunes: Debian 13 no longer goes through Qt's FFmpeg backend.
tuned="tuned the sound sink pulsesink to start bells promptly"
checks=(
  "window    | -          | -     | -         | 0   | -"
  "timetable | $monday    | -     | -         | 1.5 | $tuned"
  "button    | $saturday  | -     | Command23 | 1.5 | -"
  "broken    | $monday    | break | Command24 | 1.5 | Cannot play /usr/lib/chimewick/BellStart2.wma"
  "muted     | $saturday  | mute  | -         | 0   | Sound output is muted: bells will not be heard"
  "again     | -          | -     | again     | 0   | -"
)

work=$(mktemp -d "${TMPDIR:-/tmp}/chimewick-debian.XXXXXX")
root=$work/root
export XDG_RUNTIME_DIR=$root/run/bells # the sound server's socket, reachable inside the root
cleanup() {
  local status=$?
  [[ -d "$XDG_RUNTIME_DIR" ]] && bash "$support/null_sink.sh" stop "$XDG_RUNTIME_DIR" || true
  root_stop
  rm -rf --one-file-system "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$SECONDS
root_start "$suite" "$arch" "$root"
cp "$deb" "$root/tmp/"
if [[ -z $root_emulator ]]; then
  apt=(in_root "${root_apt[@]}")
  fetch=(in_root sh -c 'cd /tmp && apt-get -q download libfaketime')
else
  # Nothing of the root runs inside it: this machine's apt fetches what the package depends
  # on, and it is unpacked there without being set up, which is enough to run the program.
  mkdir -p "$root/var/lib/apt/lists/partial" "$root/var/cache/apt/archives/partial"
  root_mirrors "$suite" | awk '{ print "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] " $2 " " $1 " main" }' >"$work/sources.list"
  apt=(apt-get -q -y -o Dir="$root" -o Dir::State::status="$root/var/lib/dpkg/status" -o APT::Architecture="$arch"
    -o APT::Architectures::="$arch" -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
    -o Debug::NoLocking=true -o Acquire::Retries=5)
  fetch=(sh -c 'cd "$0/tmp" && "$@" download libfaketime' "$root" "${apt[@]}")
fi
"${apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
if [[ -z $root_emulator ]]; then
  # Depends alone must be enough, so Recommends stay out.
  "${apt[@]}" --no-install-recommends install "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 ||
    { tail -30 "$work/apt.log" >&2; exit 1; }
  in_root dpkg-query -L chimewick | grep '^/' >"$work/files"
else
  "${apt[@]}" --no-install-recommends --download-only install "$root/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 ||
    { tail -30 "$work/apt.log" >&2; exit 1; }
  for package in "$deb" "$root"/var/cache/apt/archives/*.deb; do
    dpkg-deb -x "$package" "$root"
    echo "Unpacking $package" >>"$work/apt.log"
  done
fi
echo "install_in_debian: installed in Debian $suite $arch with $(grep -c '^Unpacking' "$work/apt.log") packages in $((SECONDS - started)) s${root_emulator:+ (unpacked, for $root_emulator)}"
# The moved clock is the test's own, not the package's: the suite's libfaketime, unpacked in
# the root's /tmp without installing it.
"${fetch[@]}" >/dev/null 2>&1 || { echo "install_in_debian: cannot fetch libfaketime for $suite $arch" >&2; exit 1; }
dpkg-deb -x "$root"/tmp/libfaketime_*.deb "$root/tmp/faketime"
libfaketime=$(cd "$root" && find tmp/faketime -name libfaketime.so.1 | head -1)
cp "$root/usr/lib/chimewick/BellStart2.wma" "$work/good.wma"

bash "$support/null_sink.sh" start "$XDG_RUNTIME_DIR"
# Under the emulator the program starts in seconds rather than a fraction of one, and its
# first bell takes longer to open.
patience=60 linger=9
[[ $arch == "$(dpkg --print-architecture)" ]] || patience=600 linger=20

# On a private display and a private session bus (without one, the toolkit would start a bus
# of its own). The first start also fills the caches, so the later ones are quick to their
# first tick. xvfb-run's shell passes on no functions: they go in the script.
{
  echo "set -euo pipefail; root='$root' work='$work' libfaketime='/$libfaketime' patience=$patience linger=$linger"
  echo "root_emulator='$root_emulator' multiarch='$(dpkg-architecture -qDEB_HOST_MULTIARCH -a"$arch" 2>/dev/null)'"
  declare -p checks
  cat <<'ON_DISPLAY'
fail() { echo "install_in_debian: $name: $*" >&2; cat "$work/$name.out" >&2; exit 1; }
window() { xdotool search --onlyvisible --name '^School Chimewick' 2>/dev/null | head -1; }
windows() { xdotool search --onlyvisible --name '^School Chimewick' 2>/dev/null | wc -l; }
wait_for_window() {
  for _ in $(seq $((patience * 10))); do
    [[ -n $(window) ]] && return 0
    kill -0 "$program" 2>/dev/null || fail "the installed program ended without a window"
    sleep 0.1
  done
  fail "the installed program opened no window"
}
# The installed program for so many seconds, with VAR=value...: in the root, or through the
# emulator with the root as its prefix (where the unpacked root has no linker cache, and no
# helper program of the root can be started). Ends in exec, so that a signal to the process
# reaches timeout.
run_installed() { # seconds [VAR=value...]
  local seconds=$1
  shift
  local env=(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/run/bells
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" "$@")
  if [[ -z $root_emulator ]]; then
    exec timeout -s INT "$seconds" chroot "$root" /usr/bin/"${env[@]}" /usr/bin/chimewick
  fi
  # Qt looks for its plugins beside the program alone when it runs so; the emulator maps
  # the paths the program opens into the root, not those of the sockets it connects to; the
  # BLAS and LAPACK that FFmpeg's libraries link are found through alternatives no
  # maintainer script has set.
  local libraries=/lib/$multiarch:/usr/lib/$multiarch:/usr/lib/$multiarch/blas:/usr/lib/$multiarch/lapack
  exec timeout -s INT "$seconds" "${env[@]}" XDG_RUNTIME_DIR="$root/run/bells" LD_LIBRARY_PATH="$libraries" \
    QT_PLUGIN_PATH="/usr/lib/$multiarch/qt6/plugins" GST_REGISTRY_FORK=no \
    "$root_emulator" -L "$root" "$root/usr/lib/chimewick/chimewick"
}
start() { # clock
  local clock=()
  [[ $1 == - ]] || clock=(FAKETIME="@$1" FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD="$libfaketime")
  run_installed $((patience + 10)) "${clock[@]}" >"$work/$name.out" 2>&1 &
  program=$!
}
for check in "${checks[@]}"; do
  IFS='|' read -r name clock before press least expected <<<"$check"
  # shellcheck disable=SC2086 # unquoted, to trim the table's blanks
  for field in name clock before press least expected; do printf -v $field %s "$(echo ${!field})"; done
  case $before in
  break) head -c 20000 /dev/urandom >"$root/usr/lib/chimewick/BellStart2.wma" ;;
  mute) pactl set-sink-mute bells 1 ;;
  esac
  parec -d bells.monitor --format=s16le --rate=8000 --channels=1 --latency-msec=10 >"$work/$name.raw" &
  listener=$!
  sleep 0.5
  start "$clock"
  wait_for_window
  case $press in
  -) ;;
  again)
    status=0
    (run_installed "$patience") >"$work/again.out" 2>&1 || status=$?
    ((status == 0)) || fail "the second start ended with status $status"
    sleep 1
    (($(windows) == 1)) || fail "$(windows) windows after the second start" ;;
  *)
    # The button's middle in the window, from its place in twips (15 to a pixel).
    case $press in Command23) x=576 ;; Command24) x=712 ;; esac
    xdotool mousemove --window "$(window)" "$x" 380 click 1 ;;
  esac
  # Long enough for a bell due five seconds after the start, and for the bell itself.
  sleep "$linger"
  # Under the emulator a line may come later than the bell: waited for, within the patience.
  if [[ $expected != - && $expected != '!'* ]]; then
    for _ in $(seq $((patience * 10))); do
      grep -qF -- "$expected" "$work/$name.out" && break
      sleep 0.1
    done
  fi
  kill -INT $program 2>/dev/null || true
  wait $program || true
  sleep 0.3
  kill $listener
  wait $listener 2>/dev/null || true
  case $before in
  break) cp "$work/good.wma" "$root/usr/lib/chimewick/BellStart2.wma" ;;
  mute) pactl set-sink-mute bells 0 ;;
  esac
  heard=$(python3 - "$work/$name.raw" 8000 <<'PY'
import array, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
window = int(sys.argv[2]) // 100
loud = [i for i in range(0, len(samples) - window, window)
        if max(abs(s) for s in samples[i:i + window]) > 1000]
print(f"{(loud[-1] - loud[0] + window) / int(sys.argv[2]) if loud else 0:.2f}")
PY
)
  python3 -c "import sys; sys.exit(0 if $heard >= $least else 1)" || fail "heard $heard s of bell, not $least"
  # Under the emulator without a handler the program sees its folder inside the root's path.
  said=$(sed "s|$root/|/|g" "$work/$name.out")
  case $expected in
  -) ;;
  !*) ! grep -qF -- "${expected#!}" <<<"$said" || fail "said: ${expected#!}" ;;
  *) grep -qF -- "$expected" <<<"$said" || fail "did not say: $expected" ;;
  esac
  echo "install_in_debian: $name: heard $heard s; said as expected: $expected"
done
ON_DISPLAY
} >"$work/on-display.sh"
started=$SECONDS
dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24 -ac" bash "$work/on-display.sh"
echo "install_in_debian: ${#checks[@]} checks of the installed program in $((SECONDS - started)) s"
rm -rf "$root/tmp/faketime" "$root"/tmp/libfaketime_*.deb
if [[ -n $root_emulator ]]; then
  echo "install_in_debian: no purge in a root whose dpkg cannot run here"
  exit 0
fi

in_root "${root_apt[@]}" purge chimewick >>"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log" >&2; exit 1; }
left=()
while IFS= read -r path; do
  [[ -e "$root$path" || -L "$root$path" ]] || continue
  # A folder the package shared with others (/usr/share/icons/hicolor/...) stays with them.
  [[ -d "$root$path" ]] && in_root dpkg-query -S "$path" >/dev/null 2>&1 && continue
  left+=("$path")
done <"$work/files"
while IFS= read -r path; do
  left+=("${path#"$root"}")
# The user's runtime folder (/run/bells here, a tmpfs cleared at logout on a desktop) holds
# the running copy's socket, which a copy stopped by a signal leaves: it is no package file.
done < <(find "$root" -xdev -iname '*chimewick*' -not -path "$root/var/log/*" \
  -not -path "$root/var/cache/apt/*" -not -path "$root/var/lib/apt/*" -not -path "$root/tmp/*" \
  -not -path "$root/run/bells/*")
if ((${#left[@]})); then
  printf 'install_in_debian: left after purge: %s\n' "${left[@]}" >&2
  exit 1
fi
echo "install_in_debian: purged; none of its $(wc -l <"$work/files") paths is left"
