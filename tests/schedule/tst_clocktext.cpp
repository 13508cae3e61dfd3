// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClockText.h"
#include "ControlsSpy.h"

#include <QTest>
#include <set>
#include <stdexcept>
#include <string>

using namespace chimewick;

class TestClockText : public QObject {
    Q_OBJECT

private slots:
    void formatsTheTimeOfDay_data() {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << 0 << 0 << 0 << QStringLiteral("12:00:00 AM");
        QTest::newRow("half past midnight") << 0 << 30 << 0 << QStringLiteral("12:30:00 AM");
        QTest::newRow("last second of the midnight hour")
            << 0 << 59 << 59 << QStringLiteral("12:59:59 AM");
        QTest::newRow("one in the morning") << 1 << 0 << 0 << QStringLiteral("01:00:00 AM");
        QTest::newRow("school start") << 7 << 25 << 1 << QStringLiteral("07:25:01 AM");
        QTest::newRow("one-digit minute and second")
            << 10 << 5 << 9 << QStringLiteral("10:05:09 AM");
        QTest::newRow("last second before noon") << 11 << 59 << 59 << QStringLiteral("11:59:59 AM");
        QTest::newRow("noon") << 12 << 0 << 0 << QStringLiteral("12:00:00 PM");
        QTest::newRow("half past noon") << 12 << 30 << 0 << QStringLiteral("12:30:00 PM");
        QTest::newRow("last second of the noon hour")
            << 12 << 59 << 59 << QStringLiteral("12:59:59 PM");
        QTest::newRow("end bell") << 13 << 27 << 1 << QStringLiteral("01:27:01 PM");
        QTest::newRow("evening") << 19 << 45 << 30 << QStringLiteral("07:45:30 PM");
        QTest::newRow("two-digit hour at night") << 22 << 10 << 10 << QStringLiteral("10:10:10 PM");
        QTest::newRow("last second of the day") << 23 << 59 << 59 << QStringLiteral("11:59:59 PM");
    }

    void formatsTheTimeOfDay() {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(QString, text);
        QCOMPARE(clockText(hour, minute, second), text.toStdString());
        LocalTime local;
        local.date = std::chrono::year{2026} / 12 / 7;
        local.hour = hour;
        local.minute = minute;
        local.second = second;
        QCOMPARE(clockText(local), text.toStdString());
    }

    // Every second of a day, checked field by field against its own numbers.
    void everySecondOfTheDayHasTheSameShape() {
        std::set<std::string> seen;
        for (int h = 0; h < 24; ++h)
            for (int m = 0; m < 60; ++m)
                for (int s = 0; s < 60; ++s) {
                    const std::string t = clockText(h, m, s);
                    QCOMPARE(t.size(), std::size_t{11});
                    const int hour12 = std::stoi(t.substr(0, 2));
                    QVERIFY(hour12 >= 1 && hour12 <= 12); // never 00, never above 12
                    QCOMPARE(hour12 % 12, h % 12);
                    QCOMPARE(t[2], ':');
                    QCOMPARE(std::stoi(t.substr(3, 2)), m);
                    QCOMPARE(t[5], ':');
                    QCOMPARE(std::stoi(t.substr(6, 2)), s);
                    QCOMPARE(t.substr(8), std::string(h < 12 ? " AM" : " PM"));
                    seen.insert(t);
                }
        // No two seconds of a day share a text, so a slot time names one second.
        QCOMPARE(seen.size(), std::size_t{24 * 60 * 60});
        // The placeholder of the unused slots names no second at all.
        QVERIFY(!seen.contains("00:00:00 AM"));
    }

    void rejectsTimesThatDoNotExist_data() {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::newRow("hour -1") << -1 << 0 << 0;
        QTest::newRow("hour 24") << 24 << 0 << 0;
        QTest::newRow("minute -1") << 7 << -1 << 0;
        QTest::newRow("minute 60") << 7 << 60 << 0;
        QTest::newRow("second -1") << 7 << 25 << -1;
        QTest::newRow("second 60, a leap second") << 23 << 59 << 60;
    }

    void rejectsTimesThatDoNotExist() {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, clockText(hour, minute, second));
    }
};

QTEST_APPLESS_MAIN(TestClockText)
#include "tst_clocktext.moc"
