#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the real program for a few seconds on a virtual display under strace and checks
# that it opens no internet socket and creates or writes no file in its own folder or in
# the home folder, other than the toolkit's caches.
# Usage: system_quiet.sh <program> <sounds folder>
set -euo pipefail
program=$1
sounds=$2

for tool in xvfb-run strace dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "system_quiet: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/program folder"
home="$work/home"
mkdir -p "$folder" "$home"
cp "$program" "$folder/"
cp "$sounds"/*.wma "$sounds"/*.mp3 "$sounds"/*.wav "$folder/"
export HOME="$home" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset XDG_CACHE_HOME XDG_CONFIG_HOME XDG_DATA_HOME

before=$(cd "$folder" && find . -printf '%p %s %T@\n' | sort)
log="$work/trace"
# Six seconds: start-up, several ticks, and the first minute's work.
# A session bus of its own, as a desktop has: without one the bus library may start one
# that writes ~/.dbus.
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- \
  timeout -s INT 6 strace -f -qq -o "$log" \
  -e trace=socket,connect,open,openat,creat,mkdir,mkdirat,rename,renameat,renameat2,unlink,unlinkat,truncate \
  "$folder/chimewick" >"$work/out" 2>&1 || true

fail=0
if grep -E 'socket\(AF_INET6?,' "$log" >/dev/null; then
  echo "system_quiet: the program opened an internet socket:" >&2
  grep -E 'socket\(AF_INET6?,' "$log" | head -5 >&2
  fail=1
fi

# Every call that creates, writes, renames or removes a path, with the path.
writes=$(grep -E '(open|openat)\(.*(O_WRONLY|O_RDWR|O_CREAT)|creat\(|mkdir(at)?\(|rename(at2?)?\(|unlink(at)?\(|truncate\(' "$log" |
  grep -v ' = -1 ' | grep -oE '"[^"]*"' | tr -d '"' | sort -u || true)
while IFS= read -r path; do
  [[ -z "$path" ]] && continue
  case "$path" in
    "$home/.cache"|"$home/.cache/"*) ;; # the toolkit's caches (fonts, GStreamer's plugin registry)
    "$folder"|"$folder/"*|"$home"|"$home/"*)
      echo "system_quiet: the program wrote $path" >&2
      fail=1 ;;
  esac
done <<<"$writes"

after=$(cd "$folder" && find . -printf '%p %s %T@\n' | sort)
if [[ "$before" != "$after" ]]; then
  echo "system_quiet: the program folder changed:" >&2
  diff <(echo "$before") <(echo "$after") >&2 || true
  fail=1
fi

calls=$(wc -l <"$log")
if ((calls < 50)); then
  echo "system_quiet: only $calls calls traced; the program did not get going:" >&2
  cat "$work/out" >&2
  fail=1
fi

if ((fail == 0)); then
  echo "system_quiet: $calls calls traced; no internet socket, nothing written in the program or home folder"
fi
exit "$fail"
