#include "BellPlayer.h"
#include "Clock.h"
#include "Engine.h"
#include "ExecutableFolder.h"
#include "QtControls.h"
#include "QtForm.h"
#include "Recordings.h"
#include "SingleInstance.h"
#include "SleepHolds.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

namespace {

// Asked of the system at each ring, so a folder renamed while the program runs is followed.
std::string programFolder() {
    return chimewick::executableFolder();
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

    reportMissingBells(*form.player());
    form.start(engine.actions());
    QObject::connect(&instance, &chimewick::SingleInstance::showRequested, &form, [&form] {
        form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
        form.show();
        form.raise();
        form.activateWindow();
    });
    const chimewick::SleepHolds awake; // for the life of the window
    return QApplication::exec();
}
