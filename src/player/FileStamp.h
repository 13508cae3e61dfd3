// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace chimewick {

// What tells one version of a file from the next: a bell held ready is played only while its
// file is the one it was opened from, not a recording replaced since under the same name.
struct FileStamp {
    long long size = -1;
    long long modifiedNs = 0;
    unsigned long long id = 0; // the file system's number for the file
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path, asked of the system in its own way (FileStamp_posix.cpp,
// FileStamp_windows.cpp); a default stamp where there is no such file.
FileStamp fileStamp(const QString& path);

} // namespace chimewick
