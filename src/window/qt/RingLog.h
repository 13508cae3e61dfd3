// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RingRecord.h"

#include <QString>
#include <string>
#include <vector>

namespace chimewick {

// The record of every bell rung, so the office can tell whether the 10:30 bell rang: one
// line a ring through the program's logging category, and where the systemd journal runs
// and standard error is no terminal, the same line in the journal under the identifier
// "chimewick", with the slot, the time text and the file as fields. Nothing is read back.
class RingLog {
public:
    RingLog();

    void record(const RingRecord& record);
    // A recording the player could not play, in the player's words. Standard error has it
    // from the player already; the journal has it here, beside the ring it belongs to.
    void recordFailure(const QString& message);

    bool toJournal() const { return journal_; }

private:
    void send(const std::string& message, int priority, const std::vector<std::string>& fields);

    bool journal_ = false;
    std::vector<std::string> lastFields_; // of the last ring: the player plays only that one
};

} // namespace chimewick
