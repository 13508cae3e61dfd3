// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RingRecord.h"

#include <QString>
#include <string>
#include <vector>

namespace chimewick {

class BellPlayer;

// The fields a ring's line carries in the journal besides the message: the slot and the time
// text it matched, or the button pressed; and the recording.
std::vector<std::string> journalFields(const RingRecord& record);

// The record of every bell rung, so the office can tell whether the 10:30 bell rang: one
// line a ring through the program's logging category, and where the systemd journal runs
// and standard error is no terminal, the same line in the journal under the identifier
// "chimewick", with the slot, the time text and the file as fields. On Windows the same line
// goes to the Application event log under the source "Chimewick" (a warning for a recording
// that cannot be played), the fields as the event's further strings. Nothing is read back.
class RingLog {
public:
    // journal: whether the journal, or on Windows the event log, may be used at all (tests keep
    // their lines off the host's).
    explicit RingLog(bool journal = true);

    void record(const RingRecord& record);
    // Records each recording the player cannot play, in the player's words: standard error
    // has them from the player already, the journal has them here, beside their ring. The
    // log must outlive the player.
    void follow(BellPlayer& player);

private:
    enum class Priority { Info, Warning };

    void recordFailure(const QString& message);
    // Whether the journal takes the lines here, and the sending: RingLog_journal.cpp where
    // the build has libsystemd, RingLog_nojournal.cpp where it has not, RingLog_windows.cpp
    // (the event log) on Windows.
    static bool journalWanted();
    static void sendToJournal(const std::string& message, Priority priority,
                              const std::vector<std::string>& fields);

    bool journal_ = false;
    std::vector<std::string> lastFields_; // of the last ring: the player plays only that one
};

} // namespace chimewick
