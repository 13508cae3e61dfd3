// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "BellPreparer.h"
#include "Clock.h"
#include "ClockSyncWatch.h"
#include "Engine.h"
#include "ExecutableFolder.h"
#include "QtControls.h"
#include "QtForm.h"
#include "Recordings.h"
#include "SingleInstance.h"
#include "SleepHolds.h"
#include "SoundOutputWatch.h"
#include "StandingWarnings.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

namespace {

// Asked of the system at each ring, so a folder renamed while the program runs is followed.
std::string programFolder() {
    return chimewick::executableFolder();
}

// Said once at start, so a school sees a missing recording before its bell is due.
void reportMissingBells(chimewick::StandingWarnings& warnings) {
    QStringList missing;
    for (const std::string& name : chimewick::missingRecordings(programFolder()))
        missing << QString::fromStdString(name);
    if (!missing.isEmpty())
        warnings.set(QStringLiteral("recordings"),
                     QStringLiteral("Missing bell files: ") + missing.join(QStringLiteral(", ")));
}

} // namespace

int main(int argc, char* argv[]) {
    // Every line the program writes to standard error: "chimewick: ..." for its own, the
    // category's name first for the toolkit's.
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(CHIMEWICK_NAME));
    QApplication::setApplicationVersion(QStringLiteral(CHIMEWICK_VERSION));
    chimewick::SingleInstance instance;
    if (!instance.claim())
        return 0; // the running copy shows itself
    QApplication::setStyle(QStringLiteral("Fusion"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/chimewick-32.png"));
    icon.addFile(QStringLiteral(":/icons/chimewick-16.png"));
    QApplication::setWindowIcon(icon);

    chimewick::QtForm form;
    chimewick::QtControls controls(form);
    chimewick::SystemClock clock;
    chimewick::Engine engine(controls, clock, programFolder);

    // What would make every bell wrong stays in the player's display while it lasts.
    chimewick::StandingWarnings warnings;
    QObject::connect(&warnings, &chimewick::StandingWarnings::changed, form.player(),
                     &chimewick::BellPlayer::setStandingWarnings);
    chimewick::ClockSyncWatch clockSync;
    warnings.follow(QStringLiteral("clock"), &clockSync);
    chimewick::SoundOutputWatch soundOutput;
    warnings.follow(QStringLiteral("output"), &soundOutput);
    reportMissingBells(warnings);
    clockSync.start();
    soundOutput.start();
    form.start(engine.actions());
    // The next bell opens a few seconds ahead, so its second finds it ready to sound.
    chimewick::BellPreparer preparer(controls, clock, programFolder, *form.player());
    preparer.start();
    QObject::connect(&instance, &chimewick::SingleInstance::showRequested, &form, [&form] {
        form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
        form.show();
        form.raise();
        form.activateWindow();
    });
    const chimewick::SleepHolds awake; // for the life of the window
    return QApplication::exec();
}
