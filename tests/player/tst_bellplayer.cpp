// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Playback.h"
#include "PlayerControls.h"
#include "PlayerSettings.h"
#include "StderrCapture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <gst/gst.h>
#include <linux/capability.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utility>

using chimewick::BellPlayer;
using chimewick::PlayerSettings;
using chimewick::PlayState;

namespace {

// Root reads a file without permissions through two capabilities. This thread sets them aside
// while it lives, so that permissions hold for root too: the player checks a file on the
// thread that names it, and capabilities belong to each thread alone.
class WithoutReadOverride {
public:
    WithoutReadOverride() { set(false); }
    ~WithoutReadOverride() { set(true); }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;

private:
    static void set(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
        if (syscall(SYS_capget, &header, data) != 0)
            return;
        for (const unsigned cap : {unsigned{CAP_DAC_OVERRIDE}, unsigned{CAP_DAC_READ_SEARCH}}) {
            __user_cap_data_struct& word = data[CAP_TO_INDEX(cap)];
            word.effective = on ? word.effective | (word.permitted & CAP_TO_MASK(cap))
                                : word.effective & ~CAP_TO_MASK(cap);
        }
        syscall(SYS_capset, &header, data);
    }
};

constexpr int PlayTimeout = 20000;

QString shipped(const QString& name) {
    return QStringLiteral(CHIMEWICK_SOUNDS_DIR "/") + name;
}
QString thirdParty(const QString& name) {
    return QStringLiteral(CHIMEWICK_THIRD_PARTY_DIR "/") + name;
}

PlayerSettings storedSettings() {
    return chimewick::decodePlayerSettings(chimewick::wmpStateRecord());
}

bool dialogShown() {
    const auto windows = QApplication::topLevelWidgets();
    return QApplication::activeModalWidget() != nullptr ||
           std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
               return w->isVisible() && qobject_cast<QDialog*>(w) != nullptr;
           });
}

