#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Checks the Debian package made by scripts/package.sh: what it installs and where, the
# Depends on what the program loads at run time, lintian with no error, and that the
# system-wide autostart entry comes only with CHIMEWICK_AUTOSTART.
# Usage: check_package.sh <chimewick_VERSION_ARCH.deb> [<a build tree, for the autostart option>]
set -euo pipefail
deb=$1
build=${2:-}
id=io.github.quelbrook.chimewick
fail=0
problem() { echo "check_package: $*" >&2; fail=1; }

contents=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
recordings=$(grep -cE '^\./usr/lib/chimewick/[^/]+\.(wma|mp3|wav)$' <<<"$contents" || true)
((recordings == 26)) || problem "$recordings recordings in /usr/lib/chimewick, not 26"
for path in ./usr/bin/chimewick ./usr/lib/chimewick/chimewick \
  ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
  ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64}/apps/$id.png \
  ./usr/share/doc/chimewick/copyright ./usr/share/doc/chimewick/changelog.Debian.gz \
  ./usr/share/man/man1/chimewick.1.gz; do
  grep -qxF "$path" <<<"$contents" || problem "$path is missing"
done
grep -q '/autostart/' <<<"$contents" && problem "the package installs an autostart entry"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libgstreamer1.0-0 libqt6widgets6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-pulseaudio qt6-qpa-plugins fonts-liberation2; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || problem "Depends lacks $package: $depends"
done
# The player plays on GStreamer itself.
grep -q 'multimedia' <<<"$depends" && problem "Depends still names Qt Multimedia: $depends"

# Not uploaded to Debian, the package closes no bug of its archive.
lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "$deb" ||
  problem "lintian reports an error"

# The option adds the entry where every desktop looks for it; off again, it is gone.
if [[ -z $build ]]; then
  ((fail == 0)) && echo "check_package: $(basename "$deb"): contents, Depends and lintian as they should be"
  exit "$fail"
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"; cmake -DCHIMEWICK_AUTOSTART=OFF "$build" >/dev/null' EXIT
for setting in ON OFF; do
  cmake -DCHIMEWICK_AUTOSTART=$setting "$build" >/dev/null
  rm -rf "${stage:?}"/*
  DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
  entry=$stage/etc/xdg/autostart/$id.desktop
  if [[ $setting == ON ]]; then
    cmp -s "$entry" "$stage/usr/share/applications/$id.desktop" || problem "no autostart entry with CHIMEWICK_AUTOSTART=ON"
  elif [[ -e $entry ]]; then
    problem "an autostart entry without CHIMEWICK_AUTOSTART"
  fi
done
((fail == 0)) && echo "check_package: $(basename "$deb"): contents, Depends, lintian and autostart option as they should be"
exit "$fail"
