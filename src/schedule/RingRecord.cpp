// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingRecord.h"

namespace chimewick {

std::string_view recordedFileName(const Bell& bell) {
    std::string_view name = bell.fileName;
    if (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    return name;
}

std::string ringLine(const RingRecord& record) {
    std::string line;
    if (record.slot) {
        line = "rang ";
        line += record.slot->label;
        line += " at ";
        line += record.timeText;
    } else {
        line = "pressed ";
        line += record.bell->caption;
    }
    line += ": ";
    line += recordedFileName(*record.bell);
    return line;
}

} // namespace chimewick