QAction* action(const BellPlayer& player, const QString& text) {
    for (QAction* a : player.controls()->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// The sound sinks that any bin of the process takes in, found apart from the player's tuning.
std::mutex sinksMutex;
QList<GstElement*> sinks;
gboolean collectSink(GSignalInvocationHint*, guint count, const GValue* values, gpointer) {
    auto* element = count > 1 ? GST_ELEMENT(g_value_get_object(&values[1])) : nullptr;
    if (element && !GST_IS_BIN(element) && GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK)) {
        const std::lock_guard lock(sinksMutex);
        sinks << GST_ELEMENT(gst_object_ref(element));
    }
    return TRUE;
}

// What the pipelines of the process take in: how many elements, and the pipelines themselves.
struct Made {
    std::mutex mutex;
    int elements = 0;
    QList<GstObject*> pipelines;
} made;
gboolean countMade(GSignalInvocationHint*, guint count, const GValue* values, gpointer) {
    if (count < 1)
        return TRUE;
    auto* top = GST_OBJECT(gst_object_ref(g_value_get_object(&values[0])));
    while (GstObject* parent = gst_object_get_parent(top)) {
        gst_object_unref(top);
        top = parent;
    }
    const std::lock_guard lock(made.mutex);
    ++made.elements;
    // A bin fills itself before it has a place: only a pipeline is a top.
    if (GST_IS_PIPELINE(top) && !made.pipelines.contains(top))
        made.pipelines << top;
    else
        gst_object_unref(top);
    return TRUE;
}

// The sound server's streams by their numbers; none without a server.
QStringList serverStreams() {
    if (!qEnvironmentVariableIsSet("CHIMEWICK_SOUND_SERVER"))
        return {};
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {"list", "short", "sink-inputs"});
    pactl.waitForFinished(5000);
    QStringList numbers;
    for (const QString& line :
         QString::fromUtf8(pactl.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        numbers << line.section(u'\t', 0, 0);
    return numbers;
}

// Counts the recordings the player plays to their end from the moment it is made.
struct EndCounter {
    explicit EndCounter(const BellPlayer& player) {
        const chimewick::Playback* playback = player.playback();
        last = playback->state();
        QObject::connect(playback, &chimewick::Playback::changed, &guard, [this, playback] {
            const PlayState now = playback->state();
            ends += now == PlayState::Ended && last != PlayState::Ended;
            last = now;
        });
    }
    QObject guard;
    PlayState last;
    int ends = 0;
};

// The loudest sample at the sound server's null sink while it lives, in dBFS; through a real
// server only (the monitor of the test's sink "bells").
class Monitor {
public:
    Monitor() {
        if (!qEnvironmentVariableIsSet("CHIMEWICK_SOUND_SERVER"))
            return;
        parec_.start(QStringLiteral("parec"), {"-d", "bells.monitor", "--raw", "--format=s16le",
                                               "--rate=8000", "--channels=1", "--latency-msec=20"});
        // Listening once the monitor's first samples arrive.
        parec_.waitForReadyRead(5000);
    }
    ~Monitor() { samples(); }
    bool listening() const { return parec_.state() != QProcess::NotRunning; }
    // Stops listening; the samples heard, at 8000 a second.
    const QList<int>& samples() {
        if (listening()) {
            QTest::qWait(150); // what is on its way to the monitor
            parec_.terminate();
            parec_.waitForFinished(2000);
            const QByteArray raw = parec_.readAllStandardOutput();
            for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
                samples_ << std::abs(int(qint16(quint8(raw[i]) | quint8(raw[i + 1]) << 8)));
        }
        return samples_;
    }
    double peakDb() {
        const QList<int>& heard = samples();
        return toDb(heard.isEmpty() ? 0 : *std::max_element(heard.begin(), heard.end()));
    }
    // Milliseconds from the start of listening to the first sample at or above the level.
    double firstAtMs(double db) {
        const QList<int>& heard = samples();
        const auto at =
            std::find_if(heard.begin(), heard.end(), [db](int v) { return toDb(v) >= db; });
        return at == heard.end() ? -1.0 : double(at - heard.begin()) / 8.0;
    }
    static double toDb(int sample) { return 20.0 * std::log10(std::max(sample, 1) / 32768.0); }

private:
    QProcess parec_;
    QList<int> samples_;
};

bool copy(const QString& from, const QString& to) {
    return QDir().mkpath(QFileInfo(to).absolutePath()) && QFile::copy(from, to);
}

} // namespace

class TestBellPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    // First: it checks what the process says at its first bell.
    void soundSinkIsTuned();
    void settingsAreApplied_data();
    void settingsAreApplied();
    void contextMenuActions_data();
    void contextMenuActions();
    void refreshesMakeNoNewIcons();
    void silentUntilFirstFile();
    void plays_data();
    void plays();
    void failureIsReported_data();
    void failureIsReported();
    void operatorControls_data();
    void operatorControls();
    void newFileReplacesPlayingOne();
    void backToBack_data();
    void backToBack();
    void samePathRestarts_data();
    void samePathRestarts();
    void seekBeforeLengthIsKnownStillPlays();
    void seekWhileOutputJoinsDoesNotLock();
    void preparedBell_data();
    void preparedBell();
    void heldBellIsTheOneRung();
    void recordingStartsItself_data();
    void recordingStartsItself();
};

void TestBellPlayer::initTestCase() {
    // The player's lines reach standard error as in the program, where the tests read them.
    qInstallMessageHandler(nullptr);
}

// The first row takes the settings as the window stores them; the others change some.
void TestBellPlayer::settingsAreApplied_data() {
    QTest::addColumn<bool>("fromRecord");
    QTest::addColumn<int>("volume");
    QTest::addColumn<bool>("mute");
    QTest::addColumn<int>("playCount");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("contextMenu");
    QTest::addColumn<QString>("uiMode");
    QTest::addColumn<bool>("buttonsShown");
    QTest::addColumn<bool>("slidersShown");
    QTest::newRow("stored record")
        << true << 50 << false << 1 << true << true << "full" << true << true;
    QTest::newRow("loud, muted, mini")
        << false << 100 << true << 1 << true << true << "mini" << true << false;
    QTest::newRow("silent, no controls")
        << false << 0 << false << 3 << false << false << "none" << false << false;
}

