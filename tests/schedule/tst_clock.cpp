// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Clock.h"
#include "ClockText.h"
#include "ControlsSpy.h"
#include "FakeClock.h"
#include "MemoryControls.h"
#include "ScheduleSlots.h"
#include "Tick.h"

#include <QScopeGuard>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace chimewick;
using namespace std::chrono;

namespace {

Instant utc(int y, unsigned m, unsigned d, int hour, int minute, int second) {
    return sys_days{year{y} / month{m} / day{d}} + hours{hour} + minutes{minute} + seconds{second};
}

bool sameLocal(const LocalTime& a, const LocalTime& b) {
    return a.date == b.date && a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

} // namespace

class TestClock : public QObject {
    Q_OBJECT

private slots:
    void weekdaysCountFromSundayAsOne_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("weekday");
        // 6 December 2026 is a Sunday.
        QTest::newRow("Sunday") << 6 << 1;
        QTest::newRow("Monday") << 7 << 2;
        QTest::newRow("Tuesday") << 8 << 3;
        QTest::newRow("Wednesday") << 9 << 4;
        QTest::newRow("Thursday") << 10 << 5;
        QTest::newRow("Friday") << 11 << 6;
        QTest::newRow("Saturday") << 12 << 7;
        QTest::newRow("Sunday again") << 13 << 1;
    }

    void weekdaysCountFromSundayAsOne() {
        QFETCH(int, day);
        QFETCH(int, weekday);
        LocalTime t;
        t.date = year{2026} / December / day;
        QCOMPARE(t.weekday(), weekday);
    }

    void weekdayOfALeapDay() {
        LocalTime t;
        t.date = year{2028} / February / 29; // a Tuesday
        QCOMPARE(t.weekday(), 3);
    }

    void localTimeUnderAnOffset() {
        const LocalTime t = localTimeAt(utc(2026, 12, 7, 1, 55, 1), hours{5} + minutes{30});
        QCOMPARE(t.date, year_month_day{year{2026} / December / 7});
        QCOMPARE(t.hour, 7);
        QCOMPARE(t.minute, 25);
        QCOMPARE(t.second, 1);
    }

    void localTimeCrossesMidnightBothWays() {
        const LocalTime ahead = localTimeAt(utc(2026, 12, 7, 22, 0, 0), hours{3});
        QCOMPARE(ahead.date, year_month_day{year{2026} / December / 8});
        QCOMPARE(ahead.hour, 1);
        const LocalTime behind = localTimeAt(utc(2026, 12, 7, 2, 0, 0), -hours{5});
        QCOMPARE(behind.date, year_month_day{year{2026} / December / 6});
        QCOMPARE(behind.hour, 21);
        QCOMPARE(behind.weekday(), 1);
    }

    void fakeClockStartsAtTheLocalTimeGiven() {
        FakeClock clock(2026, 12, 7, 7, 25, 1);
        QCOMPARE(clock.now(), utc(2026, 12, 7, 7, 25, 1));
        QCOMPARE(clockText(clock.localNow()), std::string("07:25:01 AM"));
        QCOMPARE(clock.localNow().weekday(), 2);
    }

    void fakeClockMovesOnlyWhenTold() {
        FakeClock clock(2026, 12, 7, 23, 59, 59);
        const Instant start = clock.now();
        QCOMPARE(clock.now(), start);
        clock.advanceSecond();
        QCOMPARE(clock.now(), start + seconds{1});
        QCOMPARE(clockText(clock.localNow()), std::string("12:00:00 AM"));
        QCOMPARE(clock.localNow().weekday(), 3);
        clock.advanceMinute();
        QCOMPARE(clock.now(), start + seconds{61});
        clock.advanceDay();
        QCOMPARE(clock.now(), start + seconds{61} + days{1});
        clock.advance(-seconds{61});
        QCOMPARE(clock.now(), start + days{1});
        clock.set(start);
        QCOMPARE(clock.now(), start);
    }

    void fakeClockFollowsItsOffsets() {
        FakeClock clock(2026, 3, 29, 0, 0, 0);
        const Instant change = utc(2026, 3, 29, 1, 0, 0);
        clock.setUtcOffsetFrom(change, hours{1});
        QCOMPARE(clock.utcOffsetAt(change - seconds{1}), seconds{0});
        QCOMPARE(clock.utcOffsetAt(change), seconds{hours{1}});
        QCOMPARE(clockText(clock.toLocal(change - seconds{1})), std::string("12:59:59 AM"));
        QCOMPARE(clockText(clock.toLocal(change)), std::string("02:00:00 AM"));

        // Offsets may be given out of order; the latest one in force applies.
        const Instant back = utc(2026, 10, 25, 1, 0, 0);
        clock.setUtcOffsetFrom(back, seconds{0});
        clock.setUtcOffsetFrom(utc(2026, 6, 1, 0, 0, 0), hours{1});
        QCOMPARE(clock.utcOffsetAt(back - seconds{1}), seconds{hours{1}});
        QCOMPARE(clock.utcOffsetAt(back), seconds{0});
        QCOMPARE(clockText(clock.toLocal(back - seconds{1})), std::string("01:59:59 AM"));
        QCOMPARE(clockText(clock.toLocal(back)), std::string("01:00:00 AM"));
    }

    void fakeClockSetsLocalTimeUnderTheOffsetInForce() {
        FakeClock clock(2026, 12, 7, 0, 0, 0);
        clock.setUtcOffsetFrom(utc(2026, 12, 1, 0, 0, 0), hours{5} + minutes{30});
        clock.setLocal(2026, 12, 7, 7, 25, 1);
        QCOMPARE(clock.now(), utc(2026, 12, 7, 1, 55, 1));
        QCOMPARE(clockText(clock.localNow()), std::string("07:25:01 AM"));
    }

