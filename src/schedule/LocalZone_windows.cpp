// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LocalZone.h"

namespace chimewick {

std::tm inLocalZone(std::time_t moment) {
    std::tm tm{};
    _tzset();
    localtime_s(&tm, &moment);
    return tm;
}

} // namespace chimewick
