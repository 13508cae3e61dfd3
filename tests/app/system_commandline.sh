#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the built program with each command line of the table, with no display at all: had it
# started the toolkit for a window it could not start, so an answer at all shows it opened
# none; nor may it claim the single-instance channel in its runtime folder.
# Usage: system_commandline.sh <program>
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
usage='Usage: chimewick [options]'
fails=0
# status | arguments | first line on standard output | first two lines on standard error
while IFS='|' read -r status arguments out err; do
  read -ra args <<<"$arguments"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/runtime" \
    timeout 10 "$program" "${args[@]}" >"$work/out" 2>"$work/err"
  got="$? | $(head -1 "$work/out") | $(head -2 "$work/err" | paste -sd '~')"
  [[ $got == "$status | $out | $err" && -z $(ls -A "$work/runtime") ]] ||
    { echo "system_commandline: '$arguments' gave: $got" >&2; fails=$((fails + 1)); }
done <<CASES
0|--help|$usage|
0|-h|$usage|
0|--version|Chimewick 1.00|
0|-style Fusion -v|Chimewick 1.00|
0|--let-output-sleep --version|Chimewick 1.00|
0|--follow-weekday --version|Chimewick 1.00|
2|--follow-weekday=yes||chimewick: Unexpected value after '--follow-weekday'.~$usage
2|--let-output-sleep=no||chimewick: Unexpected value after '--let-output-sleep'.~$usage
2|--ring-all||chimewick: Unknown option 'ring-all'.~$usage
2|monday||chimewick: Unexpected argument 'monday'.~$usage
2|-platform||chimewick: Missing value after '-platform'.~$usage
CASES
((fails == 0)) && echo "system_commandline: every command line answered as it should, without a window"
