// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Clock.h"

#include "LocalZone.h"

#include <algorithm>

namespace chimewick {

using namespace std::chrono;

int LocalTime::weekday() const {
    return static_cast<int>(std::chrono::weekday{date}.c_encoding()) + 1;
}

Instant SystemClock::now() const {
    return floor<seconds>(system_clock::now());
}

LocalTime SystemClock::toLocal(Instant moment) const {
    const std::tm tm = inLocalZone(system_clock::to_time_t(moment));
    return LocalTime{.date = year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} /
                             day{static_cast<unsigned>(tm.tm_mday)},
                     .hour = tm.tm_hour,
                     .minute = tm.tm_min,
                     .second = std::min(tm.tm_sec, 59)}; // a leap second shows as :59
}

} // namespace chimewick
