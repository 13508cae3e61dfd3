# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Strict warnings for the project's own targets, applied per target so that the
# toolkit's headers are not held to them.
add_library(chimewick_warnings INTERFACE)
target_compile_options(chimewick_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wnull-dereference
  -Wimplicit-fallthrough)
if(CHIMEWICK_WERROR)
  target_compile_options(chimewick_warnings INTERFACE -Werror)
endif()

if(CHIMEWICK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
