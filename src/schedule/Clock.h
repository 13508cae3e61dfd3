// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>

namespace chimewick {

// A moment, to the whole second, on the system clock (UTC): not a length of time.
using Instant = std::chrono::sys_seconds;

// A moment as the wall clock of this computer shows it.
struct LocalTime {
    std::chrono::year_month_day date;
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;

    // 1 for Sunday to 7 for Saturday.
    int weekday() const;
};

// Where the program learns the time. Seconds are counted on the system clock (UTC), so
// they run on through a daylight-saving change; each is turned into local time only
// where it is shown or compared.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Instant now() const = 0;
    virtual LocalTime toLocal(Instant moment) const = 0;

    LocalTime localNow() const { return toLocal(now()); }
};

// The computer's clock and time zone.
class SystemClock : public Clock {
public:
    Instant now() const override;
    LocalTime toLocal(Instant moment) const override;
};

} // namespace chimewick
