// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ScheduleSlots.h"

#include "WindowDescription.h"

#include <vector>

namespace chimewick {

std::span<const ScheduleSlot> scheduleSlots() {
    // The window holds the timetable; the slot takes its name from its row's label.
    static const std::vector<ScheduleSlot> slots = [] {
        std::vector<ScheduleSlot> s;
        for (const SlotRow& row : form1SlotRows())
            s.push_back(
                {findControl(row.label).caption, row.checkBox, row.timeBox, row.bellButton});
        return s;
    }();
    return slots;
}

} // namespace chimewick
