// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ControlsSpy.h"
#include "Tick.h"

#include <QTest>
#include <chrono>

using namespace chimewick;
using namespace std::chrono;

namespace {

const Instant Morning = sys_days{year{2026} / December / 7} + hours{7};

} // namespace

class TestHandledSeconds : public QObject {
    Q_OBJECT

private slots:
    void startsEmpty() {
        const HandledSeconds handled;
        QVERIFY(!handled.contains(Morning));
        QCOMPARE(handled.runCount(), std::size_t{0});
    }

    void remembersWhatWasAdded() {
        HandledSeconds handled;
        handled.add(Morning);
        QVERIFY(handled.contains(Morning));
        QVERIFY(!handled.contains(Morning - seconds{1}));
        QVERIFY(!handled.contains(Morning + seconds{1}));
    }

    void addingASecondTwiceChangesNothing() {
        HandledSeconds handled;
        handled.add(Morning);
        handled.add(Morning);
        QCOMPARE(handled.runCount(), std::size_t{1});
        QVERIFY(handled.contains(Morning));
    }

    void consecutiveSecondsMakeOneRun() {
        HandledSeconds handled;
        for (int i = 0; i < 24 * 60 * 60; ++i)
            handled.add(Morning + seconds{i});
        QCOMPARE(handled.runCount(), std::size_t{1});
        QVERIFY(handled.contains(Morning));
        QVERIFY(handled.contains(Morning + seconds{24 * 60 * 60 - 1}));
        QVERIFY(!handled.contains(Morning + seconds{24 * 60 * 60}));
        QVERIFY(!handled.contains(Morning - seconds{1}));
    }

    void runsJoinFromEitherSide() {
        HandledSeconds handled;
        handled.add(Morning + seconds{5});
        handled.add(Morning + seconds{4}); // joins the run that follows
        QCOMPARE(handled.runCount(), std::size_t{1});
        handled.add(Morning + seconds{7});
        QCOMPARE(handled.runCount(), std::size_t{2});
        handled.add(Morning + seconds{6}); // bridges two runs
        QCOMPARE(handled.runCount(), std::size_t{1});
        for (int i = 4; i <= 7; ++i)
            QVERIFY(handled.contains(Morning + seconds{i}));
        QVERIFY(!handled.contains(Morning + seconds{3}));
        QVERIFY(!handled.contains(Morning + seconds{8}));
    }

    void gapsStaySeparate() {
        HandledSeconds handled;
        handled.add(Morning + seconds{10});
        handled.add(Morning);
        handled.add(Morning + seconds{20});
        QCOMPARE(handled.runCount(), std::size_t{3});
        QVERIFY(handled.contains(Morning));
        QVERIFY(handled.contains(Morning + seconds{10}));
        QVERIFY(handled.contains(Morning + seconds{20}));
        QVERIFY(!handled.contains(Morning + seconds{5}));
        QVERIFY(!handled.contains(Morning + seconds{15}));
        QVERIFY(!handled.contains(Morning + seconds{25}));
    }

    // A clock set back by up to two days still finds the seconds it handled.
    void remembersTwoDays() {
        HandledSeconds handled;
        handled.add(Morning);
        handled.add(Morning + days{2});
        QVERIFY(handled.contains(Morning));
        QCOMPARE(handled.runCount(), std::size_t{2});
    }

    void forgetsRunsOlderThanTwoDays() {
        HandledSeconds handled;
        handled.add(Morning);
        handled.add(Morning + seconds{1});
        handled.add(Morning + days{2} + seconds{2});
        QVERIFY(!handled.contains(Morning));
        QVERIFY(!handled.contains(Morning + seconds{1}));
        QVERIFY(handled.contains(Morning + days{2} + seconds{2}));
        QCOMPARE(handled.runCount(), std::size_t{1});
    }

    // Days of ticks with a missed second now and then stay a handful of entries.
    void daysCostAHandfulOfRuns() {
        HandledSeconds handled;
        const int span = 3 * 24 * 60 * 60;
        for (int i = 0; i < span; ++i)
            if (i % 3600 != 0) // one second an hour goes unhandled
                handled.add(Morning + seconds{i});
        QVERIFY(handled.runCount() <= 2 * 24 + 1);
        QVERIFY(handled.contains(Morning + seconds{span - 1}));
        QVERIFY(!handled.contains(Morning + seconds{3600}));
    }
};

QTEST_APPLESS_MAIN(TestHandledSeconds)
#include "tst_handledseconds.moc"
