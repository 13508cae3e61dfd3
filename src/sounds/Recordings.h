// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chimewick {

// The file at the path; when it is missing and exactly one file in its folder has the
// same name but for letter case, that file (recordings copied from another system often
// differ in case). Names are compared as UTF-8, so "École.wma" finds "ÉCOLE.WMA". None when
// neither is there. The start-up check and the player both look a recording up here.
std::optional<std::filesystem::path> findRecording(const std::filesystem::path& path);

// The file names, without the leading separator, of the bells whose recordings the
// folder lacks, in catalogue order.
std::vector<std::string> missingRecordings(std::string_view folder);

} // namespace chimewick
