// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "BellCatalogue.h"
#include "ScheduleSlots.h"

#include <functional>
#include <string>
#include <string_view>

namespace chimewick {

// One bell rung, for the record of the day the office reads: rung by the timetable (its
// slot and the clock text it matched) or by the operator's press of its button.
struct RingRecord {
    const Bell* bell = nullptr;
    const ScheduleSlot* slot = nullptr; // none when the button was pressed
    std::string timeText;               // the clock text the slot matched
};

// Told of every ring, before its recording is handed to the player.
using RecordRing = std::function<void(const RingRecord& record)>;

// The recording's name as the record gives it: without the catalogue's leading backslash.
std::string_view recordedFileName(const Bell& bell);

// "rang Periad 2 at 07:50:01 AM: period2.wma", or "pressed Periad 2: period2.wma".
std::string ringLine(const RingRecord& record);

} // namespace chimewick
