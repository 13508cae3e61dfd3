#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian 12 packages Chimewick needs to build, run, test and make its
# bell sounds. Safe to run again: it installs only what is missing.
# Usage: scripts/install-deps.sh [--run|--windows]
#        --run: only what building and running the program needs, as scripts/run.sh asks
#        --windows: only what building Qt and the program for Windows and packing them needs,
#                   as scripts/package-windows.sh asks
set -euo pipefail

# What the program is built with and what it loads at run time, as the package says too.
depends() { sed -n "s/^$1: *//p" "$(dirname "$0")/../packaging/debian/depends" | tr -d ,; }
# shellcheck disable=SC2207 # one package name a word
packages=(
  $(depends Build-Tools) $(depends Build-Libraries) $(depends Run-Time)
  # Qt's plugins for image formats; a sans face beside the one the captions are measured against
  qt6-image-formats-plugins fonts-dejavu-core
  # a virtual X display where there is none
  xvfb xauth
)
# Qt for Windows from Debian's source (fetched and unpacked by apt-get source, built with the
# machine's Qt tools), the MinGW-w64 compiler, and the MSI's and zip's makers.
windows=(
  qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils ninja-build cmake
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wixl msitools python3
)
if [[ ${1:-} == --windows ]]; then
  packages=("${windows[@]}")
elif [[ ${1:-} != --run ]]; then
  packages+=(
    # headless checks: a sound server with a null sink, screenshots, clicks
    pulseaudio pulseaudio-utils imagemagick xdotool x11-utils faketime strace
    # the same tests and the benchmarks through PipeWire, as Debian's desktops run it
    pipewire wireplumber pipewire-pulse
    # making the bell sounds
    espeak-ng sox libsox-fmt-all ffmpeg
    clang-format
    # every file names its licence (scripts/check-licences.sh); git tells it which files are
    # the project's, not the build's
    reuse git
    # the Debian package and its checks: CPack's DEB generator (dpkg-shlibdeps, file), lintian,
    # the desktop entry's and software centre's validators, a throwaway Debian root to install
    # it in, a private session bus, and the sound check's arithmetic
    dpkg-dev file lintian desktop-file-utils appstream debootstrap debian-archive-keyring dbus python3
    # the arm64 roots' programs run through the emulator
    qemu-user-static binfmt-support
    # stand-ins for logind, the desktop portal and the time service on private buses; reading
    # the window over AT-SPI
    dbus-daemon python3-dbusmock at-spi2-core python3-pyatspi
    # a window manager to frame the window, for the tests of its place and of a second start;
    # a headless Wayland compositor and Qt's Wayland plugin
    openbox weston qt6-wayland
    # a journal of the test's own (journald, journalctl) to read the record of bells rung
    systemd
    # the Windows program and its installer; under Wine, with the sound of its decoder (Wine's
    # Media Foundation decodes with the machine's GStreamer) and the resources read back
    "${windows[@]}" wine wine64 python3-pefile
  )
fi

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
