#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes Chimewick for 64-bit Windows: Qt for Windows (scripts/build-qt-windows.sh, or its
# cache), the program (the windows preset), its folder as installed (the program, its 26
# recordings, the Qt libraries and plugin it loads and the MinGW runtime, nothing more), an
# MSI that installs that folder into Program Files\Chimewick, and a zip of the same folder
# for a computer where the operator may not install. Both land in build/windows/packages/; the last
# line of output is the MSI's path.
# Usage: scripts/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows
qt=$(scripts/build-qt-windows.sh | tail -n 1)
export CHIMEWICK_QT_WINDOWS=$qt
cmake --preset windows >/dev/null
cmake --build --preset windows

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
name=chimewick-$version-windows-x64
stage=build/windows/stage/Chimewick
rm -rf build/windows/stage
cmake --install build/windows --prefix "$stage" >/dev/null

# Nothing missing and nothing more: every DLL the program and its plugin load, and theirs in
# turn, is in the folder or is Windows' own; every DLL in the folder is loaded.
imports() { x86_64-w64-mingw32-objdump -p "$@" | sed -n 's/^\tDLL Name: //p' | sort -u; }
shipped=$(cd "$stage" && find . -name '*.dll' -printf '%f\n' | sort)
loaded=$(imports "$stage/chimewick.exe" "$stage"/*.dll "$stage"/platforms/*.dll)
for dll in $loaded; do
  [[ -e $stage/$dll ]] && continue
  for folder in "$qt/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")" \
    /usr/x86_64-w64-mingw32/lib; do
    if [[ -e $folder/$dll ]]; then
      echo "package-windows: $dll is loaded but not installed beside the program" >&2
      exit 1
    fi
  done
done
for dll in $shipped; do
  [[ $dll == qwindows.dll ]] && continue # loaded as the platform plugin, not imported
  grep -qix "$dll" <<<"$loaded" || { echo "package-windows: $dll is installed but never loaded" >&2; exit 1; }
done

packages=build/windows/packages
mkdir -p $packages
rm -f "$packages/$name.msi" "$packages/$name.zip"
# wixl names its sources relative to the folder it runs in.
(cd build/windows/stage &&
  /usr/bin/python3 ../../../packaging/windows/make-wxs.py Chimewick "$version" \
    ../../../data/icons/chimewick.ico >chimewick.wxs &&
  wixl -a x64 -o "../packages/$name.msi" chimewick.wxs)
# wixl has no conditions: the start at login is given its condition in the MSI's own table.
# A component whose condition is false is left alone, so the uninstall (REMOVE="ALL") must
# meet it too, or the start at login would outlive the program.
msibuild "$packages/$name.msi" -q "UPDATE \`Component\` SET \`Condition\` = \
'AUTOSTART = \"1\" OR REMOVE = \"ALL\"' WHERE \`Component\` = 'cmp_autostart'"
# The event source's message file is an expandable string ("#%"), and its key goes at the
# uninstall ("-"), which wixl cannot say either.
source='SYSTEM\CurrentControlSet\Services\EventLog\Application\Chimewick'
msibuild "$packages/$name.msi" -q "UPDATE \`Registry\` SET \`Value\` = '#%[#file_exe]' \
WHERE \`Component_\` = 'cmp_eventlog' AND \`Name\` = 'EventMessageFile'" -q "INSERT INTO \`Registry\` \
(\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('reg_eventsource', 2, '$source', '-', 'cmp_eventlog')"
(cd build/windows/stage && cmake -E tar cf "../packages/$name.zip" --format=zip Chimewick)

ls -l "$packages/$name.msi" "$packages/$name.zip" >&2
echo "$PWD/$packages/$name.msi"
