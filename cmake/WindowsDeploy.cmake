# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# What chimewick.exe loads beside the system's own DLLs, installed into its folder: Qt's
# libraries, the plugin that puts windows on the Windows desktop, and the MinGW runtime that
# Qt and the program share. Nothing else: the installer and the zip take this folder whole.
# Qt finds its plugins in the program's folder, so they need no qt.conf.

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Network DBus)

foreach(module Core Gui Widgets Network DBus)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${CHIMEWICK_INSTALL_DIR})
endforeach()
# Written as CMake 3.31 keeps it ("platforms", not "./platforms"), so it says nothing of it.
cmake_path(SET platforms NORMALIZE "${CHIMEWICK_INSTALL_DIR}/platforms")
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${platforms})

foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The MinGW runtime's ${runtime} was not found by ${CMAKE_CXX_COMPILER}")
  endif()
  install(FILES ${path} DESTINATION ${CHIMEWICK_INSTALL_DIR})
endforeach()
