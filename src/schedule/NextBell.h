// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "ScheduleSlots.h"

#include <optional>
#include <string>

namespace chimewick {

class Controls;

// The bell the tick will ring next, as the timetable stands now.
struct NextBell {
    const ScheduleSlot* slot = nullptr; // the one heard, should several share the second
    std::string timeText;               // as its time box holds it
    Instant at;                         // the second it rings
};

// The first second after `now`, and still on today's date, whose clock text equals the time
// text of a ticked slot: the tick's own rule, so a box that can never match (a missing
// leading zero, a blank too many) is never promised and no bell that will ring is missed,
// daylight-saving days included. None when nothing more rings before midnight.
std::optional<NextBell> nextBell(const Controls& controls, const Clock& clock, Instant now);

// The display's standing line for it, e.g. "Next bell 07:50:01 AM · Periad 2 · in 24 min":
// the time as its box holds it, the slot's label and the whole minutes left (hours too
// from an hour on, "under a minute" in the last one); "No more bells today" for none.
std::string nextBellLine(const std::optional<NextBell>& next, Instant now);

} // namespace chimewick
