// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A window left open past midnight: the line that says the day has changed, and the new day's
// profile applied at its first second when asked for.

#include "Color.h"
#include "ControlsSpy.h"
#include "Engine.h"
#include "FakeClock.h"

#include <QTest>

using namespace chimewick;
using namespace std::chrono;
using chimewick::testing::ControlsSpy;

namespace {

// How the night passes, from 23:59:50 of the first day.
enum class Night {
    Ticking,
    ShortStall,
    LongStall,
    ClockForwardAtMidnight,
    ClockBackAtOne,
    ZoneAhead
};

struct Rig {
    ControlsSpy controls;
    FakeClock clock{2026, 12, 7, 0, 0, 0};
    Engine engine{controls, clock, [] { return std::string("/opt/bells"); }};

    Rig() { controls.logReads = false; }

    void tick() { engine.run("Timer1_Timer"); }
    void tickFor(seconds span) {
        for (const Instant end = clock.now() + span; clock.now() < end; clock.advanceSecond())
            tick();
    }
    void tickAt(unsigned day, int hour, int minute, int second) {
        clock.setLocal(2026, 12, day, hour, minute, second);
        tick();
    }
};

} // namespace

class TestNewDay : public QObject {
    Q_OBJECT

private slots:
    void acrossMidnight_data() {
        QTest::addColumn<unsigned>("day"); // of December 2026: the 7th is a Monday
        QTest::addColumn<bool>("follow");
        QTest::addColumn<Night>("night");
        QTest::addColumn<int>("selections");
        QTest::addColumn<int>("check1");
        QTest::addColumn<int>("check3");
        QTest::addColumn<QString>("line");

        const QString mondayKept =
            QStringLiteral("Timetable set for Monday (Monday Thursday) \u00b7 today is Tuesday");
        const QString fridayKept =
            QStringLiteral("Timetable set for Friday (Fryday) \u00b7 today is Saturday");
        // Check1 and Check3 as the night leaves them: "Monday Thursday" ticks Check1 and rings
        // the teaching start at 08:00, the other weekdays tick Check3 and ring it at 07:50.
        const auto row = [](const char* name, unsigned day, bool follow, Night night,
                            int selections, int check1, int check3, const QString& line) {
            QTest::newRow(name) << day << follow << night << selections << check1 << check3 << line;
        };
        row("Monday to Tuesday", 7, false, Night::Ticking, 0, 1, 0, mondayKept);
        row("Monday to Tuesday, followed", 7, true, Night::Ticking, 1, 0, 1, {});
        row("Friday to Saturday", 11, false, Night::Ticking, 0, 0, 1, fridayKept);
        row("Friday to Saturday, followed", 11, true, Night::Ticking, 0, 0, 1, fridayKept);
        row("Saturday to Sunday, followed", 12, true, Night::Ticking, 0, 0, 0,
            QStringLiteral("Timetable set for Saturday (no profile) \u00b7 today is Sunday"));
        row("Sunday to Monday, followed", 13, true, Night::Ticking, 1, 1, 0, {});
        row("stall caught up", 7, true, Night::ShortStall, 1, 0, 1, {});
        row("stall past a minute", 7, true, Night::LongStall, 1, 0, 1, {});
        row("stall past a minute, kept", 7, false, Night::LongStall, 0, 1, 0, mondayKept);
        row("23:59:59 to 01:00:00", 7, true, Night::ClockForwardAtMidnight, 1, 0, 1, {});
        row("00:59:59 back to 00:00:00", 7, true, Night::ClockBackAtOne, 1, 0, 1, {});
        row("00:59:59 back to 00:00:00, kept", 7, false, Night::ClockBackAtOne, 0, 1, 0,
            mondayKept);
        row("zone moved past midnight", 7, true, Night::ZoneAhead, 1, 0, 1, {});
    }

