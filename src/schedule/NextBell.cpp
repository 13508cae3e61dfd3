// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NextBell.h"

#include "ClockText.h"
#include "Controls.h"

#include <algorithm>
#include <map>
#include <set>

namespace chimewick {

namespace {

using namespace std::chrono;

// The second of the day a box's text names, when the clock ever shows exactly that text.
std::optional<int> secondOfDay(const std::string& text) {
    if (text.size() != 11)
        return std::nullopt;
    const auto digit = [&](std::size_t at) { return text[at] >= '0' && text[at] <= '9'; };
    for (std::size_t at : {0u, 1u, 3u, 4u, 6u, 7u})
        if (!digit(at))
            return std::nullopt;
    const auto two = [&](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    const int hour12 = two(0);
    const int minute = two(3);
    const int second = two(6);
    if (hour12 < 1 || hour12 > 12 || minute > 59 || second > 59)
        return std::nullopt;
    const bool pm = text.compare(8, 3, " PM") == 0;
    const int hour24 = hour12 % 12 + (pm ? 12 : 0);
    // Written back and compared, so that only the clock's own form is taken.
    if (clockText(hour24, minute, second) != text)
        return std::nullopt;
    return (hour24 * 60 + minute) * 60 + second;
}

seconds localSeconds(const LocalTime& t) {
    return sys_days{t.date}.time_since_epoch() + hours{t.hour} + minutes{t.minute} +
           seconds{t.second};
}

} // namespace

std::optional<NextBell> nextBell(const Controls& controls, const Clock& clock, Instant now) {
    // Second of the day -> the slot heard then: the last one the tick visits.
    std::map<int, const ScheduleSlot*> due;
    for (const ScheduleSlot& slot : scheduleSlots()) {
        if (controls.checkValue(slot.checkBox) != 1)
            continue;
        if (const auto at = secondOfDay(controls.text(slot.timeBox)))
            due[*at] = &slot;
    }
    if (due.empty())
        return std::nullopt;

    // The zone's offsets from now to past midnight: rarely more than one, two on the day
    // the clocks change. Sampled hourly, as no zone changes twice within an hour.
    const LocalTime today = clock.toLocal(now);
    std::set<seconds> offsets;
    for (int hour = 0; hour <= 26; ++hour) {
        const Instant at = now + hours{hour};
        offsets.insert(localSeconds(clock.toLocal(at)) - at.time_since_epoch());
    }

    std::optional<NextBell> next;
    const seconds midnight = sys_days{today.date}.time_since_epoch();
    for (const auto& [second, slot] : due) {
        for (const seconds offset : offsets) {
            const Instant at{midnight + seconds{second} - offset};
            if (at <= now || (next && at >= next->at))
                continue;
            const LocalTime shown = clock.toLocal(at);
            if (shown.date != today.date || localSeconds(shown) - midnight != seconds{second})
                continue; // that offset is not in force then
            next = NextBell{slot, clockText(shown), at};
        }
    }
    return next;
}

std::string nextBellLine(const std::optional<NextBell>& next, Instant now) {
    if (!next)
        return "No more bells today";
    const auto left = duration_cast<minutes>(next->at - now);
    std::string in;
    if (left < minutes{1})
        in = "under a minute";
    else if (left < hours{1})
        in = std::to_string(left.count()) + " min";
    else if (left % hours{1} == minutes{0})
        in = std::to_string(left / hours{1}) + " h";
    else
        in = std::to_string(left / hours{1}) + " h " + std::to_string((left % hours{1}).count()) +
             " min";
    const std::string dot = " \xC2\xB7 "; // a middle dot, in UTF-8 whatever the compiler's charset
    return "Next bell " + next->timeText + dot + std::string(next->slot->label) + dot + "in " + in;
}

} // namespace chimewick
