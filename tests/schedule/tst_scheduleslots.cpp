#include "BellCatalogue.h"
#include "ControlsSpy.h"
#include "ScheduleSlots.h"
#include "WindowDescription.h"

#include <QTest>
#include <map>
#include <set>
#include <string>

using namespace chimewick;

namespace {

struct ExpectedSlot {
    const char* label;
    const char* checkBox;
    int onAtStart;
    const char* timeBox;
    const char* timeAtStart;
    const char* bellButton;
};

// The timetable in the order the tick visits it, written out independently of the
// program's own table.
constexpr ExpectedSlot expected[] = {
    {"School Start", "C1", 1, "T1", "07:25:01 AM", "Command23"},
    {"Arrenge Bell 1", "C2", 0, "T2", "07:26:01 AM", "Command20"},
    {"Arrenge Bell 2", "Check5", 1, "Text7", "07:29:54 AM", "Command24"},
    {"Morning Gatha", "Check4", 1, "Text6", "07:30:01 AM", "cmd2"},
    {"Sarera Suwatha", "C3", 0, "T3", "00:00:00 AM", "cmd3"},
    {"Jathika Geeya", "C4", 0, "T4", "00:00:00 AM", "cmd4"},
    {"Jathika Geeya Half", "Check2", 0, "Text4", "00:00:00 AM", "Command5"},
    {"Pasal Geeya", "C5", 0, "T5", "00:00:00 AM", "cmd1"},
    {"Teaching Start (M/T)", "Check1", 0, "Text3", "08:00:01 AM", "Command10"},
    {"Teaching Start", "Check3", 0, "Text5", "07:50:01 AM", "Command10"},
    {"Periad 2", "C6", 1, "T6", "08:30:01 AM", "Command11"},
    {"Periad 3", "C7", 1, "T7", "09:10:01 AM", "Command12"},
    {"Periad 4", "C8", 1, "T8", "09:50:01 AM", "Command13"},
    {"Interwal Start", "C9", 1, "T9", "10:30:01 AM", "Command14"},
    {"Short Interwal", "csi", 0, "Text10", "08:35:01 AM", "Command14"},
    {"Short Bell", "Check7", 1, "Text9", "10:48:20 AM", "Command20"},
    {"Hodama Lamay.", "Check6", 1, "Text8", "10:48:30 AM", "Command21"},
    {"Periad 5", "C10", 1, "T10", "10:50:15 AM", "Command15"},
    {"Periad 6", "C11", 1, "T11", "11:30:01 AM", "Command16"},
    {"Periad 7", "C12", 1, "T12", "12:10:01 PM", "Command17"},
    {"Periad 8", "C13", 1, "T13", "12:50:01 PM", "Command18"},
    {"End Bell", "C14", 1, "T14", "01:27:01 PM", "Command19"},
    {"End Gatha", "C15", 1, "T15", "01:28:01 PM", "cmd15"},
    {"Green Time", "chkgt", 0, "txtgt", "01:25:01 PM", "cmdgt"},
};

} // namespace

class TestScheduleSlots : public QObject {
    Q_OBJECT

private slots:
    void holdsTwentyFourSlots() { QCOMPARE(scheduleSlots().size(), std::size(expected)); }

    void slotsInTheOrderTheTickVisitsThem() {
        const auto table = scheduleSlots();
        QCOMPARE(table.size(), std::size(expected));
        for (std::size_t i = 0; i < table.size(); ++i) {
            const QByteArray where = "slot " + QByteArray::number(qsizetype(i + 1));
            QVERIFY2(table[i].label == expected[i].label, where);
            QVERIFY2(table[i].checkBox == expected[i].checkBox, where);
            QVERIFY2(table[i].timeBox == expected[i].timeBox, where);
            QVERIFY2(table[i].bellButton == expected[i].bellButton, where);
        }
    }

    // The slot's controls are on the window, of the right kind, with the defaults the
    // school starts from.
    void slotControlsStartAtTheirDefaults() {
        const MemoryControls controls;
        int ticked = 0;
        for (const ExpectedSlot& slot : expected) {
            QCOMPARE(findControl(slot.checkBox).kind, ControlKind::CheckBox);
            QCOMPARE(findControl(slot.timeBox).kind, ControlKind::TextBox);
            QCOMPARE(controls.checkValue(slot.checkBox), slot.onAtStart);
            QCOMPARE(controls.text(slot.timeBox), std::string(slot.timeAtStart));
            ticked += slot.onAtStart;
        }
        QCOMPARE(ticked, 15);
    }

    // The window shows each slot's label beside its boxes.
    void eachSlotSitsBesideItsLabel() {
        const auto rows = form1SlotRows();
        QCOMPARE(rows.size(), scheduleSlots().size());
        for (const ScheduleSlot& slot : scheduleSlots()) {
            bool found = false;
            for (const SlotRow& row : rows) {
                if (row.checkBox != slot.checkBox)
                    continue;
                found = true;
                QCOMPARE(row.timeBox, slot.timeBox);
                QCOMPARE(findControl(row.label).caption, slot.label);
            }
            QVERIFY2(found, slot.checkBox.data());
        }
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

    void theSlotLabelledPasalGeeyaRingsThePeriodBell() {
        const ScheduleSlot& slot = scheduleSlots()[7];
        QCOMPARE(slot.label, std::string_view("Pasal Geeya"));
        QCOMPARE(slot.bellButton, std::string_view("cmd1"));
        QCOMPARE(bellOfButton(slot.bellButton).fileName, std::string_view("\\bell.mp3"));
    }
};

QTEST_APPLESS_MAIN(TestScheduleSlots)
#include "tst_scheduleslots.moc"