    void acrossMidnight() {
        QFETCH(unsigned, day);
        QFETCH(bool, follow);
        QFETCH(Night, night);
        QFETCH(int, selections);
        QFETCH(int, check1);
        QFETCH(int, check3);
        QFETCH(QString, line);
        Rig rig;
        rig.engine.setFollowWeekday(follow);
        if (night == Night::ClockBackAtOne)
            rig.clock.setUtcOffsetFrom(Instant{}, hours{1});
        rig.clock.setLocal(2026, 12, day, 23, 59, 50);
        const Instant start = rig.clock.now();
        rig.engine.run("Form_Load");
        rig.tick();
        QCOMPARE(rig.engine.dayNotice(), std::string());
        rig.controls.log.clear();

        switch (night) {
        case Night::Ticking:
            rig.tickFor(seconds{30});
            break;
        case Night::ShortStall: // caught up second by second, midnight among them
        case Night::LongStall:  // only the second it wakes in
            rig.clock.advance(night == Night::ShortStall ? seconds{40} : minutes{10});
            rig.tick();
            break;
        case Night::ClockForwardAtMidnight:
            rig.clock.setUtcOffsetFrom(start + seconds{10}, hours{1});
            rig.tickFor(seconds{30});
            break;
        case Night::ClockBackAtOne: // midnight, then the hour from midnight again
            rig.clock.setUtcOffsetFrom(start + minutes{60} + seconds{10}, hours{0});
            rig.tickFor(minutes{62});
            break;
        case Night::ZoneAhead:
            rig.tickFor(seconds{5});
            rig.clock.setUtcOffsetFrom(rig.clock.now(), hours{1});
            rig.tickFor(seconds{5});
            break;
        }
        QCOMPARE(static_cast<int>(rig.controls.logOf("setCheckValue Check3").size()), selections);
        QCOMPARE(rig.controls.memory.checkValue("Check1"), check1);
        QCOMPARE(rig.controls.memory.checkValue("Check3"), check3);
        QCOMPARE(QString::fromStdString(rig.engine.dayNotice()), line);

        // The next morning's teaching-start bell rings as the boxes say.
        rig.tickAt(day + 1, 7, 50, 1);
        rig.tickAt(day + 1, 8, 0, 1);
        QCOMPARE(rig.controls.memory.backColor("Text5") == HighlightGreen, check3 == 1);
        QCOMPARE(rig.controls.memory.backColor("Text3") == HighlightGreen, check1 == 1);
    }

    // The new date's profile is on before its first second's slots are compared.
    void aBellAtMidnightFollowsTheNewProfile() {
        for (const bool follow : {false, true}) {
            Rig rig;
            rig.engine.setFollowWeekday(follow);
            rig.clock.setLocal(2026, 12, 7, 23, 59, 58);
            rig.engine.run("Form_Load");
            rig.controls.memory.setText("Text5", "12:00:00 AM"); // Check3: off on a Monday
            rig.tickFor(seconds{4});
            QCOMPARE(rig.controls.memory.backColor("Text5") == HighlightGreen, follow);
        }
    }

    void anyProfileClearsTheLine_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Monday Thursday") << "Command2_Click"
                                         << "Monday Thursday";
        QTest::newRow("Tuesday Wednesday") << "Command3_Click"
                                           << "Tuesday Wednesday";
        QTest::newRow("Fryday") << "Command4_Click"
                                << "Fryday";
        QTest::newRow("Samithi Day") << "Command1_Click"
                                     << "Samithi Day";
        QTest::newRow("2.30 PM Day") << "Command6_Click"
                                     << "2.30 PM Day";
        QTest::newRow("3.30 PM Day") << "Command22_Click"
                                     << "3.30 PM Day";
    }

    void anyProfileClearsTheLine() {
        QFETCH(QString, action);
        QFETCH(QString, caption);
        Rig rig;
        rig.clock.setLocal(2026, 12, 7, 23, 59, 58);
        rig.engine.run("Form_Load");
        rig.tickFor(seconds{4});
        QVERIFY(!rig.engine.dayNotice().empty());
        rig.engine.run(action.toStdString());
        QCOMPARE(rig.engine.dayNotice(), std::string());
        // and is named the next day
        rig.tickAt(9, 0, 0, 1);
        QCOMPARE(QString::fromStdString(rig.engine.dayNotice()),
                 QStringLiteral("Timetable set for Tuesday (%1) \u00b7 today is Wednesday")
                     .arg(caption));
    }
};

QTEST_GUILESS_MAIN(TestNewDay)
#include "tst_newday.moc"