void TestBellPlayer::settingsAreApplied() {
    QFETCH(bool, fromRecord);
    QFETCH(int, volume);
    QFETCH(bool, mute);
    QFETCH(int, playCount);
    QFETCH(bool, enabled);
    QFETCH(bool, contextMenu);
    QFETCH(QString, uiMode);
    QFETCH(bool, buttonsShown);
    QFETCH(bool, slidersShown);
    PlayerSettings settings = storedSettings();
    if (!fromRecord) {
        settings.volume = volume;
        settings.mute = mute;
        settings.playCount = playCount;
        settings.enabled = enabled;
        settings.enableContextMenu = contextMenu;
        settings.uiMode = uiMode.toStdU16String();
    }
    BellPlayer player(settings);

    QCOMPARE(player.playback()->volume(), volume);
    QCOMPARE(player.playback()->isMuted(), mute);
    QCOMPARE(player.playback()->playCount(), playCount);
    QCOMPARE(player.playback()->rate(), 1.0);
    QCOMPARE(player.isEnabled(), enabled);
    QCOMPARE(player.controls()->contextMenuPolicy(),
             contextMenu ? Qt::ActionsContextMenu : Qt::NoContextMenu);
    const auto sliders = player.findChildren<QSlider*>();
    const auto buttons = player.findChildren<QToolButton*>();
    QCOMPARE(sliders.size(), 2);
    QCOMPARE(buttons.size(), 3);
    for (QSlider* slider : sliders)
        QCOMPARE(slider->isVisibleTo(&player), slidersShown);
    for (QToolButton* button : buttons)
        QCOMPARE(button->isVisibleTo(&player), buttonsShown);
}

void TestBellPlayer::contextMenuActions_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<float>("volume");
    QTest::addColumn<bool>("muted");
    const PlayerSettings s = storedSettings();
    const float stored = static_cast<float>(s.volume) / 100.0f;
    QTest::newRow("volume up") << "Volume up" << stored + 0.1f << false;
    QTest::newRow("volume down") << "Volume down" << stored - 0.1f << false;
    QTest::newRow("mute") << "Mute" << stored << true;
}

void TestBellPlayer::contextMenuActions() {
    QFETCH(QString, entry);
    QFETCH(float, volume);
    QFETCH(bool, muted);
    BellPlayer player(storedSettings());
    QAction* chosen = action(player, entry);
    QVERIFY2(chosen, qPrintable(entry));
    chosen->trigger();
    QVERIFY(qFuzzyCompare(static_cast<float>(player.playback()->volume()) / 100.0f, volume));
    QCOMPARE(player.playback()->isMuted(), muted);
    QVERIFY(action(player, QStringLiteral("Play")));
    QVERIFY(action(player, QStringLiteral("Stop")));
}

// The display is refreshed four times a second while a bell plays: each new icon left its
// pixmaps in the toolkit's cache, so the same state must show the same icon. A new palette
// still gets icons of its own colour.
void TestBellPlayer::refreshesMakeNoNewIcons() {
    BellPlayer player(storedSettings());
    chimewick::PlayerControls& controls = *player.controls();
    const auto iconKeys = [&controls] {
        QList<qint64> keys;
        for (const QAction* action : controls.actions())
            keys << action->icon().cacheKey();
        return keys;
    };
    const QList<qint64> first = iconKeys();
    for (int i = 0; i < 20; ++i) {
        controls.setState(i % 2 ? PlayState::Playing : PlayState::Stopped, true, true);
        controls.setVolume(50, i % 2 == 1);
    }
    controls.setState(PlayState::Stopped, true, true);
    controls.setVolume(50, false);
    QCOMPARE(iconKeys(), first);
    QPalette palette = controls.palette();
    palette.setColor(QPalette::ButtonText, Qt::magenta);
    controls.setPalette(palette);
    controls.setVolume(50, false);
    QVERIFY(iconKeys() != first);
}

void TestBellPlayer::silentUntilFirstFile() {
    BellPlayer player(storedSettings());
    QTest::qWait(200);
    QCOMPARE(player.playback()->state(), PlayState::Stopped);
    QVERIFY(!player.playback()->isActive());
    QVERIFY(player.url().isEmpty());
    QVERIFY2(player.displayText().contains(QStringLiteral("Stopped")),
             qPrintable(player.displayText()));
}

