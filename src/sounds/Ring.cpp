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

std::string bellFile(const ProgramFolder& folder, const Bell& bell) {
    return bellPath(folder(), bell.fileName);
}

Ringer::Ringer(Controls& controls, ProgramFolder folder)
    : controls_(controls), folder_(std::move(folder)) {
    if (!folder_)
        throw std::invalid_argument("a ringer needs a way to find the program folder");
}

void Ringer::ring(const Bell& bell) {
    controls_.setPlayerUrl("wmp", bellFile(folder_, bell));
}

} // namespace chimewick
