// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tick.h"

#include "ClockText.h"
#include "Controls.h"
#include "ScheduleSlots.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace chimewick {

namespace {
// A step back of the clock by more than this may ring a bell again; no school clock is
// set back two days.
constexpr std::chrono::days Memory{2};
} // namespace

bool HandledSeconds::contains(Instant s) const {
    auto it = std::upper_bound(runs_.begin(), runs_.end(), s,
                               [](Instant v, const Run& r) { return v < r.first; });
    return it != runs_.begin() && std::prev(it)->last >= s;
}

void HandledSeconds::add(Instant s) {
    if (contains(s))
        return;
    const std::chrono::seconds one{1};
    auto next = std::upper_bound(runs_.begin(), runs_.end(), s,
                                 [](Instant v, const Run& r) { return v < r.first; });
    const bool joinsPrevious = next != runs_.begin() && std::prev(next)->last + one == s;
    const bool joinsNext = next != runs_.end() && next->first - one == s;
    if (joinsPrevious && joinsNext) {
        std::prev(next)->last = next->last;
        runs_.erase(next);
    } else if (joinsPrevious) {
        std::prev(next)->last = s;
    } else if (joinsNext) {
        next->first = s;
    } else {
        runs_.insert(next, Run{s, s});
    }
    // Forget what lies more than Memory away from this second, on either side. Measured
    // from this second, not the latest handled: after the clock is set back further than
    // Memory, this second must still be remembered, or a second tick within it rings again.
    std::erase_if(runs_, [&](const Run& r) { return r.last < s - Memory || r.first > s + Memory; });
}

Tick::Tick(Controls& controls, const Clock& clock, RingBell ringBell)
    : Tick(controls, clock,
           ringBell
               ? RingSlot{[ring = std::move(ringBell)](const ScheduleSlot& slot, std::string_view) {
                     ring(slot.bellButton);
                 }}
               : RingSlot{}) {}

Tick::Tick(Controls& controls, const Clock& clock, RingSlot ringSlot)
    : controls_(controls), clock_(clock), ringSlot_(std::move(ringSlot)) {
    if (!ringSlot_)
        throw std::invalid_argument("a tick needs a way to ring bells");
}

void Tick::operator()() {
    const Instant now = clock_.now();
    const bool catchUp = previous_ && now > *previous_ && now - *previous_ <= MaxCatchUp;
    const Instant first = catchUp ? *previous_ + std::chrono::seconds(1) : now;

    bool nowShown = false;
    for (Instant s = first; s <= now; s += std::chrono::seconds(1)) {
        // Advanced second by second, so that if a bell fails the next tick goes on from
        // the second after it rather than losing the rest of the catch-up.
        previous_ = s;
        if (!handled_.contains(s)) {
            handle(s);
            nowShown = s == now;
        }
    }
    // A second handled before (two ticks in one second, the clock set back) rings
    // nothing, but the display still shows the time.
    if (!nowShown)
        controls_.setText("Text1", clockText(clock_.toLocal(now)));
}

void Tick::handle(Instant second) {
    // Marked first: should a bell fail half-way, a later tick must not ring the earlier
    // slots of this second again.
    handled_.add(second);
    const LocalTime local = clock_.toLocal(second);
    if (beforeSecond_)
        beforeSecond_(local);
    controls_.setText("Text1", clockText(local));
    // Read back once: nothing writes the display until this second is done, and every
    // slot is compared with what it shows.
    const std::string shown = controls_.text("Text1");
    for (const ScheduleSlot& slot : scheduleSlots()) {
        if (controls_.checkValue(slot.checkBox) != 1)
            continue;
        if (!controls_.textEquals(slot.timeBox, shown))
            continue;
        ringSlot_(slot, shown);
        controls_.setBackColor(slot.timeBox, HighlightGreen);
    }
}

} // namespace chimewick
