// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ActionTable.h"
#include "ControlsSpy.h"
#include "DayProfiles.h"
#include "Engine.h"
#include "FakeClock.h"
#include "StartUp.h"

#include <QTest>
#include <chrono>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using namespace std::chrono;
using chimewick::testing::ControlsSpy;
using chimewick::testing::snapshot;

namespace {

Instant utc(unsigned d, int hour, int minute, int second) {
    return sys_days{year{2026} / December / std::chrono::day{d}} + hours{hour} + minutes{minute} +
           seconds{second};
}

// "yyyy-mm-dd hh:mm:ss" as a moment; the test clocks run on UTC.
Instant moment(const QString& text) {
    const auto number = [&](qsizetype at, qsizetype length) {
        return text.mid(at, length).toInt();
    };
    const year_month_day date{year{number(0, 4)}, month{static_cast<unsigned>(number(5, 2))},
                              std::chrono::day{static_cast<unsigned>(number(8, 2))}};
    return sys_days{date} + hours{number(11, 2)} + minutes{number(14, 2)} + seconds{number(17, 2)};
}

// A clock that shows the given moments one after the other, one each time it is read,
// and stays on the last; local time is UTC.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(std::vector<Instant> moments) : moments_(std::move(moments)) {}

    Instant now() const override {
        const Instant s = moments_[std::min(reads_, moments_.size() - 1)];
        ++reads_;
        return s;
    }
    LocalTime toLocal(Instant moment) const override { return localTimeAt(moment, seconds{0}); }
    std::size_t reads() const { return reads_; }

private:
    std::vector<Instant> moments_;
    mutable std::size_t reads_ = 0;
};

// The three weekday actions, noting their runs; one may be made to fail. Given controls,
// each also applies its real profile to them.
struct WeekdayActions {
    std::vector<std::string> ran;
    std::string failing;
    ActionTable table;

    explicit WeekdayActions(Controls* controls = nullptr) {
        for (const char* button : {"Command2", "Command3", "Command4"}) {
            const std::string name = std::string(button) + "_Click";
            table.add(name, [this, controls, button, name] {
                ran.push_back(name);
                if (failing == name)
                    throw std::runtime_error("the check box is gone");
                if (controls)
                    applyProfile(dayProfileOfButton(button), *controls);
            });
        }
    }
    QStringList ranList() const {
        QStringList out;
        for (const std::string& name : ran)
            out << QString::fromStdString(name);
        return out;
    }
};

