// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ControlsSpy.h"
#include "FakeClock.h"
#include "NextBell.h"
#include "Tick.h"

#include <QRegularExpression>
#include <QTest>
#include <string>

using namespace chimewick;
using namespace std::chrono;
using chimewick::testing::ControlsSpy;

Q_DECLARE_METATYPE(std::string)

class TestNextBell : public QObject {
    Q_OBJECT
private slots:
    void promisesWhatTheTickRings_data();
    void promisesWhatTheTickRings();
    void followsTheClockChange();
};

namespace {
// The next bell as "label at time in seconds", or "none".
std::string describe(const std::optional<NextBell>& next, Instant now) {
    if (!next)
        return "none";
    return std::string(next->slot->label) + " at " + next->timeText + " in " +
           std::to_string((next->at - now).count());
}
} // namespace

void TestNextBell::promisesWhatTheTickRings_data() {
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<std::string>("expected");
    QTest::addColumn<QString>("line"); // as the display shows it
    // The window's default timetable: School Start 07:25:01 AM, Periad 2 08:30:01 AM, ...
    QTest::newRow("before the first bell")
        << 7 << 0 << 0 << QStringList{} << std::string("School Start at 07:25:01 AM in 1501")
        << "Next bell 07:25:01 AM · School Start · in 25 min";
    QTest::newRow("at its very second, the one after")
        << 7 << 25 << 1 << QStringList{} << std::string("Arrenge Bell 2 at 07:29:54 AM in 293")
        << "Next bell 07:29:54 AM · Arrenge Bell 2 · in 4 min";
    QTest::newRow("an unticked slot is passed over")
        << 7 << 0 << 0 << QStringList{"C1:0"}
        << std::string("Arrenge Bell 2 at 07:29:54 AM in 1794")
        << "Next bell 07:29:54 AM · Arrenge Bell 2 · in 29 min";
    QTest::newRow("a time the clock never shows is never promised")
        << 7 << 0 << 0 << QStringList{"T1=7:25:01 AM", "Text7=07:29:54 am", "Text6=07:40:01 AM "}
        << std::string("Periad 2 at 08:30:01 AM in 5401")
        << "Next bell 08:30:01 AM · Periad 2 · in 1 h 30 min";
    QTest::newRow("a ticked teaching start, typed as the clock shows it")
        << 7 << 31 << 0 << QStringList{"Check3:1"}
        << std::string("Teaching Start at 07:50:01 AM in 1141")
        << "Next bell 07:50:01 AM · Teaching Start · in 19 min";
    QTest::newRow("the same without its leading zero: not promised")
        << 7 << 31 << 0 << QStringList{"Check3:1", "Text5=7:50:01 AM"}
        << std::string("Periad 2 at 08:30:01 AM in 3541")
        << "Next bell 08:30:01 AM · Periad 2 · in 59 min";
    QTest::newRow("two slots in one second: the later one is heard")
        << 7 << 0 << 0 << QStringList{"C2:1", "T2=07:25:01 AM"}
        << std::string("Arrenge Bell 1 at 07:25:01 AM in 1501")
        << "Next bell 07:25:01 AM · Arrenge Bell 1 · in 25 min";
    QTest::newRow("an afternoon time typed by the operator")
        << 23 << 0 << 0 << QStringList{"C15:1", "T15=11:59:59 PM"}
        << std::string("End Gatha at 11:59:59 PM in 3599")
        << "Next bell 11:59:59 PM · End Gatha · in 59 min";
    QTest::newRow("an hour away") << 6 << 25 << 1 << QStringList{}
                                  << std::string("School Start at 07:25:01 AM in 3600")
                                  << "Next bell 07:25:01 AM · School Start · in 1 h";
    QTest::newRow("nothing more before midnight")
        << 23 << 0 << 0 << QStringList{} << std::string("none") << "No more bells today";
    QTest::newRow("just after midnight: 12 o'clock")
        << 0 << 0 << 0 << QStringList{"T1=12:00:30 AM"}
        << std::string("School Start at 12:00:30 AM in 30")
        << "Next bell 12:00:30 AM · School Start · in under a minute";
}

void TestNextBell::promisesWhatTheTickRings() {
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(QStringList, edits);
    QFETCH(std::string, expected);
    QFETCH(QString, line);
    ControlsSpy controls;
    controls.logReads = false;
    FakeClock clock{2026, 12, 7, hour, minute, second};
    for (const QString& edit : edits) {
        const qsizetype cut = edit.indexOf(QRegularExpression("[=:]"));
        const std::string box = edit.left(cut).toStdString();
        if (edit[cut] == '=')
            controls.setText(box, edit.mid(cut + 1).toStdString());
        else
            controls.setCheckValue(box, edit.mid(cut + 1).toInt());
    }
    const Instant now = clock.now();
    const auto next = nextBell(controls, clock, now);
    QCOMPARE(describe(next, now), expected);
    QCOMPARE(QString::fromStdString(nextBellLine(next, now)), line);

    // The promise holds: the tick, run second by second up to it, rings first there.
    if (next) {
        Instant rang{};
        Tick tick{controls, clock, [&](std::string_view) {
                      if (rang == Instant{})
                          rang = clock.now();
                  }};
        while (clock.now() < next->at && rang == Instant{}) {
            clock.advanceSecond();
            tick();
        }
        QCOMPARE(rang, next->at);
    }
}

void TestNextBell::followsTheClockChange() {
    ControlsSpy controls;
    controls.logReads = false;
    controls.setText("T1", "01:30:00 AM");
    controls.setText("Text7", "02:30:00 AM");
    controls.setText("Text6", "03:10:00 AM");
    const auto next = [&](const FakeClock& clock) {
        return describe(nextBell(controls, clock, clock.now()), clock.now());
    };

    // Forward an hour at 02:00 local: 02:30 never comes, 03:10 comes 70 minutes after 01:00.
    FakeClock spring{2026, 3, 29, 1, 0, 0};
    spring.setUtcOffsetFrom(spring.now() + hours{1}, hours{1});
    spring.advance(minutes{31});
    QCOMPARE(next(spring), std::string("Morning Gatha at 03:10:00 AM in 2340"));

    // Back an hour at 02:00 local: 01:30 comes twice, and again after the first time.
    FakeClock autumn{2026, 10, 25, 0, 0, 0};
    autumn.setUtcOffsetFrom(autumn.now() - days{1}, hours{1}); // 01:00 local now
    autumn.setUtcOffsetFrom(autumn.now() + hours{1}, hours{0});
    QCOMPARE(next(autumn), std::string("School Start at 01:30:00 AM in 1800"));
    autumn.advance(minutes{45}); // 01:45, the first time round
    QCOMPARE(next(autumn), std::string("School Start at 01:30:00 AM in 2700"));
}

QTEST_APPLESS_MAIN(TestNextBell)
#include "tst_nextbell.moc"
