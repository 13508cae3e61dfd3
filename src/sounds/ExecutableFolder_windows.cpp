// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExecutableFolder.h"

#include <filesystem>
#include <system_error>
#include <vector>
#include <windows.h>

namespace chimewick {

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

} // namespace chimewick
