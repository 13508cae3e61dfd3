// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "BellPreparer.h"
#include "Clock.h"
#include "ClockSyncWatch.h"
#include "Engine.h"
#include "ExecutableFolder.h"
#include "NextBellLine.h"
#include "NextBellWatch.h"
#include "OutputKeepAwake.h"
#include "QtControls.h"
#include "QtForm.h"
#include "Recordings.h"
#include "RingLog.h"
#include "SingleInstance.h"
#include "SleepHolds.h"
#include "SoundOutputWatch.h"
#include "StandingWarnings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

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

// Every library writes under a category of its own ("chimewick.player", "chimewick.desktop"):
// the reader sees one name, "chimewick: ...", whichever wrote the line.
QtMessageHandler toolkitHandler = nullptr;
void writeLine(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (context.category && std::strncmp(context.category, "chimewick.", 10) == 0) {
        const QMessageLogContext program(context.file, context.line, context.function, "chimewick");
        toolkitHandler(type, program, message);
    } else {
        toolkitHandler(type, context, message);
    }
}

// The program's own options, one line each: its names, then what it does. The rest of main()
// asks parser.isSet(name).
constexpr std::pair<const char*, const char*> ProgramOptions[] = {
    {"h|help", "Show the options and end."},
    {"v|version", "Show the version and end."},
    {"let-output-sleep", "Let the sound output sleep between bells, as on a laptop on battery."},
    {"follow-weekday", "At midnight, apply the new day's weekday profile, as at start."},
};

// What Qt itself reads from the command line (QGuiApplication's and QApplication's options):
// accepted here and left to the toolkit, unlisted in the help.
void acceptToolkitOptions(QCommandLineParser& parser) {
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qmljsdebugger", "qwindowgeometry", "qwindowicon", "qwindowtitle",
                             "session", "display", "geometry", "style", "stylesheet"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString usage(const QCommandLineParser& parser) {
    // Named as the user types it, not by the path of the binary behind the launcher.
    return QStringLiteral("Usage: chimewick [options]\n") + parser.helpText().section(u'\n', 1);
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Read before the toolkit starts, so that help, the version and a mistake are answered
// without a display and without reaching a running copy. Returns the exit status when the
// program is to end at once.
std::optional<int> readCommandLine(QCommandLineParser& parser, int argc, char* argv[]) {
    parser.setApplicationDescription(QStringLiteral(
        "Rings the bells of a school day: a timetable of 24 bells, a clock and 26 bell "
        "buttons in one window."));
    // Qt's own options come with one dash ("-platform xcb").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto& [names, description] : ProgramOptions)
        parser.addOption({QString::fromLatin1(names).split(u'|'), QString::fromUtf8(description)});
    acceptToolkitOptions(parser);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString mistake;
    if (!parser.parse(arguments))
        mistake = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        mistake = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
    if (!mistake.isEmpty()) {
        print(stderr, QStringLiteral("chimewick: ") + mistake + u'\n' + usage(parser));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, usage(parser));
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        print(stdout, QStringLiteral(CHIMEWICK_NAME " " CHIMEWICK_VERSION "\n"));
        return 0;
    }
    return std::nullopt;
}

// Answers a later start. On Wayland the compositor brings a window forward only with a token
// it gave the later start; Qt's Wayland plugin (6.4 and 6.8 alike) hands it over from this
// variable when the window asks to be activated.
void bringForward(QWidget& form, const QString& activationToken) {
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toLatin1());
    form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.show();
    form.raise();
    form.activateWindow();
}

} // namespace

int main(int argc, char* argv[]) {
    QCommandLineParser parser;
    if (const std::optional<int> status = readCommandLine(parser, argc, argv))
        return *status;
    // Every line the program writes to standard error: "chimewick: ..." for its own, the
    // category's name first for the toolkit's.
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
    toolkitHandler = qInstallMessageHandler(writeLine);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(CHIMEWICK_NAME));
    QApplication::setApplicationVersion(QStringLiteral(CHIMEWICK_VERSION));
    // The desktop entry's id: a Wayland compositor ties the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(CHIMEWICK_APP_ID));
    chimewick::SingleInstance instance;
    if (!instance.claim(qEnvironmentVariable("XDG_ACTIVATION_TOKEN")))
        return 0; // the running copy shows itself
    QApplication::setStyle(QStringLiteral("Fusion"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/chimewick-32.png"));
    icon.addFile(QStringLiteral(":/icons/chimewick-16.png"));
    QApplication::setWindowIcon(icon);

    chimewick::RingLog ringLog; // outlives the window, whose player reports to it
    chimewick::QtForm form;
    chimewick::QtControls controls(form);
    chimewick::SystemClock clock;
    // Every bell rung goes on record, and so does a recording that could not be played.
    chimewick::Engine engine(
        controls, clock, programFolder,
        [&ringLog](const chimewick::RingRecord& rung) { ringLog.record(rung); });
    ringLog.follow(*form.player());
    // A window left open past midnight says so, or with this option follows the new day.
    engine.setFollowWeekday(parser.isSet(QStringLiteral("follow-weekday")));
    engine.setDayNotice([&form](const std::string& line) {
        form.player()->setDayNotice(QString::fromStdString(line));
    });
    // One next bell, worked out at the tick's second and after every timetable edit: named in
    // the player's display, and opened a few seconds ahead, so its second finds it ready.
    const chimewick::NextBellWatch nextBell(form, controls, clock);
    const chimewick::NextBellLine nextBellLine(nextBell, *form.player());
    const chimewick::BellPreparer preparer(nextBell, programFolder, *form.player());

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
    QObject::connect(&instance, &chimewick::SingleInstance::showRequested, &form,
                     [&form](const QString& token) { bringForward(form, token); });
    const chimewick::SleepHolds awake; // for the life of the window
    // The output too, unless a laptop on battery would rather let it sleep between bells.
    chimewick::OutputKeepAwake outputAwake;
    if (!parser.isSet(QStringLiteral("let-output-sleep")))
        outputAwake.start();
    return QApplication::exec();
}
