// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <span>
#include <string_view>

namespace chimewick {

// One bell: the button that rings it, the button's caption and the recording's file
// name, a fixed text that begins with a backslash. The file name is never derived from
// the caption: several differ.
struct Bell {
    std::string_view button;
    std::string_view caption;
    std::string_view fileName;
};

std::span<const Bell> bellCatalogue();

// The bell a button rings; throws std::out_of_range when the button rings none.
const Bell& bellOfButton(std::string_view button);

} // namespace chimewick