// Each row names a good recording, where it is put and the path handed over; the display
// must name the file that actually plays.
void TestBellPlayer::plays_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("placed");
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("toEnd");
    for (const char* name : {"BellStart.wma", "bell.mp3", "Shareera Suwatha 2.wav"})
        QTest::newRow(name) << shipped(name) << QString() << QString() << name << true;
    // real_example.wma is missing here: GStreamer's ASF demuxer rejects it (see the failures).
    for (const char* name :
         {"silence-1.wma", "lossless.wma", "alaw.wav", "uint8we.wav", "float64.wav", "lame_vbr.mp3",
          "xing.mp3", "mpeg2.mp3", "bladeenc.mp3", "zero-size-chunk.wav"})
        QTest::newRow(name) << thirdParty(name) << QString() << QString() << name << true;
    // These rows are about the path, not the decoding: sounding for a while is enough.
    const auto copied = [](const char* tag, const char* from, const QString& placed,
                           const QString& requested, const QString& shown) {
        QTest::newRow(tag) << shipped(from) << placed << requested << shown << false;
    };
    for (const char* folder :
         {"with blanks", "hash#mark", "per%20cent", "Pāsala ශ්‍රී"}) {
        const QString placed = QString::fromUtf8(folder) + QStringLiteral("/Jathika Geeya.mp3");
        copied(folder, "Jathika Geeya.mp3", placed, placed, QStringLiteral("Jathika Geeya.mp3"));
    }
    const QString odd = QStringLiteral("odd/bell #2 100%.mp3");
    copied("name with # and %", "bell.mp3", odd, odd, QStringLiteral("bell #2 100%.mp3"));
    copied("letter case differs", "BellStart.wma", QStringLiteral("case/bellstart.WMA"),
           QStringLiteral("case/BellStart.wma"), QStringLiteral("bellstart.WMA"));
    copied("accented letter case differs", "BellStart.wma", QStringLiteral("case/ÉCOLE.WMA"),
           QStringLiteral("case/école.wma"), QStringLiteral("ÉCOLE.WMA"));
}

void TestBellPlayer::plays() {
    QFETCH(QString, source);
    QFETCH(QString, placed);
    QFETCH(QString, requested);
    QFETCH(QString, shown);
    QFETCH(bool, toEnd);
    if (!QFileInfo::exists(source) && source.startsWith(QStringLiteral(CHIMEWICK_THIRD_PARTY_DIR)))
        QSKIP("the third-party test recordings are not present");
    QVERIFY2(QFileInfo::exists(source), qPrintable(source));
    QTemporaryDir dir;
    QString path = source;
    if (!placed.isEmpty()) {
        QVERIFY(copy(source, dir.filePath(placed)));
        path = dir.filePath(requested);
    }

    BellPlayer player(storedSettings());
    QSignalSpy failures(&player, &BellPlayer::playbackFailed);
    QElapsedTimer clock;
    clock.start();
    player.setUrl(path);
    QCOMPARE(player.url(), path);
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 0 ||
                                 player.playback()->state() == PlayState::Ended,
                             PlayTimeout);
    qInfo("%s: buffered and playing after %lld ms", qPrintable(shown), clock.elapsed());
    QVERIFY2(player.displayText().contains(shown), qPrintable(player.displayText()));
    if (toEnd) {
        QTRY_COMPARE_WITH_TIMEOUT(player.playback()->state(), PlayState::Ended, PlayTimeout);
        QVERIFY2(player.displayText().contains(QStringLiteral("Ended")),
                 qPrintable(player.displayText()));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 300, PlayTimeout);
        QCOMPARE(player.playback()->state(), PlayState::Playing);
    }
    QCOMPARE(failures.count(), 0);
}

// Each row builds a recording that cannot sound; kind says how.
void TestBellPlayer::failureIsReported_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* tag, const char* kind, const char* name, const char* reason) {
        QTest::newRow(tag) << QString::fromUtf8(kind) << QString::fromUtf8(name)
                           << QString::fromUtf8(reason);
    };
    // What the decoder finds wrong: Qt's GStreamer backend sometimes drops the decoder's
    // error (seen with the ASF demuxer), and the player then gives up waiting for the file.
    const char* undecodable = "decode|did not open";
    row("missing", "missing", "BellStart.wma", "file not found");
    row("zero bytes", "empty", "BellStart.wma", "file is empty");
    row("truncated", "truncated", "BellStart.wma", undecodable);
    row("random bytes", "random", "bell.mp3", undecodable);
    row("unreadable", "unreadable", "bell.mp3", "cannot be read");
    row("folder", "folder", "bell.mp3", "folder");
    row("named pipe", "fifo", "bell.mp3", "not a regular file");
    row("two letter-case matches", "twoMatches", "BellStart.wma", "file not found");
    row("garbage.mp3", "thirdParty", "garbage.mp3", undecodable);
    row("invalid-chunk.wav", "thirdParty", "invalid-chunk.wav", undecodable);
    // WMA v2 from a real encoder: FFmpeg reads it, GStreamer's ASF demuxer rejects it ("This
    // doesn't seem to be an ASF file").
    row("real_example.wma", "thirdParty", "real_example.wma", undecodable);
}

