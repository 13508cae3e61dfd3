// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Color.h"
#include "ControlsSpy.h"
#include "DayProfiles.h"
#include "Engine.h"
#include "FakeClock.h"

#include <QTest>
#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using chimewick::testing::changed;
using chimewick::testing::ControlsSpy;
using chimewick::testing::snapshot;

namespace {

// Each profile's writes in order, written out independently of the program's tables.
const std::map<std::string, std::vector<std::string>> ExpectedWrites = {
    {"Command2", {"setCheckValue Check1 1", "setCheckValue Check3 0"}},
    {"Command3", {"setCheckValue Check1 0", "setCheckValue Check3 1"}},
    {"Command4", {"setCheckValue Check1 0", "setCheckValue Check3 1"}},
    {"Command1",
     {"setText T6 08:25:01 AM", "setText T7 09:00:01 AM", "setText T8 09:35:01 AM",
      "setText T9 10:10:01 AM", "setText T10 10:30:01 AM", "setText T11 11:05:01 AM",
      "setText T12 11:40:01 AM", "setText T13 12:15:01 PM", "setText T14 12:50:01 PM"}},
    {"Command6",
     {"setText T6 08:42:01 AM", "setText T7 09:29:01 AM", "setText T8 10:16:01 AM",
      "setText T9 11:03:01 AM", "setText T10 11:22:01 AM", "setText T11 12:09:01 PM",
      "setText T12 12:56:01 PM", "setText T13 01:43:01 PM", "setText T14 02:25:01 PM",
      "setText T15 02:28:01 PM"}},
    {"Command22",
     {"setCheckValue csi 1",     "setCheckValue C6 1",        "setCheckValue C7 1",
      "setCheckValue C8 0",      "setCheckValue C9 1",        "setCheckValue Check7 0",
      "setCheckValue Check6 0",  "setCheckValue C10 0",       "setCheckValue C11 0",
      "setCheckValue C12 0",     "setCheckValue C13 0",       "setCheckValue C14 1",
      "setCheckValue C15 1",     "setText Text5 07:45:01 AM", "setText Text10 10:00:01 AM",
      "setText T6 10:15:01 AM",  "setText T7 01:30:01 PM",    "setText T8 10:16:01 AM",
      "setText T9 01:00:01 PM",  "setText T10 11:22:01 AM",   "setText T11 12:09:01 PM",
      "setText T12 12:56:01 PM", "setText T13 01:43:01 PM",   "setText T14 03:25:01 PM",
      "setText T15 03:27:01 PM"}},
};

const char* const profileButtons[] = {"Command2", "Command3", "Command4",
                                      "Command1", "Command6", "Command22"};

// The control a logged write names.
std::string controlOf(const std::string& write) {
    const auto first = write.find(' ') + 1;
    return write.substr(first, write.find(' ', first) - first);
}

// Runs the click action of a button (or of the lock box "ck4") as the window runs it,
// through the engine. On a Saturday: the weekday buttons work on any day.
void click(std::string_view control, Controls& controls) {
    const FakeClock saturday(2026, 12, 12, 9, 0, 0);
    Engine engine(controls, saturday, [] { return std::string("/bells"); });
    engine.run(std::string(control) + "_Click");
}

// Makes the logged writes on fresh controls, as the test's own account of their effect.
MemoryControls afterWrites(const std::vector<std::string>& writes) {
    MemoryControls controls;
    for (const std::string& write : writes) {
        const QString entry = QString::fromStdString(write);
        const std::string control = entry.section(' ', 1, 1).toStdString();
        const QString value = entry.section(' ', 2);
        if (entry.startsWith("setCheckValue "))
            controls.setCheckValue(control, value.toInt());
        else
            controls.setText(control, value.toStdString());
    }
    return controls;
}

} // namespace

class TestDayProfiles : public QObject {
    Q_OBJECT

private slots:
    void sixProfilesWithTheirCaptions() {
        const std::vector<std::pair<std::string_view, std::string_view>> expected{
            {"Command2", "Monday Thursday"}, {"Command3", "Tuesday Wednesday"},
            {"Command4", "Fryday"},          {"Command1", "Samithi Day"},
            {"Command6", "2.30 PM Day"},     {"Command22", "3.30 PM Day"}};
        const auto profiles = dayProfiles();
        QCOMPARE(profiles.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(profiles[i].button, expected[i].first);
            QCOMPARE(profiles[i].caption, expected[i].second);
            QCOMPARE(&dayProfileOfButton(expected[i].first), &profiles[i]);
        }
    }

    void dayProfileOfButtonRejectsOtherButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("bell button") << QStringLiteral("Command5");
        QTest::newRow("lock box") << QStringLiteral("ck4");
        QTest::newRow("empty") << QString();
        QTest::newRow("letter case") << QStringLiteral("command2");
        QTest::newRow("click action") << QStringLiteral("Command2_Click");
    }

    void dayProfileOfButtonRejectsOtherButtons() {
        QFETCH(QString, button);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, dayProfileOfButton(button.toStdString()));
    }

    void eachProfileWritesItsListInOrder_data() {
        QTest::addColumn<QString>("button");
        for (const char* button : profileButtons)
            QTest::newRow(button) << QString::fromUtf8(button);
    }

    // The button's click action writes the profile's list, in order.
    void eachProfileWritesItsListInOrder() {
        QFETCH(QString, button);
        ControlsSpy controls;
        click(button.toStdString(), controls);
        // Nothing is read: a profile writes whatever the boxes hold.
        QCOMPARE(controls.log, ExpectedWrites.at(button.toStdString()));
    }

    void everyTimeWrittenIsAClockTextOnSecondOne() {
        for (const DayProfile& profile : dayProfiles())
            for (const ProfileWrite& write : profile.writes) {
                if (const auto* time = std::get_if<std::string_view>(&write.value)) {
                    QCOMPARE(time->size(), std::size_t{11});
                    QCOMPARE(time->substr(5, 3), std::string_view(":01"));
                    QVERIFY(time->ends_with(" AM") || time->ends_with(" PM"));
                    QVERIFY(!time->starts_with("00"));
                } else {
                    const int check = std::get<int>(write.value);
                    QVERIFY(check == 0 || check == 1);
                }
            }
    }

    void eachProfileLeavesEveryOtherControlAlone_data() { eachProfileWritesItsListInOrder_data(); }

    void eachProfileLeavesEveryOtherControlAlone() {
        QFETCH(QString, button);
        // Start from values no profile writes, so that every write shows.
        ControlsSpy controls;
        for (const ControlSpec& row : form1Controls()) {
            if (row.kind == ControlKind::CheckBox)
                controls.memory.setCheckValue(row.name, row.checkValue == 1 ? 0 : 1);
            else if (row.kind == ControlKind::TextBox)
                controls.memory.setText(row.name, "typed");
        }
        const auto before = snapshot(controls.memory);
        click(button.toStdString(), controls);
        std::set<std::string> written;
        for (const std::string& write : ExpectedWrites.at(button.toStdString()))
            written.insert(controlOf(write));
        for (const std::string& name : changed(before, snapshot(controls.memory)))
            QVERIFY2(written.contains(name), name.c_str());
    }

    void applyingTwiceIsApplyingOnce_data() { eachProfileWritesItsListInOrder_data(); }

    void applyingTwiceIsApplyingOnce() {
        QFETCH(QString, button);
        ControlsSpy controls;
        click(button.toStdString(), controls);
        const auto once = snapshot(controls.memory);
        controls.log.clear();
        click(button.toStdString(), controls);
        QCOMPARE(controls.log, ExpectedWrites.at(button.toStdString()));
        QCOMPARE(snapshot(controls.memory), once);
    }

    void fridayIsTuesdayWednesday() {
        for (const char* first : {"Command2", "Command3", "Command22"}) {
            MemoryControls a, b;
            click(first, a);
            click(first, b);
            click("Command3", a);
            click("Command4", b);
            QCOMPARE(snapshot(a), snapshot(b));
        }
    }

    void theWeekdayProfilesChooseTheTeachingStart() {
        MemoryControls controls;
        QCOMPARE(controls.checkValue("Check1"), 0);
        QCOMPARE(controls.checkValue("Check3"), 0);
        click("Command2", controls);
        QCOMPARE(controls.checkValue("Check1"), 1);
        QCOMPARE(controls.checkValue("Check3"), 0);
        click("Command3", controls);
        QCOMPARE(controls.checkValue("Check1"), 0);
        QCOMPARE(controls.checkValue("Check3"), 1);
        click("Command2", controls);
        QCOMPARE(controls.checkValue("Check1"), 1);
        QCOMPARE(controls.checkValue("Check3"), 0);
        QCOMPARE(controls.text("Text3"), std::string("08:00:01 AM"));
        QCOMPARE(controls.text("Text5"), std::string("07:50:01 AM"));
    }

    // Profiles one after the other: each overwrites only its own controls, so the last
    // write to a control wins. The values are the controls' final contents.
    void profilesInSequence_data() {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QStringList>("finalValues");
        const QStringList samithiDay{"T6=08:25:01 AM",  "T7=09:00:01 AM",  "T8=09:35:01 AM",
                                     "T9=10:10:01 AM",  "T10=10:30:01 AM", "T11=11:05:01 AM",
                                     "T12=11:40:01 AM", "T13=12:15:01 PM", "T14=12:50:01 PM"};
        QTest::newRow("3.30 PM Day then Samithi Day")
            << QStringList{"Command22", "Command1"}
            << samithiDay + QStringList{"Text5=07:45:01 AM", "Text10=10:00:01 AM",
                                        "T15=03:27:01 PM", "csi=1", "C6=1", "C7=1", "C8=0", "C9=1",
                                        "Check7=0", "Check6=0", "C10=0", "C11=0", "C12=0", "C13=0",
                                        "C14=1", "C15=1",
                                        // "3.30 PM Day" leaves these alone.
                                        "Check1=0", "Check3=0", "Text3=08:00:01 AM",
                                        "Text8=10:48:30 AM", "Text9=10:48:20 AM"};
        QTest::newRow("2.30 PM Day then Samithi Day keeps T15")
            << QStringList{"Command6", "Command1"}
            << samithiDay + QStringList{"T15=02:28:01 PM", "C8=1", "C13=1"};
        QTest::newRow("Samithi Day then 2.30 PM Day")
            << QStringList{"Command1", "Command6"}
            << QStringList{"T6=08:42:01 AM",  "T7=09:29:01 AM",  "T8=10:16:01 AM",
                           "T9=11:03:01 AM",  "T10=11:22:01 AM", "T11=12:09:01 PM",
                           "T12=12:56:01 PM", "T13=01:43:01 PM", "T14=02:25:01 PM",
                           "T15=02:28:01 PM"};
        QTest::newRow("Samithi Day then 3.30 PM Day") << QStringList{"Command1", "Command22"}
                                                      << QStringList{"csi=1",
                                                                     "C6=1",
                                                                     "C7=1",
                                                                     "C8=0",
                                                                     "C9=1",
                                                                     "Check7=0",
                                                                     "Check6=0",
                                                                     "C10=0",
                                                                     "C11=0",
                                                                     "C12=0",
                                                                     "C13=0",
                                                                     "C14=1",
                                                                     "C15=1",
                                                                     "Text5=07:45:01 AM",
                                                                     "Text10=10:00:01 AM",
                                                                     "T6=10:15:01 AM",
                                                                     "T7=01:30:01 PM",
                                                                     "T8=10:16:01 AM",
                                                                     "T9=01:00:01 PM",
                                                                     "T10=11:22:01 AM",
                                                                     "T11=12:09:01 PM",
                                                                     "T12=12:56:01 PM",
                                                                     "T13=01:43:01 PM",
                                                                     "T14=03:25:01 PM",
                                                                     "T15=03:27:01 PM"};
        QTest::newRow("3.30 PM Day then Monday Thursday")
            << QStringList{"Command22", "Command2"}
            << QStringList{"Check1=1", "Check3=0", "Text5=07:45:01 AM", "Text3=08:00:01 AM"};
    }

    void profilesInSequence() {
        QFETCH(QStringList, buttons);
        QFETCH(QStringList, finalValues);
        MemoryControls controls;
        for (const QString& button : buttons)
            click(button.toStdString(), controls);
        for (const QString& v : finalValues) {
            const std::string name = v.section('=', 0, 0).toStdString();
            const QString value = v.section('=', 1);
            if (findControl(name).kind == ControlKind::CheckBox)
                QCOMPARE(QString::number(controls.checkValue(name)), value);
            else
                QCOMPARE(QString::fromStdString(controls.text(name)), value);
        }
    }

    void aProfileChangesNoColour() {
        MemoryControls controls;
        controls.setBackColor("T6", HighlightGreen);
        const auto red = controls.backColor("Text5");
        QCOMPARE(red, std::optional<Color>(rgb(255, 0, 0)));
        for (const char* button : profileButtons)
            click(button, controls);
        QCOMPARE(controls.backColor("T6"), std::optional<Color>(HighlightGreen));
        QCOMPARE(controls.backColor("Text5"), red);
        QCOMPARE(controls.backColor("T7"), std::optional<Color>());
    }

    // A refused write ends the profile there: the writes before it stay made, the rest are
    // not made.
    void aFailingWriteStopsTheProfileThere_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("failing"); // the refused write, counted from 1
        QTest::newRow("Samithi Day at T8") << "Command1" << 3;
        QTest::newRow("3.30 PM Day at a check value") << "Command22" << 5;
        QTest::newRow("3.30 PM Day at its first time") << "Command22" << 14;
        QTest::newRow("Fryday at once") << "Command4" << 1;
    }

    void aFailingWriteStopsTheProfileThere() {
        QFETCH(QString, button);
        QFETCH(int, failing);
        const std::vector<std::string>& writes = ExpectedWrites.at(button.toStdString());
        const auto made = writes.begin() + (failing - 1);
        ControlsSpy controls;
        controls.failOn(*made);
        QVERIFY_THROWS_EXCEPTION(ControlError, click(button.toStdString(), controls));
        // The refused write is logged, without effect.
        QCOMPARE(controls.log, std::vector<std::string>(writes.begin(), made + 1));
        QCOMPARE(snapshot(controls.memory),
                 snapshot(afterWrites(std::vector<std::string>(writes.begin(), made))));
    }

    // --- the "active" lock ---

    // The operator clicks "active" one or more times; each click reads its value and sets
    // Command1, then Command6, enabled when it is 1 and disabled otherwise. A profile
    // applied before stays as it is, and no other button is ever disabled.
    void theLock_data() {
        QTest::addColumn<QList<int>>("clicks"); // ck4's value at each click, in order
        QTest::addColumn<bool>("open");
        QTest::newRow("ticked") << QList<int>{1} << true;
        QTest::newRow("ticked, unticked") << QList<int>{1, 0} << false;
        QTest::newRow("unticked at start") << QList<int>{0} << false;
        QTest::newRow("ticked twice") << QList<int>{1, 1} << true;
        QTest::newRow("unticked, ticked, unticked, ticked") << QList<int>{0, 1, 0, 1} << true;
    }

    void theLock() {
        QFETCH(QList<int>, clicks);
        QFETCH(bool, open);
        ControlsSpy controls;
        click("Command22", controls);
        auto expected = snapshot(controls.memory);
        for (int value : clicks) {
            controls.memory.setCheckValue("ck4", value); // the operator's click
            controls.log.clear();
            click("ck4", controls);
            const std::string set = value == 1 ? "1" : "0";
            QCOMPARE(controls.log,
                     (std::vector<std::string>{"checkValue ck4", "setEnabled Command1 " + set,
                                               "setEnabled Command6 " + set}));
        }
        QCOMPARE(controls.memory.isEnabled("Command1"), open);
        QCOMPARE(controls.memory.isEnabled("Command6"), open);
        for (const char* always : {"Command2", "Command3", "Command4", "Command22"})
            QVERIFY2(controls.memory.isEnabled(always), always);
        expected["ck4"] = std::to_string(clicks.back());
        expected["Command1"] = expected["Command6"] = open ? "enabled" : "disabled";
        QCOMPARE(snapshot(controls.memory), expected);
    }

    void aValueOtherThanOneClosesTheLock() {
        struct OddBox : ControlsSpy {
            int checkValue(std::string_view box) const override {
                return box == "ck4" ? 2 : ControlsSpy::checkValue(box);
            }
        } controls;
        controls.memory.setEnabled("Command1", true);
        controls.memory.setEnabled("Command6", true);
        click("ck4", controls);
        QVERIFY(!controls.memory.isEnabled("Command1"));
        QVERIFY(!controls.memory.isEnabled("Command6"));
    }

    void aFailingEnableLeavesTheSecondButton() {
        ControlsSpy controls;
        controls.memory.setCheckValue("ck4", 1);
        controls.failOn("setEnabled Command1");
        QVERIFY_THROWS_EXCEPTION(ControlError, click("ck4", controls));
        QVERIFY(!controls.memory.isEnabled("Command1"));
        QVERIFY(!controls.memory.isEnabled("Command6"));
    }
};

QTEST_APPLESS_MAIN(TestDayProfiles)
#include "tst_dayprofiles.moc"
