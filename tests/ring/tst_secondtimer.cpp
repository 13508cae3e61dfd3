// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SecondTimer.h"

#include <QTest>

using namespace chimewick;

class TestSecondTimer : public QObject {
    Q_OBJECT
private slots:
    void timerAimsJustPastTheSecond_data() {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("wait");
        QTest::newRow("on the second") << qint64(1'700'000'000'000) << 1002;
        QTest::newRow("mid-second") << qint64(1'700'000'000'500) << 502;
        QTest::newRow("just before") << qint64(1'700'000'000'999) << 3;
        QTest::newRow("just after") << qint64(1'700'000'000'001) << 1001;
    }
    void timerAimsJustPastTheSecond() {
        QFETCH(qint64, now);
        QFETCH(int, wait);
        QCOMPARE(SecondTimer::millisecondsToNextSecond(now), wait);
    }
};

QTEST_GUILESS_MAIN(TestSecondTimer)
#include "tst_secondtimer.moc"
