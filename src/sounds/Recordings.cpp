// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Recordings.h"

#include "BellCatalogue.h"
#include "Ring.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace chimewick {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::optional<std::filesystem::path> findRecording(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
        return path;
    std::optional<std::filesystem::path> match;
    const std::string wanted = path.filename().string();
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        if (!sameIgnoringCase(entry.path().filename().string(), wanted) ||
            !entry.is_regular_file(error))
            continue;
        if (match)
            return std::nullopt; // two candidates: playing either would be a guess
        match = entry.path();
    }
    return match;
}

std::vector<std::string> missingRecordings(std::string_view folder) {
    std::vector<std::string> missing;
    for (const Bell& bell : bellCatalogue()) {
        const std::filesystem::path path = bellPath(folder, bell.fileName);
        if (!findRecording(path))
            missing.push_back(path.filename().string());
    }
    return missing;
}

} // namespace chimewick
