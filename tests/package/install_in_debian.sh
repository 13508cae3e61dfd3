#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# A fresh Debian 12 from the package alone: makes a throwaway root (debootstrap, minbase:
# none of the build's packages), installs the package with `apt-get install ./<deb>`,
# starts /usr/bin/chimewick there under xvfb-run, checks that its window appears and that
# the first bell of a Monday is heard at a PulseAudio null sink, then purges the package
# and checks that none of its files is left.
# The display, the sound server and the listener run outside the root, so the root holds
# nothing but the package and what it depends on. Needs root (debootstrap, chroot) and
# the network to the Debian mirror named in this machine's apt sources.
# Usage: install_in_debian.sh <chimewick_VERSION_amd64.deb>
set -euo pipefail
deb=$(readlink -f "$1")
support=$(cd "$(dirname "$0")/../support" && pwd)
suite=bookworm

for tool in debootstrap chroot xvfb-run xdotool pulseaudio pactl parec dbus-run-session python3; do
  command -v "$tool" >/dev/null || { echo "install_in_debian: $tool is missing" >&2; exit 1; }
done
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install_in_debian: needs root or sudo (debootstrap, chroot)" >&2; exit 1; }
  exec sudo -- bash "$0" "$deb"
fi
libfaketime=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -1)
[[ -n "$libfaketime" ]] || { echo "install_in_debian: libfaketime is missing" >&2; exit 1; }

# The machine's own mirrors for the release and its updates, from its apt sources in
# either form (one-line .list or deb822 .sources): "suite uri" per line.
mirrors=$(python3 - "$suite" "$suite-updates" "$suite-security" <<'PY'
import glob, re, sys
found = {}
for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
    try:
        lines = open(path).read().splitlines()
    except OSError:
        continue
    for line in lines:
        words = re.sub(r"\[[^]]*\]", "", line.split("#")[0]).split()
        if len(words) >= 3 and words[0] == "deb":
            found.setdefault(words[2], words[1])
for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
    for stanza in re.split(r"\n\s*\n", open(path).read()):
        fields = {}
        for line in stanza.splitlines():
            if line[:1] not in ("#", " ", "\t") and ":" in line:
                key, value = line.split(":", 1)
                fields[key.strip().lower()] = value.split()
        if "deb" in fields.get("types", []) and fields.get("enabled", ["yes"])[0] != "no":
            for suite in fields.get("suites", []):
                for uri in fields.get("uris", []):
                    found.setdefault(suite, uri)
for suite in sys.argv[1:]:
    if suite in found:
        print(suite, found[suite])
PY
)
mirror=$(awk -v s="$suite" '$1 == s { print $2 }' <<<"$mirrors")
[[ -n "$mirror" ]] || { echo "install_in_debian: no apt source for $suite on this machine" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/chimewick-debian.XXXXXX")
root=$work/root
export XDG_RUNTIME_DIR=$root/run/bells # the sound server's socket, reachable inside the root
release_root() {
  local m
  for m in proc sys dev/pts dev; do
    if mountpoint -q "$root/$m" 2>/dev/null; then umount -l "$root/$m" || true; fi
  done
}
cleanup() {
  local status=$?
  [[ -d "$XDG_RUNTIME_DIR" ]] && bash "$support/null_sink.sh" stop "$XDG_RUNTIME_DIR" || true
  release_root
  rm -rf --one-file-system "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The root, retried: the mirror is a long way off and downloads sometimes break.
started=$SECONDS
for attempt in 1 2 3; do
  if debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$work/debootstrap.log" 2>&1; then
    break
  fi
  if ((attempt == 3)); then
    tail -20 "$work/debootstrap.log" >&2
    echo "install_in_debian: debootstrap failed three times" >&2
    exit 1
  fi
  echo "install_in_debian: debootstrap failed (attempt $attempt); retrying" >&2
  release_root
  rm -rf --one-file-system "$root"
  sleep $((attempt * 15))
done
echo "install_in_debian: Debian $suite root made from $mirror in $((SECONDS - started)) s"

awk '{ print "deb " $2 " " $1 " main" }' <<<"$mirrors" >"$root/etc/apt/sources.list"
# A root thrown away afterwards needs no sync after every file dpkg writes.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
mount -t proc proc "$root/proc"
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}
apt=(apt-get -q -y -o Acquire::Retries=5 -o Dpkg::Use-Pty=0)

started=$SECONDS
cp "$deb" "$root/tmp/"
in_root "${apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
# Depends alone must be enough, so Recommends stay out.
in_root "${apt[@]}" --no-install-recommends install "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 ||
  { tail -30 "$work/apt.log" >&2; exit 1; }
echo "install_in_debian: installed with $(grep -c '^Unpacking' "$work/apt.log") packages in $((SECONDS - started)) s"
in_root dpkg-query -L chimewick | grep '^/' >"$work/files"

bash "$support/null_sink.sh" start "$XDG_RUNTIME_DIR"
# The moved clock is the test's own, not the package's: it lies in the root's /tmp.
cp "$libfaketime" "$root/tmp/libfaketime.so.1"
run_installed() { # seconds [env...]: /usr/bin/chimewick in the root, on the display, for so long
  local seconds=$1
  shift
  in_root DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/run/bells DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
    "$@" timeout -s INT "$seconds" /usr/bin/chimewick
}

# On a private display and a private session bus (without one, the toolkit would start a bus
# of its own): first the window; then, with the program's clock moved to just before the
# first bell of a Monday, the bell. The first start also fills the caches, so the second
# is quick to its first tick. xvfb-run's shell passes on no functions: they go in the script.
{
  echo "set -euo pipefail; root='$root' work='$work'"
  declare -f in_root run_installed
  cat <<'ON_DISPLAY'
run_installed 8 >"$work/first.out" 2>&1 &
shown=
for _ in $(seq 60); do
  if xdotool search --onlyvisible --name "Chimewick" >/dev/null 2>&1; then shown=yes; break; fi
  sleep 0.1
done
wait || true
if [[ -z $shown ]]; then
  echo "install_in_debian: the installed program opened no window:" >&2
  cat "$work/first.out" >&2
  exit 1
fi
echo "install_in_debian: the window of /usr/bin/chimewick appeared"

parec -d bells.monitor --format=s16le --rate=8000 --channels=1 --latency-msec=10 >"$work/heard.raw" &
listener=$!
sleep 0.5
# Monday 7 December 2026, five seconds before 07:25:01 AM, the school start bell.
run_installed 10 FAKETIME="@2026-12-07 07:24:56" FAKETIME_DONT_FAKE_MONOTONIC=1 \
  LD_PRELOAD=/tmp/libfaketime.so.1 >"$work/second.out" 2>&1 || true
sleep 0.3
kill $listener
wait $listener 2>/dev/null || true
ON_DISPLAY
} >"$work/on-display.sh"
dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24 -ac" bash "$work/on-display.sh"
rm "$root/tmp/libfaketime.so.1"

python3 - "$work/heard.raw" 8000 <<'PY' || { cat "$work/second.out" >&2; exit 1; }
import array, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
rate = int(sys.argv[2])
window = rate // 100
loud = [i for i in range(0, len(samples) - window, window)
        if max(abs(s) for s in samples[i:i + window]) > 1000]
heard = (loud[-1] - loud[0] + window) / rate if loud else 0
print(f"install_in_debian: heard {heard:.2f} s of bell at the null sink")
sys.exit(0 if heard >= 1.5 else 1) # the start bell lasts about 2.4 s
PY

in_root "${apt[@]}" purge chimewick >>"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log" >&2; exit 1; }
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