void TestBellPlayer::failureIsReported() {
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    std::optional<WithoutReadOverride> unreadableToRoot;
    const QByteArray good = [] {
        QFile file(shipped(QStringLiteral("BellStart.wma")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QVERIFY(!good.isEmpty());
    const auto write = [](const QString& to, const QByteArray& bytes) {
        QFile file(to);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    if (kind == QLatin1String("empty")) {
        QVERIFY(write(path, {}));
    } else if (kind == QLatin1String("truncated")) {
        QVERIFY(write(path, good.left(100)));
    } else if (kind == QLatin1String("random")) {
        QByteArray noise(8192, '\0');
        QRandomGenerator generator(1234);
        for (char& byte : noise)
            byte = static_cast<char>(generator.bounded(256));
        QVERIFY(write(path, noise));
    } else if (kind == QLatin1String("unreadable")) {
        QVERIFY(write(path, good));
        QVERIFY(QFile::setPermissions(path, {}));
        unreadableToRoot.emplace();
        if (QFile probe(path); probe.open(QIODevice::ReadOnly))
            QSKIP("a file without permissions is still readable here, even without the "
                  "capabilities that let root read any file");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(name));
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == QLatin1String("twoMatches")) {
        QVERIFY(write(dir.filePath(name.toLower()), good));
        QVERIFY(write(dir.filePath(name.toUpper()), good));
    } else if (kind == QLatin1String("thirdParty")) {
        if (!QFileInfo::exists(thirdParty(name)))
            QSKIP("the third-party test recordings are not present");
        QVERIFY(QFile::copy(thirdParty(name), path));
    }

    BellPlayer player(storedSettings());
    QSignalSpy failures(&player, &BellPlayer::playbackFailed);
    StderrCapture capture;
    player.setUrl(path);
    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, PlayTimeout);
    QTest::qWait(500); // a late second report from the decoder would show here
    unreadableToRoot.reset();
    const QStringList lines = capture.lines();

    QCOMPARE(failures.count(), 1);
    const QString message = failures.first().first().toString();
    for (const QString& text : {message, player.displayText()}) {
        QVERIFY2(text.contains(name) && text.contains(QRegularExpression(reason)),
                 qPrintable(text));
    }
    QVERIFY2(player.displayText().contains(QStringLiteral("Error")),
             qPrintable(player.displayText()));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(name), qPrintable(lines.first()));
    QVERIFY(!dialogShown());
    QCOMPARE(player.url(), path);

    // The player is not left broken: the next bell sounds.
    const QString next = shipped(QStringLiteral("bell.mp3"));
    player.setUrl(next);
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 0, PlayTimeout);
    QCOMPARE(player.playback()->state(), PlayState::Playing);
    QCOMPARE(failures.count(), 1);
    QVERIFY2(player.displayText().startsWith(QStringLiteral("bell.mp3")),
             qPrintable(player.displayText()));
}

void TestBellPlayer::operatorControls_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<PlayState>("state");
    QTest::addColumn<QString>("shown");
    QTest::newRow("pause") << QStringList{"Pause"} << PlayState::Paused << "Paused";
    QTest::newRow("pause, play") << QStringList{"Pause", "Play"} << PlayState::Playing << "Playing";
    QTest::newRow("stop") << QStringList{"Stop"} << PlayState::Stopped << "Stopped";
    QTest::newRow("stop, play") << QStringList{"Stop", "Play"} << PlayState::Playing << "Playing";
}

void TestBellPlayer::operatorControls() {
    QFETCH(QStringList, entries);
    QFETCH(PlayState, state);
    QFETCH(QString, shown);
    BellPlayer player(storedSettings());
    player.setUrl(shipped(QStringLiteral("Shareera Suwatha 2.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 300, PlayTimeout);
    for (const QString& entry : entries) {
        QAction* chosen = action(player, entry);
        QVERIFY2(chosen && chosen->isEnabled(), qPrintable(entry));
        chosen->trigger();
        QTRY_COMPARE(player.playback()->state(), entry == QLatin1String("Play") ? PlayState::Playing
                                                 : entry == QLatin1String("Pause")
                                                     ? PlayState::Paused
                                                     : PlayState::Stopped);
    }
    QTRY_COMPARE(player.playback()->state(), state);
    QTRY_VERIFY2(player.displayText().contains(shown), qPrintable(player.displayText()));
}

void TestBellPlayer::newFileReplacesPlayingOne() {
    BellPlayer player(storedSettings());
    const QString first = shipped(QStringLiteral("Shareera Suwatha 2.wav"));
    const QString second = shipped(QStringLiteral("NgeeMusic.mp3"));
    player.setUrl(first);
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 500, PlayTimeout);
    EndCounter ends(player);
    player.setUrl(second);
    QCOMPARE(player.url(), second);
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->state(), PlayState::Ended, PlayTimeout);
    QVERIFY2(player.displayText().startsWith(QStringLiteral("NgeeMusic.mp3")),
             qPrintable(player.displayText()));
    // Only the second recording reached its end.
    QCOMPARE(ends.ends, 1);
}

// Two bells in one tick: only the second is heard, whatever became of the first.
void TestBellPlayer::backToBack_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("good, good") << shipped("period2.wma") << shipped("pgee.mp3");
    QTest::newRow("missing, good") << shipped("no such bell.wma") << shipped("pgee.mp3");
    QTest::newRow("broken, good") << thirdParty("garbage.mp3") << shipped("BellStart2.wma");
}

