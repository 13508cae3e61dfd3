#include "Color.h"
#include "ControlsSpy.h"
#include "DayProfiles.h"

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
const std::map<std::string, std::vector<std::string>> expectedWrites = {
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

void apply(const char* button, Controls& controls) {
    applyProfile(dayProfileOfButton(button), controls);
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

    void eachProfileWritesItsListInOrder() {
        QFETCH(QString, button);
        ControlsSpy controls;
        apply(button.toUtf8().constData(), controls);
        // Nothing is read: a profile writes whatever the boxes hold.
        QCOMPARE(controls.log, expectedWrites.at(button.toStdString()));
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
        apply(button.toUtf8().constData(), controls);
        std::set<std::string> written;
        for (const std::string& write : expectedWrites.at(button.toStdString()))
            written.insert(controlOf(write));
        for (const std::string& name : changed(before, snapshot(controls.memory)))
            QVERIFY2(written.contains(name), name.c_str());
    }

    void applyingTwiceIsApplyingOnce_data() { eachProfileWritesItsListInOrder_data(); }

    void applyingTwiceIsApplyingOnce() {
        QFETCH(QString, button);
        MemoryControls controls;
        apply(button.toUtf8().constData(), controls);
        const auto once = snapshot(controls);
        apply(button.toUtf8().constData(), controls);
        QCOMPARE(snapshot(controls), once);
    }

    void fridayIsTuesdayWednesday() {
        for (const char* first : {"Command2", "Command3", "Command22"}) {
            MemoryControls a, b;
            apply(first, a);
            apply(first, b);
            apply("Command3", a);
            apply("Command4", b);
            QCOMPARE(snapshot(a), snapshot(b));
        }
    }

    void theWeekdayProfilesChooseTheTeachingStart() {
        MemoryControls controls;
        QCOMPARE(controls.checkValue("Check1"), 0);
        QCOMPARE(controls.checkValue("Check3"), 0);
        apply("Command2", controls);
        QCOMPARE(controls.checkValue("Check1"), 1);
        QCOMPARE(controls.checkValue("Check3"), 0);
        apply("Command3", controls);
        QCOMPARE(controls.checkValue("Check1"), 0);
        QCOMPARE(controls.checkValue("Check3"), 1);
        apply("Command2", controls);
        QCOMPARE(controls.checkValue("Check1"), 1);
        QCOMPARE(controls.checkValue("Check3"), 0);
        QCOMPARE(controls.text("Text3"), std::string("08:00:01 AM"));
        QCOMPARE(controls.text("Text5"), std::string("07:50:01 AM"));
    }

    void theLastWriteToAControlWins() {
        MemoryControls controls;
        apply("Command22", controls);
        apply("Command1", controls);
        // "Samithi Day" rewrites the period times and leaves the rest of "3.30 PM Day".
        QCOMPARE(controls.text("T6"), std::string("08:25:01 AM"));
        QCOMPARE(controls.text("T14"), std::string("12:50:01 PM"));
        QCOMPARE(controls.text("T15"), std::string("03:27:01 PM"));
        QCOMPARE(controls.text("Text5"), std::string("07:45:01 AM"));
        QCOMPARE(controls.text("Text10"), std::string("10:00:01 AM"));
        QCOMPARE(controls.checkValue("csi"), 1);
        QCOMPARE(controls.checkValue("C8"), 0);
        QCOMPARE(controls.checkValue("C13"), 0);
        // "3.30 PM Day" leaves the teaching-start boxes and three times alone.
        QCOMPARE(controls.checkValue("Check1"), 0);
        QCOMPARE(controls.checkValue("Check3"), 0);
        QCOMPARE(controls.text("Text3"), std::string("08:00:01 AM"));
        QCOMPARE(controls.text("Text8"), std::string("10:48:30 AM"));
        QCOMPARE(controls.text("Text9"), std::string("10:48:20 AM"));
    }

    void aProfileChangesNoColour() {
        MemoryControls controls;
        controls.setBackColor("T6", HighlightGreen);
        const auto red = controls.backColor("Text5");
        QCOMPARE(red, std::optional<Color>(rgb(255, 0, 0)));
        for (const char* button : profileButtons)
            apply(button, controls);
        QCOMPARE(controls.backColor("T6"), std::optional<Color>(HighlightGreen));
        QCOMPARE(controls.backColor("Text5"), red);
        QCOMPARE(controls.backColor("T7"), std::optional<Color>());
    }

    void aFailingWriteStopsTheProfileThere() {
        ControlsSpy controls;
        controls.failOn("setText T8 ");
        QVERIFY_THROWS_EXCEPTION(ControlError, apply("Command1", controls));
        QCOMPARE(controls.memory.text("T6"), std::string("08:25:01 AM"));
        QCOMPARE(controls.memory.text("T7"), std::string("09:00:01 AM"));
        QCOMPARE(controls.memory.text("T8"), std::string("09:50:01 AM"));
        QCOMPARE(controls.memory.text("T9"), std::string("10:30:01 AM"));
        QCOMPARE(controls.memory.text("T14"), std::string("01:27:01 PM"));
        QCOMPARE(controls.log.size(), std::size_t{3});
    }

    void aFailingCheckWriteStopsThreeThirtyDay() {
        ControlsSpy controls;
        controls.failOn("setCheckValue C9 ");
        QVERIFY_THROWS_EXCEPTION(ControlError, apply("Command22", controls));
        QCOMPARE(controls.memory.checkValue("csi"), 1);
        QCOMPARE(controls.memory.checkValue("C8"), 0);
        QCOMPARE(controls.memory.checkValue("Check7"), 1); // not yet written
        QCOMPARE(controls.memory.text("Text5"), std::string("07:50:01 AM"));
    }

    // --- the "active" lock ---

    void theLockStartsClosed() {
        const MemoryControls controls;
        QCOMPARE(controls.checkValue("ck4"), 0);
        QVERIFY(!controls.isEnabled("Command1"));
        QVERIFY(!controls.isEnabled("Command6"));
        for (const char* open : {"Command22", "Command2", "Command3", "Command4"})
            QVERIFY2(controls.isEnabled(open), open);
    }

    void tickingActiveOpensTheLock() {
        ControlsSpy controls;
        controls.memory.setCheckValue("ck4", 1);
        const auto before = snapshot(controls.memory);
        ck4Click(controls);
        QCOMPARE(controls.log, (std::vector<std::string>{"checkValue ck4", "setEnabled Command1 1",
                                                         "setEnabled Command6 1"}));
        QCOMPARE(changed(before, snapshot(controls.memory)),
                 (std::vector<std::string>{"Command1", "Command6"}));
    }

    void untickingActiveClosesTheLock() {
        ControlsSpy controls;
        controls.memory.setCheckValue("ck4", 1);
        ck4Click(controls);
        apply("Command6", controls);
        controls.memory.setCheckValue("ck4", 0);
        const auto applied = snapshot(controls.memory);
        controls.log.clear();
        ck4Click(controls);
        QCOMPARE(controls.log, (std::vector<std::string>{"checkValue ck4", "setEnabled Command1 0",
                                                         "setEnabled Command6 0"}));
        // The slots keep what the profile wrote.
        QCOMPARE(changed(applied, snapshot(controls.memory)),
                 (std::vector<std::string>{"Command1", "Command6"}));
        // Opened and closed again, the lock is as at start.
        MemoryControls expected;
        apply("Command6", expected);
        QCOMPARE(snapshot(controls.memory), snapshot(expected));
    }

    void aValueOtherThanOneClosesTheLock() {
        struct OddBox : ControlsSpy {
            int checkValue(std::string_view box) const override {
                return box == "ck4" ? 2 : ControlsSpy::checkValue(box);
            }
        } controls;
        controls.memory.setEnabled("Command1", true);
        controls.memory.setEnabled("Command6", true);
        ck4Click(controls);
        QVERIFY(!controls.memory.isEnabled("Command1"));
        QVERIFY(!controls.memory.isEnabled("Command6"));
    }

    void aFailingEnableLeavesTheSecondButton() {
        ControlsSpy controls;
        controls.memory.setCheckValue("ck4", 1);
        controls.failOn("setEnabled Command1");
        QVERIFY_THROWS_EXCEPTION(ControlError, ck4Click(controls));
        QVERIFY(!controls.memory.isEnabled("Command1"));
        QVERIFY(!controls.memory.isEnabled("Command6"));
    }
};

QTEST_APPLESS_MAIN(TestDayProfiles)
#include "tst_dayprofiles.moc"
