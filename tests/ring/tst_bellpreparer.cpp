// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "BellPlayer.h"
#include "BellPreparer.h"
#include "ClockText.h"
#include "DayProfiles.h"
#include "Engine.h"
#include "FakeClock.h"
#include "NextBellWatch.h"
#include "Playback.h"
#include "QtControls.h"
#include "QtForm.h"
#include "ScheduleSlots.h"

#include <QApplication>
#include <QTest>

using namespace chimewick;

namespace {

const std::string Folder = CHIMEWICK_SOUNDS_DIR;

// The recording of the bell a slot rings, by its time box.
QString bellOf(std::string_view timeBox) {
    for (const ScheduleSlot& slot : scheduleSlots())
        if (slot.timeBox == timeBox)
            return QString::fromStdString(
                bellFile([] { return Folder; }, bellOfButton(slot.bellButton)));
    return {};
}

} // namespace

class TestBellPreparer : public QObject {
    Q_OBJECT
private slots:
    void followsTheTimetable_data();
    void followsTheTimetable();
};

// Each step: "set BOX +N" types the time N seconds from now and ticks the slot, "untick BOX",
// "profile CAPTION", "click BUTTON", "check" (what changed reaches the preparer through the
// watch) or "tick" (the clock moves on a second and the tick shows it). The last column names
// the time box whose bell must be held ready at the end, or nothing.
void TestBellPreparer::followsTheTimetable_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("held");
    QTest::newRow("due in 2 s") << QStringList{"set T1 +2", "check"} << "T1";
    QTest::newRow("due in 3 s") << QStringList{"set T1 +3", "check"} << "T1";
    QTest::newRow("due in 4 s, too early") << QStringList{"set T1 +4", "check"} << "";
    QTest::newRow("unticked before its second")
        << QStringList{"set T1 +2", "check", "untick T1", "check"} << "";
    QTest::newRow("moved later") << QStringList{"set T1 +2", "check", "set T1 +60", "check"} << "";
    QTest::newRow("another slot sooner")
        << QStringList{"set T1 +3", "check", "set T2 +1", "check"} << "T2";
    QTest::newRow("a profile brings one forward")
        << QStringList{"set T6 +600", "check", "profile Samithi Day", "check"} << "T6";
    QTest::newRow("a manual ring, then looked at again")
        << QStringList{"set T1 +2", "check", "click Command24", "tick"} << "T1";
}

void TestBellPreparer::followsTheTimetable() {
    QFETCH(QStringList, steps);
    QFETCH(QString, held);
    // Two seconds before the Samithi Day profile's first change of time.
    FakeClock clock(2026, 3, 5, 8, 24, 59);
    QtForm form;
    QtControls controls(form);
    Engine engine(controls, clock, [] { return Folder; });
    form.start(engine.actions());
    for (const ScheduleSlot& slot : scheduleSlots())
        controls.setCheckValue(slot.checkBox, 0);
    BellPlayer& player = *form.player();
    const NextBellWatch watch(form, controls, clock);
    const BellPreparer preparer(
        watch, [] { return Folder; }, player);

    for (const QString& step : steps) {
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        const QString box = step.section(QLatin1Char(' '), 1, 1);
        const std::string boxName = box.toStdString();
        const auto slot = std::find_if(scheduleSlots().begin(), scheduleSlots().end(),
                                       [&](const ScheduleSlot& s) { return s.timeBox == boxName; });
        if (verb == QLatin1String("set")) {
            const int ahead = step.section(QLatin1Char(' '), 2, 2).toInt();
            controls.setText(boxName,
                             clockText(clock.toLocal(clock.now() + std::chrono::seconds(ahead))));
            controls.setCheckValue(slot->checkBox, 1);
        } else if (verb == QLatin1String("untick")) {
            controls.setCheckValue(slot->checkBox, 0);
        } else if (verb == QLatin1String("profile")) {
            const QString caption = step.section(QLatin1Char(' '), 1);
            for (const DayProfile& profile : dayProfiles())
                if (QString::fromUtf8(profile.caption.data(), qsizetype(profile.caption.size())) ==
                    caption)
                    applyProfile(profile, controls);
        } else if (verb == QLatin1String("click")) {
            const QString was = player.playback()->preparedFile();
            QTest::mouseClick(form.widget(boxName), Qt::LeftButton);
            // A ring of another bell lets the held one go at once.
            QVERIFY2(player.playback()->preparedFile().isEmpty() || was.isEmpty(), qPrintable(was));
        } else if (verb == QLatin1String("tick")) {
            clock.advanceSecond();
            engine.run("Timer1_Timer");
            QCoreApplication::processEvents();
        } else {
            QCoreApplication::processEvents();
        }
        // Held ready, a bell shows nowhere until it rings.
        const QString shown = player.playback()->preparedFile();
        if (!shown.isEmpty())
            QVERIFY2(!player.displayText().contains(QFileInfo(shown).fileName()),
                     qPrintable(player.displayText()));
    }
    QCOMPARE(player.playback()->preparedFile(),
             held.isEmpty() ? QString() : bellOf(held.toStdString()));
}

QTEST_MAIN(TestBellPreparer)
#include "tst_bellpreparer.moc"
