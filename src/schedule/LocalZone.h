// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <ctime>

namespace chimewick {

// The moment broken down in this computer's time zone as it is set now. The zone is read
// afresh each time: the C library reads it once per process, and an administrator who
// changes it expects the next bell in the new zone, not after a restart.
std::tm inLocalZone(std::time_t moment);

} // namespace chimewick
