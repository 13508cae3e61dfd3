// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Clock.h"

#include <algorithm>
#include <ctime>

namespace chimewick {

using namespace std::chrono;

int LocalTime::weekday() const {
    return static_cast<int>(std::chrono::weekday{date}.c_encoding()) + 1;
}

Instant SystemClock::now() const {
    return floor<seconds>(system_clock::now());
}

LocalTime SystemClock::toLocal(Instant moment) const {
    const std::time_t t = system_clock::to_time_t(moment);
    std::tm tm{};
    // The zone is read afresh each time: the C library reads it once per process, and an
    // administrator who changes it expects the next bell in the new zone, not after a restart.
#ifdef _WIN32
    _tzset();
    localtime_s(&tm, &t);
#else
    tzset(); // also notices a replaced /etc/localtime when TZ is unset
    localtime_r(&t, &tm);
#endif
    return LocalTime{.date = year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} /
                             day{static_cast<unsigned>(tm.tm_mday)},
                     .hour = tm.tm_hour,
                     .minute = tm.tm_min,
                     .second = std::min(tm.tm_sec, 59)}; // a leap second shows as :59
}

} // namespace chimewick
