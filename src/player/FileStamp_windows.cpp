// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileStamp.h"

#include <windows.h>

namespace chimewick {

namespace {
unsigned long long joined(DWORD high, DWORD low) {
    return static_cast<unsigned long long>(high) << 32 | low;
}
} // namespace

FileStamp fileStamp(const QString& path) {
    // Opened for its attributes only, and shared, so a bell being played or replaced is no
    // obstacle.
    const HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known)
        return {};
    // The write time counts 100 ns steps.
    return {
        static_cast<long long>(joined(info.nFileSizeHigh, info.nFileSizeLow)),
        static_cast<long long>(
            joined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) * 100),
        joined(info.nFileIndexHigh, info.nFileIndexLow)};
}

} // namespace chimewick