// What each weekday action writes, written out by hand.
const std::map<QString, std::vector<std::string>> WritesOf = {
    {"Command2_Click", {"setCheckValue Check1 1", "setCheckValue Check3 0"}},
    {"Command3_Click", {"setCheckValue Check1 0", "setCheckValue Check3 1"}},
    {"Command4_Click", {"setCheckValue Check1 0", "setCheckValue Check3 1"}},
};

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    // The weekday, whatever the time of day, chooses the action; each of the three tests
    // reads the calendar for itself. Run as the window runs it, through the engine, the load
    // writes that action's values and nothing else.
    void theWeekdayChoosesTheProfile_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QStringList>("ran");
        QTest::newRow("Sunday") << "2026-12-06" << QStringList{};
        QTest::newRow("Monday") << "2026-12-07" << QStringList{"Command2_Click"};
        QTest::newRow("Tuesday") << "2026-12-08" << QStringList{"Command3_Click"};
        QTest::newRow("Wednesday") << "2026-12-09" << QStringList{"Command3_Click"};
        QTest::newRow("Thursday") << "2026-12-10" << QStringList{"Command2_Click"};
        QTest::newRow("Friday") << "2026-12-11" << QStringList{"Command4_Click"};
        QTest::newRow("Saturday") << "2026-12-12" << QStringList{};
        QTest::newRow("Thursday, last day of a year")
            << "2026-12-31" << QStringList{"Command2_Click"};
        QTest::newRow("Friday, first day of a year")
            << "2027-01-01" << QStringList{"Command4_Click"};
        QTest::newRow("Tuesday, a leap day") << "2028-02-29" << QStringList{"Command3_Click"};
    }

    void theWeekdayChoosesTheProfile() {
        QFETCH(QString, date);
        QFETCH(QStringList, ran);
        std::vector<std::string> writes;
        for (const QString& action : ran)
            writes.insert(writes.end(), WritesOf.at(action).begin(), WritesOf.at(action).end());
        for (const char* time : {"00:00:00", "07:30:00", "12:00:00", "23:59:59"}) {
            const SteppingClock clock({moment(date + " " + time)});
            WeekdayActions actions;
            formLoad(clock, actions.table);
            QCOMPARE(actions.ranList(), ran);
            QCOMPARE(clock.reads(), std::size_t{3});

            ControlsSpy controls;
            const SteppingClock again({moment(date + " " + time)});
            Engine engine(controls, again, [] { return std::string("/bells"); });
            auto expected = snapshot(controls.memory);
            engine.run("Form_Load");
            QCOMPARE(controls.writes(), writes);
            for (const std::string& write : writes) { // "setCheckValue <box> <value>"
                const QString entry = QString::fromStdString(write);
                expected[entry.section(' ', 1, 1).toStdString()] =
                    entry.section(' ', 2).toStdString();
            }
            QCOMPARE(snapshot(controls.memory), expected);
        }
    }

    // A start in the last instant of a day: each test acts on the weekday it read, and of
    // two profiles applied the second wins. Every read is "yyyy-mm-dd hh:mm:ss"; 6 December
    // 2026 is a Sunday.
    void aStartAtMidnight_data() {
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<QStringList>("ran");
        QTest::addColumn<int>("check1");
        QTest::addColumn<int>("check3");
        QTest::newRow("Monday into Tuesday after the first read")
            << QStringList{"2026-12-07 23:59:59", "2026-12-08 00:00:00", "2026-12-08 00:00:00"}
            << QStringList{"Command2_Click", "Command3_Click"} << 0 << 1;
        QTest::newRow("Monday into Tuesday after the second read")
            << QStringList{"2026-12-07 23:59:59", "2026-12-07 23:59:59", "2026-12-08 00:00:00"}
            << QStringList{"Command2_Click"} << 1 << 0;
        QTest::newRow("Tuesday into Wednesday")
            << QStringList{"2026-12-08 23:59:59", "2026-12-09 00:00:00", "2026-12-09 00:00:00"}
            << QStringList{"Command3_Click"} << 0 << 1;
        QTest::newRow("Wednesday into Thursday after the first read")
            << QStringList{"2026-12-09 23:59:59", "2026-12-10 00:00:00", "2026-12-10 00:00:00"}
            << QStringList{} << 0 << 0;
        QTest::newRow("Wednesday into Thursday after the second read")
            << QStringList{"2026-12-09 23:59:59", "2026-12-09 23:59:59", "2026-12-10 00:00:00"}
            << QStringList{"Command3_Click"} << 0 << 1;
        QTest::newRow("Thursday into Friday after the first read")
            << QStringList{"2026-12-10 23:59:59", "2026-12-11 00:00:00", "2026-12-11 00:00:00"}
            << QStringList{"Command2_Click", "Command4_Click"} << 0 << 1;
        QTest::newRow("Thursday into Friday after the second read")
            << QStringList{"2026-12-10 23:59:59", "2026-12-10 23:59:59", "2026-12-11 00:00:00"}
            << QStringList{"Command2_Click", "Command4_Click"} << 0 << 1;
        QTest::newRow("Friday into Saturday after the first read")
            << QStringList{"2026-12-11 23:59:59", "2026-12-12 00:00:00", "2026-12-12 00:00:00"}
            << QStringList{} << 0 << 0;
        QTest::newRow("Friday into Saturday after the second read")
            << QStringList{"2026-12-11 23:59:59", "2026-12-11 23:59:59", "2026-12-12 00:00:00"}
            << QStringList{} << 0 << 0;
        QTest::newRow("Sunday into Monday")
            << QStringList{"2026-12-06 23:59:59", "2026-12-07 00:00:00", "2026-12-07 00:00:00"}
            << QStringList{} << 0 << 0;
    }

    void aStartAtMidnight() {
        QFETCH(QStringList, reads);
        QFETCH(QStringList, ran);
        QFETCH(int, check1);
        QFETCH(int, check3);
        std::vector<Instant> moments;
        for (const QString& read : reads)
            moments.push_back(moment(read));
        const SteppingClock clock(moments);
        MemoryControls controls;
        WeekdayActions actions(&controls);
        formLoad(clock, actions.table);
        QCOMPARE(clock.reads(), std::size_t{3});
        QCOMPARE(actions.ranList(), ran);
        QCOMPARE(controls.checkValue("Check1"), check1);
        QCOMPARE(controls.checkValue("Check3"), check3);
    }

    void theWeekdayIsTheLocalOne() {
        // Sunday 20:00 on the system clock is Monday 01:30 where the school is.
        FakeClock clock(2026, 12, 6, 20, 0, 0);
        clock.setUtcOffsetFrom(utc(1, 0, 0, 0), hours{5} + minutes{30});
        WeekdayActions actions;
        formLoad(clock, actions.table);
        QCOMPARE(actions.ran, std::vector<std::string>{"Command2_Click"});
    }

    void aFailingProfileEndsTheStartUp() {
        SteppingClock clock({utc(7, 23, 59, 59), utc(8, 0, 0, 0)});
        WeekdayActions actions;
        actions.failing = "Command2_Click";
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, formLoad(clock, actions.table));
        QCOMPARE(actions.ran, std::vector<std::string>{"Command2_Click"});
    }
};

QTEST_APPLESS_MAIN(TestStartUp)
#include "tst_startup.moc"
