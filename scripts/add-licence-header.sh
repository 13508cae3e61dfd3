#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Puts Chimewick's copyright and licence lines at the top of each file named, in the
# comment style of its kind and after a "#!" line if there is one; a file that has them
# already is left alone. Files that cannot hold a comment (sounds, pictures, JSON) get a
# paragraph in .reuse/dep5 instead.
#
# Usage: scripts/add-licence-header.sh FILE...
set -euo pipefail

command -v reuse >/dev/null || {
  echo "add-licence-header: 'reuse' not found; run scripts/install-deps.sh" >&2
  exit 1
}

# The two lines come from .reuse/templates/chimewick.jinja2.
annotate=(reuse annotate --template chimewick --copyright "Chimewick developers"
  --license GPL-3.0-or-later --exclude-year --skip-existing)
for file in "$@"; do
  case "${file##*/}" in
    *.rc.in) style=(--style c) ;;
    *.sh.in | *.desktop | .clang-format | .gitignore) style=(--style python) ;;
    *.*) style=() ;;             # reuse knows the kind from the extension
    *) style=(--style python) ;; # a script without an extension, such as .ci/run
  esac
  "${annotate[@]}" "${style[@]}" "$file"
done
