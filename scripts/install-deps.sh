#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian 12 packages Chimewick needs to build, run, test and make its
# bell sounds. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev
  # playback through Qt Multimedia's GStreamer backend (ugly: ASF demuxer for WMA; libav: WMA decoder)
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
  gstreamer1.0-libav gstreamer1.0-pulseaudio
  # Qt's plugins for the platform and image formats
  qt6-qpa-plugins qt6-image-formats-plugins
  # headless checks: a real X display, a sound server with a null sink, screenshots, clicks
  xvfb xauth pulseaudio pulseaudio-utils imagemagick xdotool x11-utils faketime strace
  # fonts: a sans face with the old platform's metrics, so captions fit their buttons
  fonts-dejavu-core fonts-liberation2
  # making the bell sounds
  espeak-ng sox libsox-fmt-all ffmpeg
  clang-format
  # every file names its licence (scripts/check-licences.sh)
  reuse
  # the benchmarks: listening to the sound server's monitor
  libpulse-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
