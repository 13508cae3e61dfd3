// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingLog.h"

#include "BellPlayer.h"
#include "DesktopLog.h"

#ifdef CHIMEWICK_JOURNAL
#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>
#endif

namespace chimewick {

RingLog::RingLog([[maybe_unused]] bool journal) {
#ifdef CHIMEWICK_JOURNAL
    // On a terminal the operator reads the lines as they come; started by the desktop, the
    // journal keeps them for the office.
    journal_ = !isatty(STDERR_FILENO) && access("/run/systemd/journal/socket", W_OK) == 0;
#endif
}

void RingLog::record(const RingRecord& record) {
    const std::string line = ringLine(record);
    qCInfo(desktopLog).noquote() << QString::fromStdString(line);
    std::vector<std::string> fields;
    if (record.slot) {
        fields.push_back("CHIMEWICK_SLOT=" + std::string(record.slot->label));
        fields.push_back("CHIMEWICK_TIME=" + record.timeText);
    } else {
        fields.push_back("CHIMEWICK_PRESSED=" + std::string(record.bell->caption));
    }
    fields.push_back("CHIMEWICK_FILE=" + std::string(recordedFileName(*record.bell)));
    lastFields_ = fields;
#ifdef CHIMEWICK_JOURNAL
    send(line, LOG_INFO, fields);
#endif
}

void RingLog::follow(BellPlayer& player) {
    QObject::connect(&player, &BellPlayer::playbackFailed,
                     [this](const QString& message) { recordFailure(message); });
}

void RingLog::recordFailure(const QString& message) {
#ifdef CHIMEWICK_JOURNAL
    send(message.toStdString(), LOG_WARNING, lastFields_);
#else
    (void)message;
#endif
}

void RingLog::send(const std::string& message, [[maybe_unused]] int priority,
                   [[maybe_unused]] const std::vector<std::string>& fields) {
    if (!journal_)
        return;
#ifdef CHIMEWICK_JOURNAL
    std::vector<std::string> all{"MESSAGE=" + message, "PRIORITY=" + std::to_string(priority),
                                 "SYSLOG_IDENTIFIER=chimewick"};
    all.insert(all.end(), fields.begin(), fields.end());
    std::vector<iovec> parts;
    for (std::string& field : all)
        parts.push_back({field.data(), field.size()});
    // A journal that went away is no reason to stop ringing: the line is on stderr anyway.
    sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
#else
    (void)message;
#endif
}

} // namespace chimewick
