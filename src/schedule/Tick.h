// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "ScheduleSlots.h"

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace chimewick {

class Controls;

// The seconds the tick has handled, kept as runs of consecutive seconds so that a whole
// day costs a handful of entries. Runs far in the past are forgotten.
class HandledSeconds {
public:
    bool contains(Instant s) const;
    void add(Instant s);
    std::size_t runCount() const { return runs_.size(); }

private:
    struct Run {
        Instant first;
        Instant last;
    };
    std::vector<Run> runs_; // sorted, disjoint, never adjacent
};

// The once-a-second tick. Each second it handles, it writes the second's clock text into
// the clock display and rings every slot that is on and holds that text.
//
// The timer behind it may fire late, twice in one second or not at all for a while, so
// the tick remembers where it got to: it handles every second it missed, in order, when
// the gap is at most a minute (a busy moment loses no bell), and only the current second
// after a longer gap or a step back of the clock (waking from sleep rings no burst of
// old bells). No second is ever handled twice, so no bell rings twice.
class Tick {
public:
    // Rings the bell of a button, by running the button's own click action.
    using RingBell = std::function<void(std::string_view bellButton)>;
    // Rings a slot's bell, told which slot is due and the clock text it matched.
    using RingSlot = std::function<void(const ScheduleSlot& slot, std::string_view shown)>;

    static constexpr std::chrono::seconds MaxCatchUp{60};

    Tick(Controls& controls, const Clock& clock, RingBell ringBell);
    Tick(Controls& controls, const Clock& clock, RingSlot ringSlot);

    // Told of each second the tick handles, with its local time, before any slot is
    // compared: what it writes into the slots takes effect in that very second.
    using BeforeSecond = std::function<void(const LocalTime& second)>;
    void setBeforeSecond(BeforeSecond beforeSecond) { beforeSecond_ = std::move(beforeSecond); }

    void operator()();

private:
    void handle(Instant second);

    Controls& controls_;
    const Clock& clock_;
    RingSlot ringSlot_;
    BeforeSecond beforeSecond_;
    HandledSeconds handled_;
    std::optional<Instant> previous_;
};

} // namespace chimewick
