#include "BellCatalogue.h"
#include "Clock.h"
#include "Color.h"
#include "ControlsSpy.h"
#include "Engine.h"

#include <QTest>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using chimewick::testing::changed;
using chimewick::testing::ControlsSpy;
using chimewick::testing::snapshot;

namespace {

constexpr char sep = std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';
constexpr int Day = 24 * 60 * 60;

std::string inFolder(std::string_view file) {
    return "/opt/school bells" + std::string(1, sep) + std::string(file);
}

// The whole engine over in-memory controls, on Monday 7 December 2026 at 07:00:00.
struct Rig {
    ControlsSpy controls;
    FakeClock clock{2026, 12, 7, 7, 0, 0};
    int folderReads = 0;
    Engine engine{controls, clock, [this] {
                      ++folderReads;
                      return std::string("/opt/school bells");
                  }};

    void at(unsigned day, int hour, int minute, int second) {
        clock.setLocal(2026, 12, day, hour, minute, second);
    }
    void tickAt(int hour, int minute, int second) {
        at(7, hour, minute, second);
        engine.run("Timer1_Timer");
    }
    void tickEverySecond(int count) {
        for (int i = 0; i < count; ++i) {
            engine.run("Timer1_Timer");
            clock.advanceSecond();
        }
    }
    // The file names handed to the player, oldest first.
    std::vector<std::string> played() const {
        std::vector<std::string> out;
        for (const std::string& path : controls.memory.playerHistory())
            out.push_back(path.substr(path.rfind(sep) + 1));
        return out;
    }
    bool isGreen(std::string_view box) const {
        return controls.memory.backColor(box) == HighlightGreen;
    }
};

} // namespace

class TestEngine : public QObject {
    Q_OBJECT

private slots:
    void makingTheEngineTouchesNoControl() {
        Rig rig;
        QVERIFY(rig.controls.log.empty());
        QCOMPARE(rig.folderReads, 0);
        QCOMPARE(rig.controls.memory.text("Text1"), std::string());
        QCOMPARE(rig.controls.memory.playerUrl("wmp"), std::string());
    }

    void theActionsTheWindowBinds() {
        Rig rig;
        std::set<std::string> expected{"Form_Load",      "Timer1_Timer",   "ck4_Click",
                                       "Command1_Click", "Command2_Click", "Command3_Click",
                                       "Command4_Click", "Command6_Click", "Command22_Click"};
        for (const char* bell :
             {"cmd",       "cmd1",      "cmd2",      "cmd3",      "cmd4",      "cmd5",
              "cmd15",     "cmdgt",     "Command5",  "Command7",  "Command8",  "Command9",
              "Command10", "Command11", "Command12", "Command13", "Command14", "Command15",
              "Command16", "Command17", "Command18", "Command19", "Command20", "Command21",
              "Command23", "Command24"})
            expected.insert(std::string(bell) + "_Click");
        QCOMPARE(expected.size(), std::size_t{35});
        const std::vector<std::string> names = rig.engine.actions().names();
        QCOMPARE(std::set<std::string>(names.begin(), names.end()), expected);
        QCOMPARE(names.size(), expected.size());
    }

    void anUnknownActionIsAnError() {
        Rig rig;
        QVERIFY_THROWS_EXCEPTION(UnknownActionError, rig.engine.run("Command22_DblClick"));
        QVERIFY_THROWS_EXCEPTION(UnknownActionError, rig.engine.run("ck4_click"));
    }

    void eachBellButtonPlaysItsFile() {
        Rig rig;
        for (const Bell& bell : bellCatalogue()) {
            rig.controls.log.clear();
            rig.engine.run(std::string(bell.button) + "_Click");
            QCOMPARE(rig.controls.log, std::vector<std::string>{"setPlayerUrl wmp " +
                                                                inFolder(bell.fileName.substr(1))});
        }
        QCOMPARE(rig.folderReads, 26);
    }

