// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LocalZone.h"

namespace chimewick {

std::tm inLocalZone(std::time_t moment) {
    std::tm tm{};
    tzset(); // also notices a replaced /etc/localtime when TZ is unset
    localtime_r(&moment, &tm);
    return tm;
}

} // namespace chimewick