void TestBellPlayer::backToBack() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    BellPlayer player(storedSettings());
    QSignalSpy failures(&player, &BellPlayer::playbackFailed);
    player.setUrl(first);
    player.setUrl(second);
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->state(), PlayState::Ended, PlayTimeout);
    QCOMPARE(player.url(), second);
    const QString secondName = QFileInfo(second).fileName();
    QVERIFY2(player.displayText().startsWith(secondName), qPrintable(player.displayText()));
    for (const QList<QVariant>& failure : failures)
        QVERIFY2(!failure.first().toString().contains(secondName),
                 qPrintable(failure.first().toString()));
}

void TestBellPlayer::samePathRestarts_data() {
    QTest::addColumn<bool>("afterEnd");
    QTest::addColumn<int>("rings");
    QTest::newRow("while playing") << false << 2;
    // Rung again after its end, a bell once in a while made no sound and showed as ended
    // at once: a day rings the same bell several times.
    QTest::newRow("after its end, six times") << true << 6;
}

void TestBellPlayer::samePathRestarts() {
    QFETCH(bool, afterEnd);
    QFETCH(int, rings);
    BellPlayer player(storedSettings());
    const QString path = shipped(QStringLiteral("Shareera Suwatha 2.wav"));
    player.setUrl(path);
    for (int ring = 1; ring < rings; ++ring) {
        if (afterEnd)
            QTRY_COMPARE_WITH_TIMEOUT(player.playback()->state(), PlayState::Ended, PlayTimeout);
        else
            QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 1200, PlayTimeout);
        const qint64 duration = player.playback()->duration();
        EndCounter ends(player);
        QElapsedTimer sinceRestart;
        sinceRestart.start();
        player.setUrl(path);
        QTRY_VERIFY_WITH_TIMEOUT(ends.ends > 0, PlayTimeout);
        // Played on instead of restarting, it would end after the rest of the file, or at once.
        QVERIFY2(sinceRestart.elapsed() > duration - 400,
                 qPrintable(QStringLiteral("ring %1: %2 of %3 ms")
                                .arg(ring + 1)
                                .arg(sinceRestart.elapsed())
                                .arg(duration)));
    }
}

// A seek sent while a bell opens, before its length is known, must neither silence the bell
// (asking to play nothing) nor lock the window: the whole recording still plays.
void TestBellPlayer::seekBeforeLengthIsKnownStillPlays() {
    BellPlayer player(storedSettings());
    const QString path = shipped(QStringLiteral("Shareera Suwatha 2.wav"));
    QElapsedTimer sinceStart;
    sinceStart.start();
    player.setUrl(path);
    player.playback()->setPosition(0);
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->state(), PlayState::Ended, PlayTimeout);
    QVERIFY2(sinceStart.elapsed() > player.playback()->duration() - 400,
             qPrintable(QStringLiteral("ended after %1 of %2 ms")
                            .arg(sinceStart.elapsed())
                            .arg(player.playback()->duration())));
}

// Seeks from the window's thread while the streaming thread adds and starts the output: met at
// the wrong moment, each once held a lock the other waited for, and the window froze with all
// later bells. No call may block the window, and the bell plays on.
void TestBellPlayer::seekWhileOutputJoinsDoesNotLock() {
    BellPlayer player(storedSettings());
    player.setUrl(shipped(QStringLiteral("pgee.mp3")));
    qint64 longest = 0;
    QElapsedTimer opening;
    opening.start();
    while (opening.elapsed() < 600) {
        QElapsedTimer call;
        call.start();
        player.playback()->setPosition(0);
        longest = std::max(longest, call.elapsed());
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QVERIFY2(longest < 1000, qPrintable(QStringLiteral("a seek took %1 ms").arg(longest)));
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 300, PlayTimeout);
    QCOMPARE(player.playback()->state(), PlayState::Playing);
}