    // The tick rings a slot by running the bell button's own click action.
    void theTickRingsThroughTheButtonsAction() {
        Rig rig;
        rig.tickAt(7, 25, 1);
        QCOMPARE(rig.played(), std::vector<std::string>{"BellStart.wma"});
        QCOMPARE(rig.controls.memory.playerUrl("wmp"), inFolder("BellStart.wma"));
        QVERIFY(rig.isGreen("T1"));
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:01 AM"));
        const std::vector<std::string> writes = rig.controls.writes();
        QCOMPARE(writes,
                 (std::vector<std::string>{"setText Text1 07:25:01 AM",
                                           "setPlayerUrl wmp " + inFolder("BellStart.wma"),
                                           "setBackColor T1 " + std::to_string(HighlightGreen)}));
    }

    void theLaterSlotsBellPlaysOn() {
        Rig rig;
        rig.controls.memory.setCheckValue("C2", 1);
        rig.controls.memory.setText("T2", "07:25:01 AM");
        rig.tickAt(7, 25, 1);
        QCOMPARE(rig.played(), (std::vector<std::string>{"BellStart.wma", "sb.wma"}));
        QCOMPARE(rig.controls.memory.playerUrl("wmp"), inFolder("sb.wma"));
        QVERIFY(rig.isGreen("T1"));
        QVERIFY(rig.isGreen("T2"));
    }

    void pasalGeeyaSlotPlaysThePeriodBell() {
        Rig rig;
        rig.controls.memory.setCheckValue("C5", 1);
        rig.controls.memory.setText("T5", "09:00:00 AM");
        rig.tickAt(9, 0, 0);
        QCOMPARE(rig.played(), std::vector<std::string>{"bell.mp3"});
        rig.engine.run("cmd5_Click");
        QCOMPARE(rig.played(), (std::vector<std::string>{"bell.mp3", "pgee.mp3"}));
    }

    void aFailingPlayerEndsTheTick() {
        Rig rig;
        rig.controls.memory.setCheckValue("C2", 1);
        rig.controls.memory.setText("T2", "07:25:01 AM");
        rig.controls.failOn("setPlayerUrl");
        rig.at(7, 7, 25, 1);
        QVERIFY_THROWS_EXCEPTION(ControlError, rig.engine.run("Timer1_Timer"));
        QVERIFY(!rig.isGreen("T1"));
        QVERIFY(!rig.isGreen("T2"));
        QVERIFY(rig.played().empty());
    }

    void aMissingFolderIsNoConcernOfTheEngine() {
        // The folder does not exist; the ring hands the path over and the box turns green.
        Rig rig;
        rig.tickAt(7, 25, 1);
        QVERIFY(!std::filesystem::exists(rig.controls.memory.playerUrl("wmp")));
        QVERIFY(rig.isGreen("T1"));
        rig.tickEverySecond(5);
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:05 AM"));
    }

    // --- the load ---

    void loadingOnAMondayRingsTeachingStartAtEight() {
        Rig rig;
        rig.engine.run("Form_Load");
        QCOMPARE(rig.controls.writes(),
                 (std::vector<std::string>{"setCheckValue Check1 1", "setCheckValue Check3 0"}));
        rig.controls.logReads = false;
        rig.at(7, 7, 40, 0);
        rig.tickEverySecond(30 * 60);
        QCOMPARE(rig.played(), std::vector<std::string>{"teachingstart.wma"});
        QVERIFY(rig.isGreen("Text3"));
        QVERIFY(!rig.isGreen("Text5"));
    }

    void loadingOnATuesdayRingsTeachingStartAtTenToEight() {
        Rig rig;
        rig.at(8, 6, 0, 0);
        rig.engine.run("Form_Load");
        rig.controls.logReads = false;
        rig.at(8, 7, 40, 0);
        rig.tickEverySecond(30 * 60);
        QCOMPARE(rig.played(), std::vector<std::string>{"teachingstart.wma"});
        QVERIFY(rig.isGreen("Text5"));
        QVERIFY(!rig.isGreen("Text3"));
    }

