// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Clock.h"
#include "Engine.h"
#include "QtControls.h"
#include "QtForm.h"
#include "Recordings.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

namespace {

std::string programFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

// Said once at start, so a school sees a missing recording before its bell is due.
void reportMissingBells(chimewick::BellPlayer& player) {
    QStringList missing;
    for (const std::string& name : chimewick::missingRecordings(programFolder()))
        missing << QString::fromStdString(name);
    if (!missing.isEmpty())
        player.showNotice(QStringLiteral("Missing bell files: ") +
                          missing.join(QStringLiteral(", ")));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(CHIMEWICK_NAME));
    QApplication::setApplicationVersion(QStringLiteral(CHIMEWICK_VERSION));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/chimewick-32.png"));
    icon.addFile(QStringLiteral(":/icons/chimewick-16.png"));
    QApplication::setWindowIcon(icon);

    chimewick::QtForm form;
    chimewick::QtControls controls(form);
    chimewick::SystemClock clock;
    chimewick::Engine engine(controls, clock, programFolder);

    reportMissingBells(*form.player());
    form.start(engine.actions());
    return QApplication::exec();
}