// A bell held ready is silent and out of the display; handed over, it sounds at once, unless
// its file changed meanwhile: then the file is read afresh. Another bell lets it go unheard.
void TestBellPlayer::preparedBell_data() {
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("shown");
    QTest::newRow("rung") << "ring"
                          << "Playing";
    QTest::newRow("replaced by a broken file, then rung") << "break"
                                                          << "Error";
    QTest::newRow("another bell rung") << "other"
                                       << "Playing";
}

void TestBellPlayer::preparedBell() {
    QFETCH(QString, then);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("held.wav"));
    QVERIFY(copy(shipped(QStringLiteral("Shareera Suwatha 2.wav")), path));
    BellPlayer player(storedSettings());
    {
        Monitor monitor;
        player.playback()->prepare(path);
        QCOMPARE(player.playback()->preparedFile(), path);
        QTest::qWait(1500);
        QVERIFY2(!player.displayText().contains(QStringLiteral("held")),
                 qPrintable(player.displayText()));
        QCOMPARE(player.playback()->state(), PlayState::Stopped);
        const double held = monitor.peakDb();
        QVERIFY2(held < -60.0, qPrintable(QStringLiteral("heard at %1 dBFS").arg(held)));
    }
    if (then == QLatin1String("break")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    Monitor monitor;
    player.setUrl(then == QLatin1String("other") ? shipped(QStringLiteral("bell.mp3")) : path);
    QVERIFY(player.playback()->preparedFile().isEmpty());
    QTRY_VERIFY2_WITH_TIMEOUT(player.displayText().contains(shown),
                              qPrintable(player.displayText()), PlayTimeout);
    if (then != QLatin1String("break")) {
        QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 300, PlayTimeout);
        // Heard at once, not as late as it was held (1.5 s).
        if (monitor.listening())
            QVERIFY2(monitor.peakDb() > -40.0 && monitor.firstAtMs(-50.0) < 1000.0,
                     qPrintable(QStringLiteral("heard after %1 ms").arg(monitor.firstAtMs(-50.0))));
    }
}

// Handed over, the bell held ready is the one that sounds: no new pipeline, element or
// sound-server stream is made for it.
void TestBellPlayer::heldBellIsTheOneRung() {
    QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
    const guint signal = g_signal_lookup("element-added", GST_TYPE_BIN);
    const gulong hook = g_signal_add_emission_hook(signal, 0, countMade, nullptr, nullptr);
    const auto forget = qScopeGuard([&] {
        g_signal_remove_emission_hook(signal, hook);
        const std::lock_guard lock(made.mutex);
        for (GstObject* pipeline : std::exchange(made.pipelines, {}))
            gst_object_unref(pipeline);
        made.elements = 0;
    });
    const QString path = shipped(QStringLiteral("bell.mp3"));
    BellPlayer player(storedSettings());
    player.playback()->prepare(path);
    // Held: its one pipeline paused at the first sample, its output open.
    QTRY_VERIFY_WITH_TIMEOUT(
        [] {
            const std::lock_guard lock(made.mutex);
            return made.pipelines.size() == 1 && GST_STATE(made.pipelines[0]) == GST_STATE_PAUSED &&
                   GST_STATE_PENDING(made.pipelines[0]) == GST_STATE_VOID_PENDING;
        }(),
        PlayTimeout);
    const int elements = made.elements;
    const QStringList streams = serverStreams();
    // Through a server, the held bell's stream is open already.
    QVERIFY(!streams.isEmpty() || !qEnvironmentVariableIsSet("CHIMEWICK_SOUND_SERVER"));
    player.setUrl(path);
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 300, PlayTimeout);
    const std::lock_guard lock(made.mutex);
    QCOMPARE(made.pipelines.size(), 1);
    QCOMPARE(made.elements, elements);
    QCOMPARE(serverStreams(), streams);
}

// What is heard first is the recording: not the decoder's lead-in (the shipped WMA bells once
// opened with 40 ms of its faint output), and not less than the recording's own silence.
void TestBellPlayer::recordingStartsItself_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("maxRampMs");    // from -50 dBFS to within 20 dB of the peak
    QTest::addColumn<double>("minSilenceMs"); // before the first -50 dBFS sample
    QTest::newRow("BellStart.wma") << shipped("BellStart.wma") << 8.0 << 0.0;
    QTest::newRow("bell.mp3") << shipped("bell.mp3") << 8.0 << 0.0;
    for (const char* format : {"wav", "wma", "mp3"})
        QTest::newRow(qPrintable(QStringLiteral("0.3 s of silence, %1").arg(format)))
            << QStringLiteral("silence-first.%1").arg(format) << 8.0 << 250.0;
}

