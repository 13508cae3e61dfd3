// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace chimewick {

// The folder that holds the running program, as the system knows it now: a folder renamed
// while the program runs is followed. Throws std::system_error when the system cannot say.
std::string executableFolder();

} // namespace chimewick
