# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian package, made by CPack from the install rules: `cpack -G DEB` in a Release
# tree (scripts/package.sh does it). Name and version come from the project.
include(GNUInstallDirs)
string(TOLOWER ${PROJECT_NAME} CHIMEWICK_PACKAGE_NAME)
# The release names the Debian it was built on ("1~deb13"), so one repository can hold a
# package for each suite and each sorts before Debian's own upload of the same version.
file(STRINGS /etc/debian_version debian_version LIMIT_COUNT 1)
string(REGEX MATCH "^[0-9]+" debian_major "${debian_version}")
if(debian_major)
  set(CHIMEWICK_PACKAGE_RELEASE "1~deb${debian_major}")
else()
  set(CHIMEWICK_PACKAGE_RELEASE 1)
endif()

# Debian wants the copyright and a compressed changelog in the package's doc folder, and
# a manual page for the command; compressed without a time stamp, so each build is alike.
set(packaging ${CMAKE_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${packaging}/changelog.Debian @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/chimewick.1 ${packaging}/chimewick.1 @ONLY)
foreach(file changelog.Debian chimewick.1)
  execute_process(COMMAND gzip -9nc ${packaging}/${file} OUTPUT_FILE ${packaging}/${file}.gz
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${packaging}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CHIMEWICK_PACKAGE_NAME})
install(FILES ${packaging}/chimewick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CHIMEWICK_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${CHIMEWICK_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "Quelbrook School")
set(CPACK_PACKAGE_CONTACT ${CHIMEWICK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "school bell timetable that plays recorded bells")
set(CPACK_PACKAGE_DESCRIPTION
  "Chimewick rings a school's bells on time. One window holds a timetable of 24
bells, each switched on or off and set to a time of day, a large clock and a
button for each of its 26 recordings. At start it applies the timetable of the
weekday; special days are a click away. It plays WMA, MP3 and WAV recordings.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CHIMEWICK_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CHIMEWICK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the program links, found by dpkg-shlibdeps, and what it loads at run time
# that no linker sees (packaging/debian/depends says which and why).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/debian/depends run_time REGEX "^Run-Time:")
string(REGEX REPLACE "^Run-Time: *" "" CPACK_DEBIAN_PACKAGE_DEPENDS "${run_time}")
if(CMAKE_CROSSCOMPILING)
  # CPack would name the build machine's architecture; dpkg-shlibdeps reads the target's
  # from DEB_HOST_ARCH, which scripts/package.sh sets.
  execute_process(COMMAND dpkg-architecture -qDEB_HOST_ARCH -t${CMAKE_LIBRARY_ARCHITECTURE}
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
# Qt's Wayland plugin puts the window on a Wayland session natively: its id ties it to the
# desktop entry and icon, and a second start can bring it forward. Without the plugin Qt falls
# back to XWayland and every bell rings the same, so it is recommended (apt installs it by
# default), not required of an X11-only or minimal machine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
if(CHIMEWICK_AUTOSTART)
  # A file under /etc is the administrator's to change: dpkg keeps their changes.
  file(WRITE ${packaging}/conffiles "/etc/xdg/autostart/${CHIMEWICK_APP_ID}.desktop\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging}/conffiles)
endif()

include(CPack)