void TestBellPlayer::recordingStartsItself() {
    QFETCH(QString, file);
    QFETCH(double, maxRampMs);
    QFETCH(double, minSilenceMs);
    if (!qEnvironmentVariableIsSet("CHIMEWICK_SOUND_SERVER"))
        QSKIP("heard at a sound server's monitor only");
    QTemporaryDir dir;
    if (QFileInfo(file).isRelative()) {
        // Made here by FFmpeg, as a school's own recordings are.
        const QString made = dir.filePath(file);
        QCOMPARE(QProcess::execute(QStringLiteral("ffmpeg"),
                                   {"-v", "error", "-f", "lavfi", "-i",
                                    "anullsrc=r=44100:cl=mono:d=0.3", "-f", "lavfi", "-i",
                                    "sine=frequency=880:duration=0.5:sample_rate=44100",
                                    "-filter_complex", "concat=n=2:v=0:a=1", made}),
                 0);
        file = made;
    }
    BellPlayer player(storedSettings());
    Monitor monitor;
    QVERIFY(monitor.listening());
    player.setUrl(file);
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->state(), PlayState::Ended, PlayTimeout);
    const double first = monitor.firstAtMs(-50.0);
    const double content = monitor.firstAtMs(monitor.peakDb() - 20.0);
    QVERIFY2(first >= minSilenceMs && content - first <= maxRampMs,
             qPrintable(QStringLiteral("first sound at %1 ms, the recording's at %2 ms")
                            .arg(first)
                            .arg(content)));
}

// The first bells of the process: the sink that plays them is read back through GStreamer.
// Through a sound server it is a pulsesink, tuned to start promptly; without one it is left
// alone. Standard error says which, once.
void TestBellPlayer::soundSinkIsTuned() {
    QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
    const gulong hook = g_signal_add_emission_hook(g_signal_lookup("element-added", GST_TYPE_BIN),
                                                   0, collectSink, nullptr, nullptr);
    StderrCapture capture;
    BellPlayer player(storedSettings());
    for (const char* name : {"bell.mp3", "BellStart.wma"}) {
        player.setUrl(shipped(name));
        QTRY_VERIFY_WITH_TIMEOUT(player.playback()->position() > 300, PlayTimeout);
    }
    const QStringList lines = capture.lines();
    g_signal_remove_emission_hook(g_signal_lookup("element-added", GST_TYPE_BIN), hook);
    const std::lock_guard lock(sinksMutex);
    const auto playing = std::find_if(sinks.begin(), sinks.end(), [](GstElement* sink) {
        return GST_STATE(sink) == GST_STATE_PLAYING;
    });
    QVERIFY(playing != sinks.end());
    const QString kind = QString::fromUtf8(
        gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(gst_element_get_factory(*playing))));
    QString expected = QStringLiteral("chimewick: the sound sink in use (%1) is not one the player "
                                      "tunes; its latency is left at the default")
                           .arg(kind);
    if (qEnvironmentVariableIsSet("CHIMEWICK_SOUND_SERVER")) {
        QCOMPARE(kind, QStringLiteral("pulsesink"));
        gint64 buffer = 0;
        gint64 latency = 0;
        guint64 deadline = 0;
        gboolean sync = TRUE;
        g_object_get(*playing, "buffer-time", &buffer, "latency-time", &latency,
                     "processing-deadline", &deadline, "sync", &sync, nullptr);
        QCOMPARE(buffer, 50000);
        QCOMPARE(latency, 10000);
        QCOMPARE(deadline, 5000000u);
        QVERIFY(!sync); // a bell held ready starts at once, not as late as it was held
        expected =
            QStringLiteral("chimewick: tuned the sound sink pulsesink to start bells "
                           "promptly: buffer 50 ms, latency 10 ms, processing deadline 5 ms, "
                           "unsynchronised");
    }
    QCOMPARE(lines, QStringList{expected});
    for (GstElement* sink : std::exchange(sinks, {}))
        gst_object_unref(sink);
}

QTEST_MAIN(TestBellPlayer)
#include "tst_bellplayer.moc"
