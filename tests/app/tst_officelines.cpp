// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Engine.h"
#include "FakeClock.h"
#include "NextBellLine.h"
#include "NextBellWatch.h"
#include "QtControls.h"
#include "QtForm.h"
#include "RingLog.h"
#include "StderrCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimewick;

// What the office reads off the program: the next bell on the player's display, and the
// record of every bell rung. The real window, engine and player, on a clock of the test's.
class TestOfficeLines : public QObject {
    Q_OBJECT
    QTemporaryDir folder_;

    struct Program {
        FakeClock clock{2026, 12, 7, 7, 31, 0}; // a Monday
        QtForm form;
        QtControls controls{form};
        RingLog log{qEnvironmentVariableIsSet("CHIMEWICK_TEST_JOURNAL")}; // a journal of the test's
        Engine engine;
        NextBellWatch watch{form, controls, clock};
        NextBellLine nextLine{watch, *form.player()};
        explicit Program(const QString& folder)
            : engine(
                  controls, clock, [folder] { return folder.toStdString(); },
                  [this](const RingRecord& rung) { log.record(rung); }) {
            log.follow(*form.player());
            form.start(engine.actions());
        }
        void tick(int seconds) {
            for (int s = 0; s < seconds; ++s, clock.advanceSecond())
                engine.run("Timer1_Timer");
        }
        bool shows(const QString& line) const {
            return form.player()->displayText().split('\n').contains(line);
        }
    };

private slots:
    void initTestCase() {
        qInstallMessageHandler(nullptr); // the program's lines go to stderr, as they do there
        const QDir sounds(QStringLiteral(CHIMEWICK_SOUNDS_DIR));
        for (const QString& name : sounds.entryList({"*.wma", "*.mp3", "*.wav"}, QDir::Files))
            if (name != QLatin1String("period5.wma"))
                QVERIFY(QFile::copy(sounds.filePath(name), folder_.filePath(name)));
    }

    void showsAndFollowsTheNextBell() {
        Program p(folder_.path());
        // The Monday profile ticks the Monday/Thursday teaching start.
        QTRY_VERIFY(p.shows("Next bell 08:00:01 AM · Teaching Start (M/T) · in 29 min"));
        QTest::mouseClick(p.form.widget("Command4"), Qt::LeftButton); // Fryday
        QTRY_VERIFY(p.shows("Next bell 07:50:01 AM · Teaching Start · in 19 min"));
        p.controls.setText("T6", "07:40:01 AM");
        QTRY_VERIFY(p.shows("Next bell 07:40:01 AM · Periad 2 · in 9 min"));
        p.tick(5 * 60);
        QTRY_VERIFY(p.shows("Next bell 07:40:01 AM · Periad 2 · in 4 min"));
        p.controls.setCheckValue("C6", 0);
        QTRY_VERIFY(p.shows("Next bell 07:50:01 AM · Teaching Start · in 14 min"));
    }

    void recordsEveryBellRung_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("expected");
        const QString missing = QDir::toNativeSeparators(folder_.filePath("period5.wma"));
        QTest::newRow("three rings and a press")
            << QStringList{"T6", "T7", "T8"}
            << QStringList{"rang Periad 2 at 07:31:01 AM: period2.wma",
                           "rang Periad 3 at 07:31:02 AM: period3.wma",
                           "rang Periad 4 at 07:31:03 AM: period4.wma",
                           "pressed End Bell: end.wma"};
        QTest::newRow("a missing recording")
            << QStringList{"T10"}
            << QStringList{"rang Periad 5 at 07:31:01 AM: period5.wma",
                           "Cannot play " + missing + ": file not found",
                           "pressed End Bell: end.wma"};
    }

    void recordsEveryBellRung() {
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, expected);
        Program p(folder_.path());
        StderrCapture captured;
        for (int n = 0; n < boxes.size(); ++n)
            p.controls.setText(boxes[n].toStdString(), "07:31:0" + std::to_string(n + 1) + " AM");
        p.tick(5);
        QTest::mouseClick(p.form.widget("Command19"), Qt::LeftButton);
        // The record's lines and the player's own, without its other news (the sink it found).
        QStringList lines =
            captured.lines().filter(QRegularExpression("^chimewick: (rang|pressed|Cannot play) "));
        lines.replaceInStrings(QRegularExpression("^chimewick: "), QString());
        QCOMPARE(lines, expected);
    }
};

QTEST_MAIN(TestOfficeLines)
#include "tst_officelines.moc"
