#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Fails when a file does not say under which terms it may be copied: `reuse lint` over
# the whole tree, and the two SPDX lines at the top of every source, script and build
# file (for those a paragraph in .reuse/dep5 does not do). scripts/add-licence-header.sh
# adds the lines.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v reuse >/dev/null || {
  echo "check-licences: 'reuse' not found; run scripts/install-deps.sh" >&2
  exit 1
}

status=0
if ! report=$(reuse lint 2>&1); then
  printf '%s\n' "$report" >&2
  status=1
fi

# Every file of the tree but what git ignores (the build folders).
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -d '' files < <(git ls-files -z --cached --others --exclude-standard)
else
  mapfile -d '' files < <(find . \( -path ./build -o -path ./.git \) -prune -o -type f -printf '%P\0')
fi

# Sources, scripts and build files: by name, or by a "#!" line.
for file in "${files[@]}"; do
  [[ -f $file ]] || continue # deleted but not yet committed
  # The Debian package's own files have fixed first lines; .reuse/dep5 covers them.
  [[ $file == packaging/debian/* ]] && continue
  case "${file##*/}" in
    *.cpp | *.h | *.sh | *.py | *.in | *.cmake | CMakeLists.txt) ;;
    *) [[ $(head -c 2 "$file" | tr -d '\0') == '#!' ]] || continue ;;
  esac
  top=$(head -n 8 "$file")
  # REUSE-IgnoreStart (the tags below are looked for, not declared)
  if [[ $top != *"SPDX-FileCopyrightText: "* || $top != *"SPDX-License-Identifier: "* ]]; then
    echo "check-licences: $file has no SPDX lines at its top (scripts/add-licence-header.sh $file)" >&2
    status=1
  fi
  # REUSE-IgnoreEnd
done

if ((status == 0)); then
  echo "check-licences: every file names its licence"
fi
exit $status
