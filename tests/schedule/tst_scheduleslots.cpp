// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "ControlsSpy.h"
#include "FakeClock.h"
#include "ScheduleSlots.h"
#include "Tick.h"

#include <QTest>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace chimewick;

namespace {

struct ExpectedSlot {
    const char* label;
    const char* checkBox;
    const char* timeBox;
    const char* bellButton;
};

// The timetable in the order the tick visits it, written out independently of the
// program's own table. (The boxes' defaults are the window's, checked with its layout.)
constexpr ExpectedSlot expected[] = {
    {"School Start", "C1", "T1", "Command23"},
    {"Arrenge Bell 1", "C2", "T2", "Command20"},
    {"Arrenge Bell 2", "Check5", "Text7", "Command24"},
    {"Morning Gatha", "Check4", "Text6", "cmd2"},
    {"Sarera Suwatha", "C3", "T3", "cmd3"},
    {"Jathika Geeya", "C4", "T4", "cmd4"},
    {"Jathika Geeya Half", "Check2", "Text4", "Command5"},
    {"Pasal Geeya", "C5", "T5", "cmd1"}, // the period bell, not the song "Pasal Geeya"
    {"Teaching Start (M/T)", "Check1", "Text3", "Command10"},
    {"Teaching Start", "Check3", "Text5", "Command10"},
    {"Periad 2", "C6", "T6", "Command11"},
    {"Periad 3", "C7", "T7", "Command12"},
    {"Periad 4", "C8", "T8", "Command13"},
    {"Interwal Start", "C9", "T9", "Command14"},
    {"Short Interwal", "csi", "Text10", "Command14"},
    {"Short Bell", "Check7", "Text9", "Command20"},
    {"Hodama Lamay.", "Check6", "Text8", "Command21"},
    {"Periad 5", "C10", "T10", "Command15"},
    {"Periad 6", "C11", "T11", "Command16"},
    {"Periad 7", "C12", "T12", "Command17"},
    {"Periad 8", "C13", "T13", "Command18"},
    {"End Bell", "C14", "T14", "Command19"},
    {"End Gatha", "C15", "T15", "cmd15"},
    {"Green Time", "chkgt", "txtgt", "cmdgt"},
};

} // namespace

class TestScheduleSlots : public QObject {
    Q_OBJECT

private slots:
    void holdsTwentyFourSlots() { QCOMPARE(scheduleSlots().size(), std::size(expected)); }

    void eachSlot_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < static_cast<int>(std::size(expected)); ++i)
            QTest::newRow(qPrintable(
                QStringLiteral("slot %1, %2").arg(i + 1).arg(QString::fromUtf8(expected[i].label))))
                << i;
    }

    // The slot's place in the table; and, ticked alone with every time box holding the
    // clock text, it rings its own bell and turns its own time box green.
    void eachSlot() {
        QFETCH(int, index);
        const ExpectedSlot& slot = expected[index];
        const auto table = scheduleSlots();
        QVERIFY(static_cast<std::size_t>(index) < table.size());
        const ScheduleSlot& row = table[static_cast<std::size_t>(index)];
        QCOMPARE(row.label, std::string_view(slot.label));
        QCOMPARE(row.checkBox, std::string_view(slot.checkBox));
        QCOMPARE(row.timeBox, std::string_view(slot.timeBox));
        QCOMPARE(row.bellButton, std::string_view(slot.bellButton));

        MemoryControls controls;
        for (const ExpectedSlot& other : expected) {
            controls.setCheckValue(other.checkBox, &other == &slot ? 1 : 0);
            controls.setText(other.timeBox, "11:11:11 PM");
        }
        const FakeClock clock(2026, 12, 7, 23, 11, 11);
        std::vector<std::string> rung;
        Tick tick(controls, clock, [&rung](std::string_view bell) { rung.emplace_back(bell); });
        tick();
        QCOMPARE(rung, std::vector<std::string>{slot.bellButton});
        for (const ExpectedSlot& other : expected)
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
