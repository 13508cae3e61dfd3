// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExecutableFolder.h"

#include <filesystem>
#include <system_error>

namespace chimewick {

std::string executableFolder() {
    // The kernel's own link follows renames of the folder, where a path kept since start
    // would not.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::system_error(error, "cannot find the program's folder");
    return program.parent_path().string();
}

} // namespace chimewick
