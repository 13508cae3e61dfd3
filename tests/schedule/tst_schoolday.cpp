// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Engine.h"
#include "FakeClock.h"
#include "MemoryControls.h"

#include <QTest>
#include <string>

using namespace chimewick;

namespace {

const QString Folder = QStringLiteral("/srv/school bells");

// The rings of the built-in timetable, without the teaching start.
const QStringList Arrival = {"07:25:01 AM /BellStart.wma", "07:29:54 AM /BellStart2.wma",
                             "07:30:01 AM /mpoojawa.wma"};
const QStringList Lessons = {
    "08:30:01 AM /period2.wma",  "09:10:01 AM /period3.wma", "09:50:01 AM /period4.wma",
    "10:30:01 AM /interwal.wma", "10:48:20 AM /sb.wma",      "10:48:30 AM /hodamalamaya.wma",
    "10:50:15 AM /period5.wma",  "11:30:01 AM /period6.wma", "12:10:01 PM /period7.wma",
    "12:50:01 PM /period8.wma",  "01:27:01 PM /end.wma",     "01:28:01 PM /cm.wma"};
const QStringList StartAtEight = {"08:00:01 AM /teachingstart.wma"};
const QStringList StartAtTenToEight = {"07:50:01 AM /teachingstart.wma"};
const QStringList ThreeThirtyAfternoon = {"10:00:01 AM /interwal.wma", "10:15:01 AM /period2.wma",
                                          "01:00:01 PM /interwal.wma", "01:30:01 PM /period3.wma",
                                          "03:25:01 PM /end.wma",      "03:27:01 PM /cm.wma"};

// The in-memory controls with their reads answered from a hash table: a day of ticks
// makes some five million reads, which in a debug build would otherwise take minutes.
// Every write still goes through the in-memory controls, which check it.
class CachedControls : public Controls {
public:
    MemoryControls memory;

    int checkValue(std::string_view box) const override {
        if (const auto it = checks_.find(std::string(box)); it != checks_.end())
            return it->second;
        return checks_[std::string(box)] = memory.checkValue(box);
    }
    std::string text(std::string_view box) const override {
        if (const auto it = texts_.find(std::string(box)); it != texts_.end())
            return it->second;
        return texts_[std::string(box)] = memory.text(box);
    }
    void setCheckValue(std::string_view box, int value) override {
        memory.setCheckValue(box, value);
        checks_[std::string(box)] = value;
    }
    void setText(std::string_view box, std::string_view text) override {
        memory.setText(box, text);
        texts_[std::string(box)] = std::string(text);
    }
    void setBackColor(std::string_view box, Color color) override {
        memory.setBackColor(box, color);
    }
    void setEnabled(std::string_view button, bool on) override { memory.setEnabled(button, on); }
    void setPlayerUrl(std::string_view player, std::string_view path) override {
        memory.setPlayerUrl(player, path);
    }

private:
    mutable std::unordered_map<std::string, int> checks_;
    mutable std::unordered_map<std::string, std::string> texts_;
};

} // namespace

