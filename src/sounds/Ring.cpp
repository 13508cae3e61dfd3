// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Ring.h"

#include "Controls.h"

#include <filesystem>
#include <stdexcept>
#include <utility>

namespace chimewick {

std::string bellPath(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    constexpr char Separator = std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';
    if (!fileName.empty() && fileName.front() == '\\') {
        path += Separator;
        fileName.remove_prefix(1);
    }
    path += fileName;
    return path;
}

Ringer::Ringer(Controls& controls, ProgramFolder folder)
    : controls_(controls), folder_(std::move(folder)) {
    if (!folder_)
        throw std::invalid_argument("a ringer needs a way to find the program folder");
}

void Ringer::ring(const Bell& bell) {
    controls_.setPlayerUrl("wmp", bellPath(folder_(), bell.fileName));
}

} // namespace chimewick
