// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Playback.h"
#include "PlayerControls.h"
#include "PlayerSettings.h"
#include "SeekGuard.h"
#include "StderrCapture.h"

#include <QAction>
#include <QApplication>
#include <QAudioOutput>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <gst/gst.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

using chimewick::BellPlayer;
using chimewick::PlayerSettings;

namespace {

constexpr int playTimeout = 20000;

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

    QCOMPARE(player.playback()->audioOutput()->volume(), static_cast<float>(volume) / 100.0f);
    QCOMPARE(player.playback()->audioOutput()->isMuted(), mute);
    QCOMPARE(player.playback()->mediaPlayer()->loops(), playCount);
    QCOMPARE(player.playback()->mediaPlayer()->playbackRate(), 1.0);
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
    QVERIFY(qFuzzyCompare(player.playback()->audioOutput()->volume(), volume));
    QCOMPARE(player.playback()->audioOutput()->isMuted(), muted);
    QVERIFY(action(player, QStringLiteral("Play")));
    QVERIFY(action(player, QStringLiteral("Stop")));
}

void TestBellPlayer::silentUntilFirstFile() {
    BellPlayer player(storedSettings());
    QTest::qWait(200);
    QCOMPARE(player.playback()->mediaPlayer()->playbackState(), QMediaPlayer::StoppedState);
    QCOMPARE(player.playback()->mediaPlayer()->mediaStatus(), QMediaPlayer::NoMedia);
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
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->mediaPlayer()->playbackState(),
                              QMediaPlayer::PlayingState, playTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(
        player.playback()->mediaPlayer()->mediaStatus() == QMediaPlayer::BufferedMedia ||
            player.playback()->mediaPlayer()->mediaStatus() == QMediaPlayer::EndOfMedia,
        playTimeout);
    qInfo("%s: buffered and playing after %lld ms", qPrintable(shown), clock.elapsed());
    QVERIFY2(player.displayText().contains(shown), qPrintable(player.displayText()));
    if (toEnd) {
        QTRY_COMPARE_WITH_TIMEOUT(player.playback()->mediaPlayer()->mediaStatus(),
                                  QMediaPlayer::EndOfMedia, playTimeout);
        QVERIFY2(player.displayText().contains(QStringLiteral("Ended")),
                 qPrintable(player.displayText()));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(player.playback()->mediaPlayer()->position() > 300, playTimeout);
        QCOMPARE(player.playback()->mediaPlayer()->playbackState(), QMediaPlayer::PlayingState);
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
        if (QFile probe(path); probe.open(QIODevice::ReadOnly))
            QSKIP("a file without permissions is still readable here (running as root)");
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
    QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, playTimeout);
    QTest::qWait(500); // a late second report from the decoder would show here
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
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->mediaPlayer()->position() > 0, playTimeout);
    QCOMPARE(player.playback()->mediaPlayer()->playbackState(), QMediaPlayer::PlayingState);
    QCOMPARE(failures.count(), 1);
    QVERIFY2(player.displayText().startsWith(QStringLiteral("bell.mp3")),
             qPrintable(player.displayText()));
}

void TestBellPlayer::operatorControls_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QMediaPlayer::PlaybackState>("state");
    QTest::addColumn<QString>("shown");
    QTest::newRow("pause") << QStringList{"Pause"} << QMediaPlayer::PausedState << "Paused";
    QTest::newRow("pause, play") << QStringList{"Pause", "Play"} << QMediaPlayer::PlayingState
                                 << "Playing";
    QTest::newRow("stop") << QStringList{"Stop"} << QMediaPlayer::StoppedState << "Stopped";
    QTest::newRow("stop, play") << QStringList{"Stop", "Play"} << QMediaPlayer::PlayingState
                                << "Playing";
}