class SchoolDayTest : public QObject {
    Q_OBJECT

private slots:
    // Days of March 2026: the 1st is a Sunday. Setup runs after the load: "Command22_Click"
    // runs an action, "C3=1" ticks a box as the operator would.
    void wholeDay_data() {
        QTest::addColumn<unsigned>("day");
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QStringList>("rings");
        QTest::newRow("Monday") << 2u << QStringList{} << Arrival + StartAtEight + Lessons;
        QTest::newRow("Tuesday") << 3u << QStringList{} << Arrival + StartAtTenToEight + Lessons;
        QTest::newRow("Wednesday") << 4u << QStringList{} << Arrival + StartAtTenToEight + Lessons;
        QTest::newRow("Thursday") << 5u << QStringList{} << Arrival + StartAtEight + Lessons;
        QTest::newRow("Friday") << 6u << QStringList{} << Arrival + StartAtTenToEight + Lessons;
        QTest::newRow("Saturday") << 7u << QStringList{} << Arrival + Lessons;
        QTest::newRow("Sunday") << 1u << QStringList{} << Arrival + Lessons;
        QTest::newRow("Saturday, 00:00:00 AM slots ticked")
            << 7u << QStringList{"C3=1", "C4=1", "Check2=1", "C5=1"} << Arrival + Lessons;
        QTest::newRow("Saturday, Monday Thursday clicked")
            << 7u << QStringList{"Command2_Click"} << Arrival + StartAtEight + Lessons;
        QTest::newRow("Monday, 3.30 PM Day") << 2u << QStringList{"Command22_Click"}
                                             << Arrival + StartAtEight + ThreeThirtyAfternoon;
        QTest::newRow("Tuesday, 3.30 PM Day")
            << 3u << QStringList{"Command22_Click"}
            << Arrival + QStringList{"07:45:01 AM /teachingstart.wma"} + ThreeThirtyAfternoon;
        QTest::newRow("Monday, Samithi Day")
            << 2u << QStringList{"Command1_Click"}
            << Arrival + StartAtEight +
                   QStringList{"08:25:01 AM /period2.wma",      "09:00:01 AM /period3.wma",
                               "09:35:01 AM /period4.wma",      "10:10:01 AM /interwal.wma",
                               "10:30:01 AM /period5.wma",      "10:48:20 AM /sb.wma",
                               "10:48:30 AM /hodamalamaya.wma", "11:05:01 AM /period6.wma",
                               "11:40:01 AM /period7.wma",      "12:15:01 PM /period8.wma",
                               "12:50:01 PM /end.wma",          "01:28:01 PM /cm.wma"};
        QTest::newRow("Friday, 2.30 PM Day")
            << 6u << QStringList{"Command6_Click"}
            << Arrival + StartAtTenToEight +
                   QStringList{"08:42:01 AM /period2.wma",      "09:29:01 AM /period3.wma",
                               "10:16:01 AM /period4.wma",      "10:48:20 AM /sb.wma",
                               "10:48:30 AM /hodamalamaya.wma", "11:03:01 AM /interwal.wma",
                               "11:22:01 AM /period5.wma",      "12:09:01 PM /period6.wma",
                               "12:56:01 PM /period7.wma",      "01:43:01 PM /period8.wma",
                               "02:25:01 PM /end.wma",          "02:28:01 PM /cm.wma"};
    }
    void wholeDay() {
        QFETCH(unsigned, day);
        QFETCH(QStringList, setup);
        QFETCH(QStringList, rings);
        CachedControls controls;
        FakeClock clock(2026, 3, day, 0, 0, 0);
        Engine engine(controls, clock, [] { return Folder.toStdString(); });
        engine.run("Form_Load");
        for (const QString& step : setup) {
            if (step.endsWith("_Click"))
                engine.run(step.toStdString());
            else
                controls.setCheckValue(step.section('=', 0, 0).toStdString(),
                                       step.section('=', 1).toInt());
        }

        QStringList heard;
        std::size_t played = 0;
        for (int second = 0; second < 86400; ++second) {
            engine.run("Timer1_Timer");
            const auto& history = controls.memory.playerHistory();
            for (; played < history.size(); ++played) {
                const QString path = QString::fromStdString(history[played]);
                QVERIFY2(path.startsWith(Folder + "/"), qPrintable(path));
                heard << QString::fromStdString(controls.text("Text1")) + " " +
                             path.mid(Folder.size());
            }
            clock.advanceSecond();
        }
        QCOMPARE(heard, rings);
        QCOMPARE(QString::fromStdString(controls.text("Text1")), QStringLiteral("11:59:59 PM"));
    }
};

QTEST_APPLESS_MAIN(SchoolDayTest)
#include "tst_schoolday.moc"
