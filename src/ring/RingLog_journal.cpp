// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingLog.h"

#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

namespace chimewick {

bool RingLog::journalWanted() {
    // On a terminal the operator reads the lines as they come; started by the desktop, the
    // journal keeps them for the office.
    return !isatty(STDERR_FILENO) && access("/run/systemd/journal/socket", W_OK) == 0;
}

void RingLog::sendToJournal(const std::string& message, Priority priority,
                            const std::vector<std::string>& fields) {
    const int level = priority == Priority::Warning ? LOG_WARNING : LOG_INFO;
    std::vector<std::string> all{"MESSAGE=" + message, "PRIORITY=" + std::to_string(level),
                                 "SYSLOG_IDENTIFIER=chimewick"};
    all.insert(all.end(), fields.begin(), fields.end());
    std::vector<iovec> parts;
    for (std::string& field : all)
        parts.push_back({field.data(), field.size()});
    // A journal that went away is no reason to stop ringing: the line is on stderr anyway.
    sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
}

} // namespace chimewick
