// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "ClockSyncWatch.h"
#include "PlayerSettings.h"
#include "SoundOutputWatch.h"
#include "StandingWarnings.h"
#include "StderrCapture.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace chimewick;

namespace {

const QString ClockLine = ClockSyncWatch::notSynchronisedText();
const QString MutedLine = SoundOutputWatch::mutedText();

// The player's display fed by standing warnings, as the program wires it.
struct PlayerDisplay {
    BellPlayer player{decodePlayerSettings(wmpStateRecord())};
    StandingWarnings warnings;
    PlayerDisplay() {
        QObject::connect(&warnings, &StandingWarnings::changed, &player,
                         &BellPlayer::setStandingWarnings);
    }
    bool shows(const QString& text) const { return player.displayText().contains(text); }
};

// A private bus standing in for the system bus, with a timedated stand-in on it when asked.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    ~PrivateBus() {
        for (QProcess* p : {&mock_, &daemon_}) {
            p->terminate();
            p->waitForFinished(3000);
        }
        QDBusConnection::disconnectFromBus(name());
    }
    QString address() const { return address_; }
    QString name() const { return QStringLiteral("private-system"); }
    QDBusConnection connection() const { return QDBusConnection::connectToBus(address_, name()); }

    bool startTimedated(bool ntp) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
        mock_.setProcessEnvironment(env);
        mock_.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                     QStringLiteral("timedated"), QStringLiteral("--system"), QStringLiteral("-p"),
                     QStringLiteral("{\"NTP\": %1}").arg(ntp ? "true" : "false")});
        const QString service = QStringLiteral("org.freedesktop.timedate1");
        for (int i = 0; i < 100; ++i) {
            if (connection().interface()->isServiceRegistered(service))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    // The stand-in's SetNTP turns network time on or off and the clock with it.
    void setNtp(bool on) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.timedate1"),
            QStringLiteral("/org/freedesktop/timedate1"),
            QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetNTP"));
        call << on << false;
        connection().call(call);
    }

private:
    QProcess daemon_;
    QProcess mock_;
    QString address_;
};

// What pactl printed; a failure is reported and fails the test at its next check.
QString pactl(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    if (!p.waitForFinished(5000) || p.exitCode() != 0) {
        qWarning("pactl %s: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
        return QStringLiteral("failed");
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Keeps a sink running while the test changes it, by recording its monitor: PipeWire 1.4
// leaves the mute and volume of a suspended null sink as they were (a real output's are its
// device's, suspended or not).
class Awake {
public:
    explicit Awake(const QString& sink) {
        parec_.setStandardOutputFile(QProcess::nullDevice());
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("-d"), sink + QStringLiteral(".monitor")});
        for (int i = 0; i < 50 && isSuspended(sink); ++i)
            QTest::qWait(100);
    }
    ~Awake() {
        parec_.kill();
        parec_.waitForFinished();
    }
    Awake(const Awake&) = delete;
    Awake& operator=(const Awake&) = delete;

private:
    static bool isSuspended(const QString& sink) {
        for (const QString& line : pactl({"list", "sinks", "short"}).split('\n'))
            if (line.section('\t', 1, 1) == sink)
                return line.endsWith(QLatin1String("SUSPENDED"));
        return true;
    }
    QProcess parec_;
};

} // namespace

