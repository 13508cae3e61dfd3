// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Engine.h"
#include "FakeClock.h"
#include "MemoryControls.h"
#include "ReferenceTables.h"
#include "WindowDescription.h"

#include <QTest>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace chimewick;
using chimewick::testing::ReferenceSlot;
using chimewick::testing::ReferenceSlots;

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

class FormLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void form() {
        QCOMPARE(q(form1().caption), QStringLiteral("School Chimewick - Quelbrook"));
        QCOMPARE(form1().clientWidthTwips, 11850);
        QCOMPARE(form1().clientHeightTwips, 8100);
        QCOMPARE(form1Controls().size(), std::size_t{113});
        std::set<std::string_view> names;
        for (const ControlSpec& c : form1Controls())
            QVERIFY2(names.insert(c.name).second, c.name.data());
    }

    void tabIndexesAreZeroTo111EachOnce() {
        std::vector<int> indexes;
        for (const ControlSpec& c : form1Controls()) {
            QVERIFY2(c.tabIndex.has_value() == (c.kind != ControlKind::Timer), c.name.data());
            if (c.tabIndex)
                indexes.push_back(*c.tabIndex);
        }
        std::sort(indexes.begin(), indexes.end());
        QCOMPARE(indexes.size(), std::size_t{112});
        for (std::size_t i = 0; i < indexes.size(); ++i)
            QCOMPARE(indexes[i], static_cast<int>(i));
        // Tab from T1 visits T2, T8, T7, T4, T3, T6, T5, C1, C2.
        const char* order[] = {"Frame1", "T1", "T2", "T8", "T7", "T4",
                               "T3",     "T6", "T5", "C1", "C2"};
        for (int i = 0; i < 11; ++i)
            QCOMPARE(findControl(order[i]).tabIndex, std::optional<int>(i));
    }

    void fifteenCheckBoxesTickedAtStart() {
        std::set<std::string_view> ticked;
        for (const ReferenceSlot& slot : ReferenceSlots)
            if (slot.checked)
                ticked.insert(slot.checkBox);
        QCOMPARE(ticked.size(), std::size_t{15});
        int checkBoxes = 0;
        for (const ControlSpec& c : form1Controls()) {
            if (c.kind != ControlKind::CheckBox)
                continue;
            ++checkBoxes;
            QVERIFY2(c.checkValue == (ticked.contains(c.name) ? 1 : 0), c.name.data());
        }
        QCOMPARE(checkBoxes, 25);
    }

    // The timetable as the window starts, slot by slot.
    void slotDefaults_data() {
        QTest::addColumn<QString>("check");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("timeBox");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("colour"); // -1: the standard colour
        QTest::addColumn<QString>("bellButton");
        for (const ReferenceSlot& slot : ReferenceSlots)
            QTest::newRow(slot.timeBox)
                << slot.checkBox << slot.checked << slot.label << slot.caption << slot.timeBox
                << slot.time << slot.colour << slot.bellButton;
    }
    void slotDefaults() {
        QFETCH(QString, check);
        QFETCH(int, value);
        QFETCH(QString, label);
        QFETCH(QString, caption);
        QFETCH(QString, timeBox);
        QFETCH(QString, time);
        QFETCH(int, colour);
        QFETCH(QString, bellButton);
        const MemoryControls controls;
        QCOMPARE(controls.checkValue(check.toStdString()), value);
        QCOMPARE(q(controls.text(timeBox.toStdString())), time);
        QCOMPARE(q(findControl(label.toStdString()).caption), caption);
        const std::optional<Color> back = findControl(timeBox.toStdString()).backColor;
        QCOMPARE(back ? static_cast<int>(*back) : -1, colour);

        // The same row in the window's slot rows. (The tick's slot table, in its order, is
        // checked with the schedule.)
        const auto rows = form1SlotRows();
        QCOMPARE(rows.size(), std::size_t{24});
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const SlotRow& r) { return q(r.timeBox) == timeBox; });
        QVERIFY(row != rows.end());
        QCOMPARE(q(row->checkBox), check);
        QCOMPARE(q(row->label), label);
        QCOMPARE(q(row->bellButton), bellButton);
    }

    void buttons() {
        int buttons = 0;
        for (const ControlSpec& c : form1Controls()) {
            if (c.kind != ControlKind::CommandButton)
                continue;
            ++buttons;
            const bool locked = c.name == "Command1" || c.name == "Command6";
            QVERIFY2(c.enabled == !locked, c.name.data());
        }
        QCOMPARE(buttons, 32);
        const MemoryControls controls;
        QVERIFY(!controls.isEnabled("Command1"));
        QVERIFY(!controls.isEnabled("Command6"));
        QVERIFY(controls.isEnabled("Command22"));
    }

    void containers_data() {
        QTest::addColumn<QString>("container");
        QTest::addColumn<int>("count");
        QTest::newRow("Form1") << "Form1" << 7;
        QTest::newRow("Frame1") << "Frame1" << 70;
        QTest::newRow("Frame2") << "Frame2" << 23;
        QTest::newRow("Frame3") << "Frame3" << 2;
        QTest::newRow("Frame4") << "Frame4" << 11;
    }
    void containers() {
        QFETCH(QString, container);
        QFETCH(int, count);
        int held = 0;
        for (const ControlSpec& c : form1Controls()) {
            if (c.container != "Form1")
                QVERIFY2(findControl(c.container).kind == ControlKind::Frame, c.name.data());
            if (q(c.container) == container)
                ++held;
        }
        QCOMPARE(held, count);
        QCOMPARE(q(findControl("Frame4").container), QStringLiteral("Frame3"));
        QCOMPARE(q(findControl("wmp").container), QStringLiteral("Frame3"));
        QCOMPARE(q(findControl("Text1").container), QStringLiteral("Frame1"));
    }

    void clockAndCreditBoxes() {
        const ControlSpec& clock = findControl("Text1");
        QVERIFY(clock.caption.empty());
        QCOMPARE(clock.backColor, std::optional<Color>(33023)); // 255,128,0
        QVERIFY(clock.font.has_value());
        QCOMPARE(q(clock.font->face), QStringLiteral("MS Sans Serif"));
        QCOMPARE(clock.font->points, 24);
        QCOMPARE(clock.font->weight, 700);
        QVERIFY(clock.align == TextAlign::Center);
        const ControlSpec& credit = findControl("Text2");
        QVERIFY(credit.multiLine);
        QCOMPARE(q(credit.caption).count(QStringLiteral("\r\n")), 2);
        QVERIFY(credit.caption.ends_with("\r\n"));
        QCOMPARE(findControl("Timer1").intervalMs, 1000);
    }

    void bindingsMatchTheEngine_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("event");
        QTest::addColumn<QString>("action"); // empty: the control has no action
        const auto click = static_cast<int>(EventKind::Click);
        QTest::newRow("load") << "Form1" << static_cast<int>(EventKind::Load) << "Form_Load";
        QTest::newRow("timer") << "Timer1" << static_cast<int>(EventKind::Timer) << "Timer1_Timer";
        QTest::newRow("cmd") << "cmd" << click << "cmd_Click";
        QTest::newRow("cmdgt") << "cmdgt" << click << "cmdgt_Click";
        QTest::newRow("Command24") << "Command24" << click << "Command24_Click";
        QTest::newRow("Command4") << "Command4" << click << "Command4_Click";
        QTest::newRow("Command22") << "Command22" << click << "Command22_Click";
        QTest::newRow("ck4") << "ck4" << click << "ck4_Click";
        QTest::newRow("slot check box") << "C1" << click << "";
        QTest::newRow("green-time box") << "chkgt" << click << "";
        QTest::newRow("time box") << "T1" << click << "";
        QTest::newRow("clock display") << "Text1" << click << "";
        QTest::newRow("player") << "wmp" << click << "";
    }
    void bindingsMatchTheEngine() {
        QFETCH(QString, control);
        QFETCH(int, event);
        QFETCH(QString, action);
        MemoryControls controls;
        const FakeClock clock(2026, 3, 2, 7, 0, 0);
        Engine engine(controls, clock, [] { return std::string("/bells"); });

        std::map<std::string_view, int> bound;
        QString found;
        for (const EventBinding& b : form1Bindings()) {
            QVERIFY2(engine.actions().contains(b.action), b.action.data());
            ++bound[b.action];
            if (b.control != "Form1")
                (void)findControl(b.control);
            if (q(b.control) == control && static_cast<int>(b.event) == event)
                found = q(b.action);
        }
        QCOMPARE(found, action);
        const std::vector<std::string> actions = engine.actions().names();
        QCOMPARE(actions.size(), std::size_t{35}); // 26 bells, 6 profiles, lock, tick, load
        QCOMPARE(bound.size(), actions.size());
        for (const std::string& name : actions)
            QVERIFY2(bound[name] == 1, name.c_str());
    }
};

QTEST_APPLESS_MAIN(FormLayoutTest)
#include "tst_formlayout.moc"
