// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RingLog.h"

#include "BellPlayer.h"
#include "RingCategory.h"

namespace chimewick {

std::vector<std::string> journalFields(const RingRecord& record) {
    std::vector<std::string> fields;
    if (record.slot) {
        fields.push_back("CHIMEWICK_SLOT=" + std::string(record.slot->label));
        fields.push_back("CHIMEWICK_TIME=" + record.timeText);
    } else {
        fields.push_back("CHIMEWICK_PRESSED=" + std::string(record.bell->caption));
    }
    fields.push_back("CHIMEWICK_FILE=" + std::string(recordedFileName(*record.bell)));
    return fields;
}

RingLog::RingLog(bool journal) : journal_(journal && journalWanted()) {}

void RingLog::record(const RingRecord& record) {
    const std::string line = ringLine(record);
    qCInfo(ringCategory).noquote() << QString::fromStdString(line);
    lastFields_ = journalFields(record);
    if (journal_)
        sendToJournal(line, Priority::Info, lastFields_);
}

void RingLog::follow(BellPlayer& player) {
    QObject::connect(&player, &BellPlayer::playbackFailed,
                     [this](const QString& message) { recordFailure(message); });
}

void RingLog::recordFailure(const QString& message) {
    if (journal_)
        sendToJournal(message.toStdString(), Priority::Warning, lastFields_);
}

} // namespace chimewick
