// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "ControlsSpy.h"
#include "FakeClock.h"
#include "ReferenceTables.h"
#include "ScheduleSlots.h"
#include "Tick.h"

#include <QTest>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace chimewick;

using chimewick::testing::ReferenceSlot;
using chimewick::testing::ReferenceSlots;

class TestScheduleSlots : public QObject {
    Q_OBJECT

private slots:
    void holdsTwentyFourSlots() { QCOMPARE(scheduleSlots().size(), std::size(ReferenceSlots)); }

    void eachSlot_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < static_cast<int>(std::size(ReferenceSlots)); ++i)
            QTest::newRow(qPrintable(QStringLiteral("slot %1, %2")
                                         .arg(i + 1)
                                         .arg(QString::fromUtf8(ReferenceSlots[i].caption))))
                << i;
    }

    // The slot's place in the table; and, ticked alone with every time box holding the
    // clock text, it rings its own bell and turns its own time box green.
    void eachSlot() {
        QFETCH(int, index);
        const ReferenceSlot& slot = ReferenceSlots[index];
        const auto table = scheduleSlots();
        QVERIFY(static_cast<std::size_t>(index) < table.size());
        const ScheduleSlot& row = table[static_cast<std::size_t>(index)];
        QCOMPARE(row.label, std::string_view(slot.caption));
        QCOMPARE(row.checkBox, std::string_view(slot.checkBox));
        QCOMPARE(row.timeBox, std::string_view(slot.timeBox));
        QCOMPARE(row.bellButton, std::string_view(slot.bellButton));

        MemoryControls controls;
        for (const ReferenceSlot& other : ReferenceSlots) {
            controls.setCheckValue(other.checkBox, &other == &slot ? 1 : 0);
            controls.setText(other.timeBox, "11:11:11 PM");
        }
        const FakeClock clock(2026, 12, 7, 23, 11, 11);
        std::vector<std::string> rung;
        Tick tick(controls, clock, [&rung](std::string_view bell) { rung.emplace_back(bell); });
        tick();
        QCOMPARE(rung, std::vector<std::string>{slot.bellButton});
        for (const ReferenceSlot& other : ReferenceSlots)
            QVERIFY2((controls.backColor(other.timeBox) == HighlightGreen) == (&other == &slot),
                     other.timeBox);
    }

    void noTwoSlotsShareABox() {
        std::set<std::string_view> boxes;
        for (const ScheduleSlot& slot : scheduleSlots()) {
            QVERIFY(boxes.insert(slot.checkBox).second);
            QVERIFY(boxes.insert(slot.timeBox).second);
        }
        // The clock display is no slot's box.
        QVERIFY(!boxes.contains("Text1"));
    }

    void everySlotRingsABellOfTheCatalogue() {
        for (const ScheduleSlot& slot : scheduleSlots())
            QCOMPARE(bellOfButton(slot.bellButton).button, slot.bellButton);
    }

    void twentyOneBellsAreRungBySlots() {
        std::map<std::string_view, int> slotsOfBell;
        for (const ScheduleSlot& slot : scheduleSlots())
            ++slotsOfBell[slot.bellButton];
        QCOMPARE(slotsOfBell.size(), std::size_t{21});
        // Three bells are rung by two slots each, the rest by one.
        const std::map<std::string_view, int> shared = {
            {"Command10", 2}, {"Command14", 2}, {"Command20", 2}};
        for (const auto& [bell, count] : slotsOfBell)
            QCOMPARE(count, shared.contains(bell) ? 2 : 1);
    }

    void fiveBellsAreRungOnlyByTheirButtons() {
        std::set<std::string_view> rungBySlots;
        for (const ScheduleSlot& slot : scheduleSlots())
            rungBySlots.insert(slot.bellButton);
        std::set<std::string_view> onlyByHand;
        for (const Bell& bell : bellCatalogue())
            if (!rungBySlots.contains(bell.button))
                onlyByHand.insert(bell.button);
        QCOMPARE(onlyByHand,
                 (std::set<std::string_view>{"cmd", "cmd5", "Command7", "Command8", "Command9"}));
    }
};

QTEST_APPLESS_MAIN(TestScheduleSlots)
#include "tst_scheduleslots.moc"
