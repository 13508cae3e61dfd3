// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeClock.h"

#include <algorithm>
#include <optional>

namespace chimewick {

using namespace std::chrono;

LocalTime localTimeAt(Instant moment, seconds utcOffset) {
    const auto local = moment + utcOffset;
    const auto day = floor<days>(local);
    const hh_mm_ss<seconds> time{local - day};
    return LocalTime{.date = year_month_day{day},
                     .hour = static_cast<int>(time.hours().count()),
                     .minute = static_cast<int>(time.minutes().count()),
                     .second = static_cast<int>(time.seconds().count())};
}

FakeClock::FakeClock(int y, unsigned m, unsigned d, int hour, int minute, int second) {
    setLocal(y, m, d, hour, minute, second);
}

void FakeClock::setLocal(int y, unsigned m, unsigned d, int hour, int minute, int second) {
    const Instant wanted =
        sys_days{year{y} / month{m} / day{d}} + hours{hour} + minutes{minute} + seconds{second};
    // The moment whose offset, added to it, gives the wanted local time. Of a time shown
    // twice (the clock set back) the first; of one never shown (set forward) the moment
    // the offset before the change would give.
    std::vector<seconds> candidates{seconds{0}};
    for (const auto& entry : offsets_)
        candidates.push_back(entry.second);
    std::optional<Instant> earliest;
    for (seconds offset : candidates) {
        const Instant moment = wanted - offset;
        if (utcOffsetAt(moment) == offset && (!earliest || moment < *earliest))
            earliest = moment;
    }
    now_ = earliest ? *earliest : wanted - utcOffsetAt(wanted - utcOffsetAt(wanted));
}

void FakeClock::setUtcOffsetFrom(Instant from, seconds offset) {
    auto at = std::lower_bound(offsets_.begin(), offsets_.end(), from,
                               [](const auto& entry, Instant s) { return entry.first < s; });
    offsets_.insert(at, {from, offset});
}

seconds FakeClock::utcOffsetAt(Instant moment) const {
    seconds offset{0};
    for (const auto& [from, value] : offsets_)
        if (from <= moment)
            offset = value;
    return offset;
}

LocalTime FakeClock::toLocal(Instant moment) const {
    return localTimeAt(moment, utcOffsetAt(moment));
}

} // namespace chimewick
