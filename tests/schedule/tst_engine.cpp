// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Color.h"
#include "ControlsSpy.h"
#include "Engine.h"
#include "FakeClock.h"

#include <QTest>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace chimewick;
using chimewick::testing::ControlsSpy;

namespace {

constexpr char Separator = std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';

std::string inFolder(std::string_view file) {
    return "/opt/school bells" + std::string(1, Separator) + std::string(file);
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
    // The file names handed to the player, oldest first.
    std::vector<std::string> played() const {
        std::vector<std::string> out;
        for (const std::string& path : controls.memory.playerHistory())
            out.push_back(path.substr(path.rfind(Separator) + 1));
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

    // The engine hands every ring the folder as it is at that moment, asked afresh.
    void theFolderIsAskedAfreshAtEveryRing() {
        ControlsSpy controls;
        const FakeClock clock(2026, 12, 7, 9, 0, 0);
        int reads = 0;
        Engine engine(controls, clock, [&reads] {
            ++reads;
            return "/mnt/bells" + std::to_string(reads);
        });
        engine.run("cmd5_Click");
        engine.run("cmd5_Click");
        engine.run("Command8_Click");
        QCOMPARE(reads, 3);
        QCOMPARE(
            controls.memory.playerHistory(),
            (std::vector<std::string>{"/mnt/bells1" + std::string(1, Separator) + "pgee.mp3",
                                      "/mnt/bells2" + std::string(1, Separator) + "pgee.mp3",
                                      "/mnt/bells3" + std::string(1, Separator) + "pirith.mp3"}));
    }

    // The tick rings a slot by running the bell button's own click action. The folder does
    // not exist: the action hands the path over all the same, and the box turns green.
    void theTickRingsThroughTheButtonsAction() {
        Rig rig;
        rig.tickAt(7, 25, 1);
        QVERIFY(!std::filesystem::exists(rig.controls.memory.playerUrl("wmp")));
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
};

QTEST_APPLESS_MAIN(TestEngine)
#include "tst_engine.moc"
