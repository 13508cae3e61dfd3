// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"

#include <chrono>
#include <utility>
#include <vector>

namespace chimewick {

// A clock that moves only when told, with a time zone of the test's making.
class FakeClock : public Clock {
public:
    // Starts at the given local time under a UTC offset of zero.
    FakeClock(int year, unsigned month, unsigned day, int hour, int minute, int second);

    Instant now() const override { return now_; }
    LocalTime toLocal(Instant moment) const override;

    void set(Instant moment) { now_ = moment; }
    // Sets the clock so that local time shows the given moment (under the offset in force).
    void setLocal(int year, unsigned month, unsigned day, int hour, int minute, int second);
    void advance(std::chrono::seconds by) { now_ += by; }
    void advanceSecond() { advance(std::chrono::seconds(1)); }
    void advanceMinute() { advance(std::chrono::minutes(1)); }
    void advanceDay() { advance(std::chrono::days(1)); }

    // From the given moment on, local time is UTC plus the offset.
    void setUtcOffsetFrom(Instant from, std::chrono::seconds offset);

    std::chrono::seconds utcOffsetAt(Instant moment) const;

private:
    Instant now_;
    std::vector<std::pair<Instant, std::chrono::seconds>> offsets_; // sorted by moment
};

// Local time of a moment under a fixed offset from UTC.
LocalTime localTimeAt(Instant moment, std::chrono::seconds utcOffset);

} // namespace chimewick
