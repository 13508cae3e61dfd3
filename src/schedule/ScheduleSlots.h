// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <span>
#include <string_view>

namespace chimewick {

// One row of the timetable: on when its check box holds exactly 1, due when its time
// box holds exactly the clock text; it rings its bell button's action and turns its own
// time box green.
struct ScheduleSlot {
    std::string_view label;
    std::string_view checkBox;
    std::string_view timeBox;
    std::string_view bellButton;
};

// The 24 slots in the order the tick visits them. The order is not by time: when two
// slots ring in one second, the later one's bell is the one that plays on.
std::span<const ScheduleSlot> scheduleSlots();

} // namespace chimewick
