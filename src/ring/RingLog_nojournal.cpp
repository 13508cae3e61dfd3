// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingLog.h"

namespace chimewick {

// No journal in this build: the program's logging category has every line.
bool RingLog::journalWanted() {
    return false;
}

void RingLog::sendToJournal(const std::string&, Priority, const std::vector<std::string>&) {}

} // namespace chimewick