void TestBellPlayer::operatorControls() {
    QFETCH(QStringList, entries);
    QFETCH(QMediaPlayer::PlaybackState, state);
    QFETCH(QString, shown);
    BellPlayer player(storedSettings());
    player.setUrl(shipped(QStringLiteral("Shareera Suwatha 2.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->mediaPlayer()->position() > 300, playTimeout);
    for (const QString& entry : entries) {
        QAction* chosen = action(player, entry);
        QVERIFY2(chosen && chosen->isEnabled(), qPrintable(entry));
        chosen->trigger();
        QTRY_COMPARE(player.playback()->mediaPlayer()->playbackState(),
                     entry == QLatin1String("Play")    ? QMediaPlayer::PlayingState
                     : entry == QLatin1String("Pause") ? QMediaPlayer::PausedState
                                                       : QMediaPlayer::StoppedState);
    }
    QTRY_COMPARE(player.playback()->mediaPlayer()->playbackState(), state);
    QTRY_VERIFY2(player.displayText().contains(shown), qPrintable(player.displayText()));
}

void TestBellPlayer::newFileReplacesPlayingOne() {
    BellPlayer player(storedSettings());
    const QString first = shipped(QStringLiteral("Shareera Suwatha 2.wav"));
    const QString second = shipped(QStringLiteral("NgeeMusic.mp3"));
    player.setUrl(first);
    QTRY_VERIFY_WITH_TIMEOUT(player.playback()->mediaPlayer()->position() > 500, playTimeout);
    QSignalSpy ends(player.playback()->mediaPlayer(), &QMediaPlayer::mediaStatusChanged);
    player.setUrl(second);
    QCOMPARE(player.playback()->mediaPlayer()->source(), QUrl::fromLocalFile(second));
    QCOMPARE(player.url(), second);
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->mediaPlayer()->mediaStatus(),
                              QMediaPlayer::EndOfMedia, playTimeout);
    QVERIFY2(player.displayText().startsWith(QStringLiteral("NgeeMusic.mp3")),
             qPrintable(player.displayText()));
    // Only the second recording reached its end.
    const auto endCount = std::count_if(ends.begin(), ends.end(), [](const QList<QVariant>& args) {
        return args.first().value<QMediaPlayer::MediaStatus>() == QMediaPlayer::EndOfMedia;
    });
    QCOMPARE(endCount, 1);
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
    QTRY_COMPARE_WITH_TIMEOUT(player.playback()->mediaPlayer()->mediaStatus(),
                              QMediaPlayer::EndOfMedia, playTimeout);
    QCOMPARE(player.playback()->mediaPlayer()->source(), QUrl::fromLocalFile(second));
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
            QTRY_COMPARE_WITH_TIMEOUT(player.playback()->mediaPlayer()->mediaStatus(),
                                      QMediaPlayer::EndOfMedia, playTimeout);
        else
            QTRY_VERIFY_WITH_TIMEOUT(player.playback()->mediaPlayer()->position() > 1200,
                                     playTimeout);
        const qint64 duration = player.playback()->mediaPlayer()->duration();
        QSignalSpy statuses(player.playback()->mediaPlayer(), &QMediaPlayer::mediaStatusChanged);
        QElapsedTimer sinceRestart;
        sinceRestart.start();
        player.setUrl(path);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::any_of(statuses.begin(), statuses.end(),
                        [](const QList<QVariant>& args) {
                            return args.first().value<QMediaPlayer::MediaStatus>() ==
                                   QMediaPlayer::EndOfMedia;
                        }),
            playTimeout);
        // Played on instead of restarting, it would end after the rest of the file, or at once.
        QVERIFY2(sinceRestart.elapsed() > duration - 400,
                 qPrintable(QStringLiteral("ring %1: %2 of %3 ms")
                                .arg(ring + 1)
                                .arg(sinceRestart.elapsed())
                                .arg(duration)));
    }
}

