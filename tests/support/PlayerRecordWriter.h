// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "PlayerSettings.h"

#include <cstdint>
#include <vector>

namespace chimewick {

// The player's settings in their stored form, for feeding the decoder records of the
// tests' making; the program itself only reads them.
std::vector<std::uint8_t> encodePlayerSettings(const PlayerSettings& settings);

} // namespace chimewick
