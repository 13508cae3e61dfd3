// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "RingLog.h"
#include "ScheduleSlots.h"

#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

using namespace chimewick;

namespace {

const ScheduleSlot* slotOfBox(const QString& checkBox) {
    const auto table = scheduleSlots();
    const auto it = std::find_if(table.begin(), table.end(), [&](const ScheduleSlot& slot) {
        return slot.checkBox == checkBox.toStdString();
    });
    return it == table.end() ? nullptr : &*it;
}

} // namespace

class TestJournalFields : public QObject {
    Q_OBJECT

private slots:
    // What the journal is given for a ring, beside its line: a slot's name and the time it
    // matched, or the button's caption when pressed; and the recording, without the
    // catalogue's backslash. The office searches the journal by these.
    void fieldsOfARing_data() {
        QTest::addColumn<QString>("checkBox"); // the slot's, empty when pressed
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("School Start at its time")
            << "C1"
            << "Command23"
            << "07:25:01 AM"
            << QStringList{"CHIMEWICK_SLOT=School Start", "CHIMEWICK_TIME=07:25:01 AM",
                           "CHIMEWICK_FILE=BellStart.wma"};
        QTest::newRow("Periad 3 at a time of the operator's")
            << "C7"
            << "Command12"
            << "09:11:30 AM"
            << QStringList{"CHIMEWICK_SLOT=Periad 3", "CHIMEWICK_TIME=09:11:30 AM",
                           "CHIMEWICK_FILE=period3.wma"};
        QTest::newRow("a slot that shares its bell")
            << "csi"
            << "Command14"
            << "08:35:01 AM"
            << QStringList{"CHIMEWICK_SLOT=Short Interwal", "CHIMEWICK_TIME=08:35:01 AM",
                           "CHIMEWICK_FILE=interwal.wma"};
        QTest::newRow("pressed") << ""
                                 << "Command11"
                                 << ""
                                 << QStringList{"CHIMEWICK_PRESSED=Periad 2",
                                                "CHIMEWICK_FILE=period2.wma"};
        QTest::newRow("pressed, a recording with blanks in its name")
            << ""
            << "cmd3"
            << ""
            << QStringList{"CHIMEWICK_PRESSED=Sarera Suwatha",
                           "CHIMEWICK_FILE=Shareera Suwatha 2.wav"};
    }
    void fieldsOfARing() {
        QFETCH(QString, checkBox);
        QFETCH(QString, button);
        QFETCH(QString, time);
        QFETCH(QStringList, fields);
        RingRecord record{&bellOfButton(button.toStdString()), nullptr, time.toStdString()};
        if (!checkBox.isEmpty()) {
            record.slot = slotOfBox(checkBox);
            QVERIFY(record.slot);
        }
        QStringList made;
        for (const std::string& field : journalFields(record))
            made << QString::fromStdString(field);
        QCOMPARE(made, fields);
    }
};

QTEST_APPLESS_MAIN(TestJournalFields)
#include "tst_journalfields.moc"