// Qt seeks to the recording's length while a bell opens; sent before that length was known, the
// seek asked for nothing, and now and then a bell ended at once, unheard.
void TestBellPlayer::seekBeforeLengthIsKnownStillPlays() {
    QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
    chimewick::guardSeeks();
    GstElement* pipeline = gst_parse_launch(
        "filesrc name=file ! wavparse ! fakesink name=out sync=false signal-handoffs=true",
        nullptr);
    QVERIFY(pipeline);
    const QString path = shipped(QStringLiteral("Shareera Suwatha 2.wav"));
    GstElement* file = gst_bin_get_by_name(GST_BIN(pipeline), "file");
    g_object_set(file, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(file);
    static std::atomic<qint64> bytes;
    bytes = 0;
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    g_signal_connect(out, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer* buffer, GstPad*) {
                         bytes += static_cast<qint64>(gst_buffer_get_size(buffer));
                     }),
                     nullptr);
    gst_object_unref(out);

    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    QCOMPARE(gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND),
             GST_STATE_CHANGE_SUCCESS);
    QVERIFY(gst_element_seek(pipeline, 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                             0, GST_SEEK_TYPE_SET, 0));
    gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND);
    const qint64 beforePlay = bytes;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(
        bus, 10 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    QVERIFY(end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS);
    gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    // The whole recording after the seek, not a buffer or two.
    QVERIFY2(
        bytes - beforePlay > QFileInfo(path).size() * 9 / 10,
        qPrintable(
            QStringLiteral("%1 of %2 bytes").arg(bytes - beforePlay).arg(QFileInfo(path).size())));
}

// While a new bell opens, Qt adds the sound output from the streaming thread, then starts it, and
// seeks to the start from the window's thread. Met at the wrong moment, each held a lock the
// other waited for, and the window froze with all later bells.
void TestBellPlayer::seekWhileOutputJoinsDoesNotLock() {
    QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
    chimewick::guardSeeks();
    struct Joining {
        GstElement* pipeline = gst_pipeline_new(nullptr);
        GstElement* output =
            gst_parse_bin_from_description("audioconvert ! fakesink sync=false", TRUE, nullptr);
        std::atomic<bool> added = false;
    } joining;
    QVERIFY(joining.output);
    // Its pads already active, as they were in the frozen player, so a seek passes through it.
    gst_element_set_state(joining.output, GST_STATE_PAUSED);
    GstElement* file = gst_element_factory_make("filesrc", nullptr);
    GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
    QVERIFY(file && decoder);
    g_object_set(file, "location", CHIMEWICK_SOUNDS_DIR "/pgee.mp3", nullptr);
    gst_bin_add_many(GST_BIN(joining.pipeline), file, decoder, nullptr);
    QVERIFY(gst_element_link(file, decoder));
    // As Qt does: add the output, link it, then start it, all from the streaming thread.
    g_signal_connect(decoder, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, Joining* j) {
                         gst_bin_add(GST_BIN(j->pipeline), j->output);
                         GstPad* input = gst_element_get_static_pad(j->output, "sink");
                         gst_pad_link(pad, input);
                         gst_object_unref(input);
                         j->added = true;
                         // The window's thread seeks meanwhile.
                         std::this_thread::sleep_for(std::chrono::milliseconds(300));
                         gst_element_set_state(j->output, GST_STATE_PAUSED);
                     }),
                     &joining);

    gst_element_set_state(joining.pipeline, GST_STATE_PAUSED);
    QTRY_VERIFY_WITH_TIMEOUT(joining.added, playTimeout);
    auto seek = std::async(std::launch::async, [&joining] {
        return gst_element_seek(joining.pipeline, 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH,
                                GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_SET, 0);
    });
    if (seek.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Both threads are stuck for good; leave them to the end of the process.
        new auto(std::move(seek));
        QFAIL("the seek and the output's start waited for each other");
    }
    QCOMPARE(gst_element_get_state(joining.pipeline, nullptr, nullptr, 10 * GST_SECOND),
             GST_STATE_CHANGE_SUCCESS);
    gst_element_set_state(joining.pipeline, GST_STATE_NULL);
    gst_object_unref(joining.pipeline);
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
        QTRY_VERIFY_WITH_TIMEOUT(player.playback()->mediaPlayer()->position() > 300, playTimeout);
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
        QVERIFY(!sync); // the first sample is played at once, not a buffer later
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
