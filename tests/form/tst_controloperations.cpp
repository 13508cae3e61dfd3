// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MemoryControls.h"
#include "WindowDescription.h"

#include <QTest>
#include <functional>
#include <string>

using namespace chimewick;

namespace {

// One operation of the control interface, addressed to the named control.
std::function<void(MemoryControls&, const std::string&)> operation(const QString& which) {
    if (which == "checkValue")
        return [](MemoryControls& c, const std::string& n) { (void)c.checkValue(n); };
    if (which == "setCheckValue")
        return [](MemoryControls& c, const std::string& n) { c.setCheckValue(n, 1); };
    if (which == "text")
        return [](MemoryControls& c, const std::string& n) { (void)c.text(n); };
    if (which == "setText")
        return [](MemoryControls& c, const std::string& n) { c.setText(n, "07:25:01 AM"); };
    if (which == "setBackColor")
        return [](MemoryControls& c, const std::string& n) { c.setBackColor(n, 65280); };
    if (which == "setEnabled")
        return [](MemoryControls& c, const std::string& n) { c.setEnabled(n, true); };
    return [](MemoryControls& c, const std::string& n) { c.setPlayerUrl(n, "/x/bell.mp3"); };
}

} // namespace

class ControlOperationsTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAreCheckedByNameAndKind_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("refused");
        QTest::newRow("read an unknown check box") << "checkValue"
                                                   << "C16" << true;
        QTest::newRow("read a text box as check box") << "checkValue"
                                                      << "T1" << true;
        QTest::newRow("tick a label") << "setCheckValue"
                                      << "Label1" << true;
        QTest::newRow("tick a button") << "setCheckValue"
                                       << "Command1" << true;
        QTest::newRow("read a check box as text") << "text"
                                                  << "C1" << true;
        QTest::newRow("read the timer as text") << "text"
                                                << "Timer1" << true;
        QTest::newRow("write text into a frame") << "setText"
                                                 << "Frame1" << true;
        QTest::newRow("write text into a button") << "setText"
                                                  << "Command23" << true;
        QTest::newRow("write text into nothing") << "setText"
                                                 << "Text11" << true;
        QTest::newRow("colour a check box") << "setBackColor"
                                            << "C1" << true;
        QTest::newRow("enable a text box") << "setEnabled"
                                           << "T1" << true;
        QTest::newRow("enable the lock box") << "setEnabled"
                                             << "ck4" << true;
        QTest::newRow("enable an unknown button") << "setEnabled"
                                                  << "Command25" << true;
        QTest::newRow("play on a text box") << "setPlayerUrl"
                                            << "Text1" << true;
        QTest::newRow("play on an unknown player") << "setPlayerUrl"
                                                   << "wmp2" << true;
        QTest::newRow("empty name") << "text"
                                    << "" << true;
        QTest::newRow("tick the green-time box") << "setCheckValue"
                                                 << "chkgt" << false;
        QTest::newRow("write the clock display") << "setText"
                                                 << "Text1" << false;
        QTest::newRow("colour a time box") << "setBackColor"
                                           << "txtgt" << false;
        QTest::newRow("enable a profile button") << "setEnabled"
                                                 << "Command6" << false;
        QTest::newRow("play on wmp") << "setPlayerUrl"
                                     << "wmp" << false;
    }
    void controlsAreCheckedByNameAndKind() {
        QFETCH(QString, op);
        QFETCH(QString, control);
        QFETCH(bool, refused);
        MemoryControls controls;
        const std::string name = control.toStdString();
        try {
            operation(op)(controls, name);
            QVERIFY2(!refused, "no ControlError");
        } catch (const ControlError& e) {
            QVERIFY2(refused, e.what());
            QVERIFY2(std::string(e.what()).find("'" + name + "'") != std::string::npos, e.what());
        }
    }

    void checkValuesAreZeroOrOne_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("2 (grey)") << 2 << false;
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("255") << 255 << false;
    }
    void checkValuesAreZeroOrOne() {
        QFETCH(int, value);
        QFETCH(bool, accepted);
        MemoryControls controls; // C1 is ticked at start
        if (accepted) {
            controls.setCheckValue("C1", value);
            QCOMPARE(controls.checkValue("C1"), value);
            return;
        }
        try {
            controls.setCheckValue("C1", value);
            QFAIL("no ControlError");
        } catch (const ControlError& e) {
            QVERIFY2(std::string(e.what()).find("'C1'") != std::string::npos, e.what());
        }
        QCOMPARE(controls.checkValue("C1"), 1);
    }

    void findControlNamesTheMissingControl() {
        QVERIFY(findControl("Text10").kind == ControlKind::TextBox);
        try {
            (void)findControl("Text11");
            QFAIL("no ControlError");
        } catch (const ControlError& e) {
            QVERIFY2(std::string(e.what()).find("'Text11'") != std::string::npos, e.what());
        }
    }
};

QTEST_APPLESS_MAIN(ControlOperationsTest)
#include "tst_controloperations.moc"