class TestWarnings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The watches' lines reach standard error as in the program, where the tests read them.
        qInstallMessageHandler(nullptr);
    }

    void standingWarningsBesideTheBellsMessage() {
        PlayerDisplay display;
        display.warnings.set(QStringLiteral("clock"), ClockLine);
        display.warnings.set(QStringLiteral("output"), MutedLine);
        // A bell's message replaces the last one, never the warnings.
        display.player.showNotice(QStringLiteral("Cannot play belle.wma: file not found"));
        display.player.setUrl(QStringLiteral("/nonexistent/bell.wma"));
        QVERIFY(display.shows(ClockLine + '\n' + MutedLine));
        QVERIFY(display.shows(QStringLiteral("Cannot play bell.wma")));
        QVERIFY(!display.shows(QStringLiteral("belle.wma")));

        // Each keeps a line of the display at the player's size, and a screen reader reads them.
        display.player.resize(display.player.sizeHint());
        display.player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display.player));
        int shown = 0;
        for (QLabel* label : display.player.findChildren<QLabel*>()) {
            const QString name =
                QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
            if (name.contains(QStringLiteral("bell.wma")) || name.contains(MutedLine)) {
                QVERIFY2(label->height() >= label->fontMetrics().lineSpacing(), qPrintable(name));
                ++shown;
            }
        }
        QCOMPARE(shown, 2);

        display.warnings.clear(QStringLiteral("clock"));
        QVERIFY(!display.shows(ClockLine));
        display.warnings.set(QStringLiteral("output"), {});
        QVERIFY(!display.shows(MutedLine));
        QVERIFY(display.shows(QStringLiteral("Cannot play bell.wma")));
    }

    void clockSync_data() {
        QTest::addColumn<bool>("ntp");
        QTest::newRow("not synchronised at start") << false;
        QTest::newRow("synchronised at start") << true;
    }
    void clockSync() {
        QFETCH(bool, ntp);
        PrivateBus bus;
        QVERIFY(!bus.address().isEmpty());
        QVERIFY(bus.startTimedated(ntp));
        PlayerDisplay display;
        ClockSyncWatch watch(bus.connection());
        display.warnings.follow(QStringLiteral("clock"), &watch);
        watch.start();
        if (ntp) {
            QTest::qWait(300);
            QVERIFY(!display.shows(ClockLine));
        }
        QTRY_COMPARE(display.shows(ClockLine), !ntp);
        // Followed as it changes, both ways.
        bus.setNtp(!ntp);
        QTRY_COMPARE(display.shows(ClockLine), ntp);
    }

    void clockSyncUnknown_data() {
        QTest::addColumn<bool>("bus");
        QTest::newRow("no system bus") << false;
        QTest::newRow("no timedated") << true;
    }
    void clockSyncUnknown() {
        QFETCH(bool, bus);
        PrivateBus privateBus;
        const QDBusConnection connection =
            bus ? privateBus.connection()
                : QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                QStringLiteral("no-bus"));
        StderrCapture capture;
        PlayerDisplay display;
        ClockSyncWatch watch(connection);
        display.warnings.follow(QStringLiteral("clock"), &watch);
        watch.start();
        // Read without taking standard error back, until the line comes; then once more.
        QTRY_VERIFY_WITH_TIMEOUT(!capture.peek().isEmpty(), 10000);
        QTest::qWait(100); // a second line, said at once, would show here
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(
                     QStringLiteral("chimewick: cannot tell whether the clock is synchronised")),
                 qPrintable(lines[0]));
        QVERIFY(display.warnings.text().isEmpty());
    }

    // Needs the null sink "bells" as the default output of the server in XDG_RUNTIME_DIR.
    void soundOutput_data() {
        QTest::addColumn<QStringList>("silence");
        QTest::addColumn<QStringList>("restore");
        QTest::newRow("muted") << QStringList{"set-sink-mute", "bells", "1"}
                               << QStringList{"set-sink-mute", "bells", "0"};
        QTest::newRow("volume zero") << QStringList{"set-sink-volume", "bells", "0"}
                                     << QStringList{"set-sink-volume", "bells", "100%"};
        QTest::newRow("default moved to a muted output")
            << QStringList{"set-default-sink", "spare"} << QStringList{"set-default-sink", "bells"};
    }
    void soundOutput() {
        QFETCH(QStringList, silence);
        QFETCH(QStringList, restore);
        if (!qEnvironmentVariableIsSet("CHIMEWICK_SOUND_SERVER"))
            QSKIP("run by tst_warnings_sound_server, beside the null sink");
        const QString spare = pactl({"load-module", "module-null-sink", "sink_name=spare"});
        // The sink is shared with the tests that follow: put back even when a check fails.
        const auto putBack = qScopeGuard([&] {
            pactl({"set-default-sink", "bells"});
            pactl({"set-sink-mute", "bells", "0"});
            pactl({"set-sink-volume", "bells", "100%"});
            pactl({"unload-module", spare});
        });
        const Awake bells(QStringLiteral("bells")), spareAwake(QStringLiteral("spare"));
        QCOMPARE(pactl({"set-sink-mute", "spare", "1"}), QString());
        PlayerDisplay display;
        SoundOutputWatch watch;
        display.warnings.follow(QStringLiteral("output"), &watch);
        watch.start();
        QTest::qWait(300);
        QVERIFY(!display.shows(MutedLine));
        QCOMPARE(pactl(silence), QString());
        QTRY_VERIFY(display.shows(MutedLine));
        QCOMPARE(pactl(restore), QString());
        QTRY_VERIFY(!display.shows(MutedLine));
    }

    // A server that starts after the program, and one that goes: followed, quietly.
    void soundOutputServerComesAndGoes() {
        QTemporaryDir runtime;
        const QString nullSink = QStringLiteral(CHIMEWICK_NULL_SINK_SCRIPT);
        const QString server = qEnvironmentVariable("CHIMEWICK_SOUND_SERVER", "pulseaudio");
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const auto stopServer = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("bash"),
                              {nullSink, QStringLiteral("stop"), runtime.path(), server});
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
        });
        StderrCapture capture;
        PlayerDisplay display;
        SoundOutputWatch watch;
        watch.setRetryInterval(200);
        display.warnings.follow(QStringLiteral("output"), &watch);
        watch.start();
        QTest::qWait(300);
        QCOMPARE(QProcess::execute(QStringLiteral("bash"),
                                   {nullSink, QStringLiteral("start"), runtime.path(), server}),
                 0);
        const Awake bells(QStringLiteral("bells"));
        QCOMPARE(pactl({"set-sink-mute", "bells", "1"}), QString());
        QTRY_VERIFY_WITH_TIMEOUT(display.shows(MutedLine), 10000);
        QProcess::execute(QStringLiteral("bash"),
                          {nullSink, QStringLiteral("stop"), runtime.path(), server});
        QTRY_VERIFY(!display.shows(MutedLine));
        // Once when there was none, once when it went, not at every try.
        QCOMPARE(capture.lines().filter(QStringLiteral("cannot tell whether the sound")).size(), 2);
    }

    void soundOutputWithoutServer() {
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        const auto restoreServer = qScopeGuard([&] {
            if (savedServer.isNull())
                qunsetenv("PULSE_SERVER");
            else
                qputenv("PULSE_SERVER", savedServer);
        });
        qputenv("PULSE_SERVER", "unix:/nonexistent/pulse");
        StderrCapture capture;
        PlayerDisplay display;
        SoundOutputWatch watch;
        display.warnings.follow(QStringLiteral("output"), &watch);
        watch.start();
        QTRY_VERIFY_WITH_TIMEOUT(!capture.peek().isEmpty(), 10000);
        QTest::qWait(100); // a second line, said at once, would show here
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("chimewick: cannot tell whether the sound")),
                 qPrintable(lines[0]));
        QVERIFY(display.warnings.text().isEmpty());
    }
};

QTEST_MAIN(TestWarnings)
#include "tst_warnings.moc"
