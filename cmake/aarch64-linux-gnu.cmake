# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Cross-builds for 64-bit Arm (Raspberry Pi OS 64-bit) on a Debian machine of another
# architecture, with Debian's cross compiler (g++-aarch64-linux-gnu) and the arm64 editions
# of the -dev packages installed beside the machine's own (dpkg --add-architecture arm64):
# scripts/package.sh --arch arm64 does it in a clean root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_STRIP aarch64-linux-gnu-strip)
# Multiarch: the target's libraries lie in /usr/lib/aarch64-linux-gnu of the same system.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
# Qt's code generators (moc, rcc, uic) run on the build machine: Debian's are Multi-Arch:
# foreign, found through the build machine's own Qt configuration.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH OUTPUT_VARIABLE build_multiarch
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${build_multiarch}/cmake)
