// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExecutableFolder.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <vector>
#include <windows.h>
#endif

namespace chimewick {

#ifdef _WIN32

std::string executableFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                    "cannot find the program's folder");
        if (length < path.size()) {
            const std::u8string folder =
                std::filesystem::path(std::wstring(path.data(), length)).parent_path().u8string();
            return std::string(folder.begin(), folder.end());
        }
        path.resize(path.size() * 2); // cut short: a long path
    }
}

#else

std::string executableFolder() {
    // The kernel's own link follows renames of the folder, where a path kept since start
    // would not.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::system_error(error, "cannot find the program's folder");
    return program.parent_path().string();
}

#endif

} // namespace chimewick