    void loadingOnASundayWritesNothing() {
        Rig rig;
        rig.at(6, 9, 0, 0);
        const auto before = snapshot(rig.controls.memory);
        rig.engine.run("Form_Load");
        QVERIFY(rig.controls.writes().empty());
        QCOMPARE(snapshot(rig.controls.memory), before);
    }

    void weekdayButtonsWorkOnAnyDay() {
        Rig rig;
        rig.at(12, 9, 0, 0); // a Saturday
        rig.engine.run("Command2_Click");
        QCOMPARE(rig.controls.memory.checkValue("Check1"), 1);
        QCOMPARE(rig.controls.memory.checkValue("Check3"), 0);
    }

    // --- special days through the tick ---

    void samithiDayMovesThePeriods() {
        Rig rig;
        rig.engine.run("Command1_Click");
        rig.tickAt(8, 25, 1);
        QCOMPARE(rig.played(), std::vector<std::string>{"period2.wma"});
        QVERIFY(rig.isGreen("T6"));
        rig.tickAt(8, 30, 1); // the old time rings nothing
        QCOMPARE(rig.played().size(), std::size_t{1});
    }

    void twoThirtyDayRingsPeriodEightAtTwentyToTwo() {
        Rig rig;
        rig.engine.run("Command6_Click");
        rig.tickAt(13, 43, 1);
        QCOMPARE(rig.played(), std::vector<std::string>{"period8.wma"});
        QVERIFY(rig.isGreen("T13"));
    }

    // "3.30 PM Day" on a Monday: the whole day, one tick a second.
    void threeThirtyDayOnAMonday() {
        Rig rig;
        rig.engine.run("Form_Load");
        rig.engine.run("Command22_Click");
        rig.controls.logReads = false;
        rig.at(7, 0, 0, 0);
        rig.tickEverySecond(Day);
        // Slot 10 holds 07:45:01 but stays off on a Monday; slot 9 rings at 08:00:01.
        // The interval bell rings for slot 15 at 10:00:01 and for slot 14 at 01:00:01 PM;
        // slots 13 and 16 to 21 are off.
        const std::vector<std::string> expected{
            "BellStart.wma",     // 07:25:01 AM, slot 1
            "BellStart2.wma",    // 07:29:54 AM, slot 3
            "mpoojawa.wma",      // 07:30:01 AM, slot 4
            "teachingstart.wma", // 08:00:01 AM, slot 9
            "interwal.wma",      // 10:00:01 AM, slot 15
            "period2.wma",       // 10:15:01 AM, slot 11
            "interwal.wma",      // 01:00:01 PM, slot 14
            "period3.wma",       // 01:30:01 PM, slot 12
            "end.wma",           // 03:25:01 PM, slot 22
            "cm.wma",            // 03:27:01 PM, slot 23
        };
        QCOMPARE(rig.played(), expected);
        for (const char* silent : {"Text5", "T8", "Text9", "Text8", "T10", "T11", "T12", "T13"})
            QVERIFY2(!rig.isGreen(silent), silent);
    }

    // --- the lock ---

    void theLockThroughItsAction() {
        Rig rig;
        QVERIFY(!rig.controls.memory.isEnabled("Command1"));
        rig.controls.memory.setCheckValue("ck4", 1);
        const auto before = snapshot(rig.controls.memory);
        rig.engine.run("ck4_Click");
        QCOMPARE(changed(before, snapshot(rig.controls.memory)),
                 (std::vector<std::string>{"Command1", "Command6"}));
        QVERIFY(rig.controls.memory.isEnabled("Command1"));
        QVERIFY(rig.controls.memory.isEnabled("Command6"));
        rig.controls.memory.setCheckValue("ck4", 0);
        rig.engine.run("ck4_Click");
        QVERIFY(!rig.controls.memory.isEnabled("Command1"));
        QVERIFY(!rig.controls.memory.isEnabled("Command6"));
    }
};

QTEST_APPLESS_MAIN(TestEngine)
#include "tst_engine.moc"
