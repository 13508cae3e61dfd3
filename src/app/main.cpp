#include "BellCatalogue.h"
#include "BellPlayer.h"
#include "Clock.h"
#include "Engine.h"
#include "QtControls.h"
#include "QtForm.h"
#include "Ring.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QStringList>

namespace {

std::string programFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

// Said once at start, so a school sees a missing recording before its bell is due.
void reportMissingBells(chimewick::BellPlayer& player) {
    QStringList missing;
    const std::string folder = programFolder();
    for (const chimewick::Bell& bell : chimewick::bellCatalogue()) {
        const QString path = QString::fromStdString(chimewick::bellPath(folder, bell.fileName));
        if (!QFileInfo(path).isFile())
            missing << QFileInfo(path).fileName();
    }
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