    // Set by its local time, the test clock lands on the moment that shows it, on either
    // side of a change of offset on 29 March 2026 at 01:00:00 UTC: of a time shown twice the
    // first moment, of one never shown the moment the offset before the change gives.
    void fakeClockSetByLocalTimeAcrossAnOffsetChange_data() {
        QTest::addColumn<int>("hoursBefore"); // the UTC offset before the change
        QTest::addColumn<int>("hoursAfter");
        QTest::addColumn<int>("localHour"); // on 29 March, at minute 30
        QTest::addColumn<int>("utcDay");    // of March
        QTest::addColumn<int>("utcHour");   // at minute 30
        QTest::newRow("before a spring change") << 1 << 2 << 0 << 28 << 23;
        QTest::newRow("in the skipped hour") << 1 << 2 << 2 << 29 << 1;
        QTest::newRow("after a spring change") << 1 << 2 << 3 << 29 << 1;
        QTest::newRow("first of a repeated hour") << 2 << 1 << 2 << 29 << 0;
        QTest::newRow("after an autumn change") << 2 << 1 << 3 << 29 << 2;
        QTest::newRow("well before any change") << 2 << 1 << 1 << 28 << 23;
    }

    void fakeClockSetByLocalTimeAcrossAnOffsetChange() {
        QFETCH(int, hoursBefore);
        QFETCH(int, hoursAfter);
        QFETCH(int, localHour);
        QFETCH(int, utcDay);
        QFETCH(int, utcHour);
        FakeClock clock(2026, 1, 1, 0, 0, 0);
        clock.setUtcOffsetFrom(utc(2026, 2, 27, 0, 0, 0), hours{hoursBefore});
        clock.setUtcOffsetFrom(utc(2026, 3, 29, 1, 0, 0), hours{hoursAfter});
        clock.setLocal(2026, 3, 29, localHour, 30, 0);
        QCOMPARE(clock.now(), utc(2026, 3, static_cast<unsigned>(utcDay), utcHour, 30, 0));
    }

    void systemClockCountsWholeSeconds() {
        const auto before = floor<seconds>(system_clock::now());
        const SystemClock clock;
        const Instant now = clock.now();
        const auto after = floor<seconds>(system_clock::now());
        QVERIFY(now >= before && now <= after);
    }

    void systemClockGivesAValidLocalTime() {
        const SystemClock clock;
        const Instant now = clock.now();
        const LocalTime t = clock.toLocal(now);
        QVERIFY(t.date.ok());
        QVERIFY(t.hour >= 0 && t.hour <= 23);
        QVERIFY(t.minute >= 0 && t.minute <= 59);
        QVERIFY(t.second >= 0 && t.second <= 59);
        QVERIFY(t.weekday() >= 1 && t.weekday() <= 7);
        QCOMPARE(clockText(t).size(), std::size_t{11});
        // Local time is UTC shifted by whole minutes, so the seconds agree.
        QCOMPARE(t.second, static_cast<int>((now.time_since_epoch() % minutes{1}).count()));
        // The same moment always reads the same.
        QVERIFY(sameLocal(clock.toLocal(now), t));
    }

    void systemClockFollowsAZoneChangeBetweenTicks() {
        // The zone is changed through TZ, as an administrator's change of /etc/localtime
        // would be seen: the second tick's display and bell are in the new zone.
        const QByteArray savedZone = qgetenv("TZ");
        const auto restoreZone = qScopeGuard([&] {
            if (savedZone.isNull())
                qunsetenv("TZ");
            else
                qputenv("TZ", savedZone);
        });
        qputenv("TZ", "UTC");
        const SystemClock clock;
        MemoryControls controls;
        for (const ScheduleSlot& slot : scheduleSlots())
            controls.setCheckValue(slot.checkBox, 0);
        std::vector<std::string> rung;
        Tick tick(controls, clock, [&](std::string_view button) { rung.emplace_back(button); });

        // The tick reads the clock itself, so the second it showed is only known to lie
        // between a reading before and one after it: a busy machine may cross a boundary
        // between any two readings.
        const auto showsASecondOf = [&](Instant from, Instant to, seconds offset) {
            for (Instant s = from; s <= to; s += seconds{1})
                if (controls.text("Text1") == clockText(localTimeAt(s, offset)))
                    return true;
            return false;
        };
        const Instant beforeFirst = clock.now();
        tick();
        const Instant afterFirst = clock.now();
        QVERIFY2(showsASecondOf(beforeFirst, afterFirst, seconds{0}),
                 controls.text("Text1").c_str());
        // A second the first tick cannot have handled; the second tick catches up to it.
        const Instant next = afterFirst + seconds{1};
        const seconds colombo = hours{5} + minutes{30};
        controls.setCheckValue("C1", 1);
        controls.setText("T1", clockText(localTimeAt(next, colombo)));
        qputenv("TZ", "Asia/Colombo");
        while (clock.now() < next)
            std::this_thread::sleep_for(milliseconds{10});
        const Instant beforeSecond = clock.now();
        tick();
        const Instant afterSecond = clock.now();
        QVERIFY2(showsASecondOf(beforeSecond, afterSecond, colombo),
                 controls.text("Text1").c_str());
        QCOMPARE(rung, std::vector<std::string>{"Command23"});
    }
};

QTEST_APPLESS_MAIN(TestClock)
#include "tst_clock.moc"
