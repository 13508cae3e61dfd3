// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Windows sound backend through a real sound server under Wine: opened, played to its end,
// sought, paused and closed, and every failure named. Qt's test library is not built for
// Windows here, so each check prints a line and the failures are counted.
//   tst_soundbackend <sounds folder> <third-party folder>   with a sound server
//   tst_soundbackend --no-output                             without one

#include "SoundBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

using namespace chimewick;

namespace {

int failures = 0;

void check(bool ok, const QString& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", qPrintable(what));
    std::fflush(stdout);
    if (!ok)
        ++failures;
}

// Runs the event loop until done() holds or the time is up; whether it holds.
bool waitFor(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    QTimer beat; // wakes the loop, so the time is looked at without any news
    beat.start(10);
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

void settle(int milliseconds) {
    waitFor([] { return false; }, milliseconds);
}

// A backend and what it said, in order, with the time since it was made.
struct Bell {
    std::unique_ptr<SoundBackend> backend = makeSoundBackend();
    QStringList said;
    QString detail;
    QElapsedTimer clock;
    qint64 openedAt = -1;
    qint64 endedAt = -1;

    explicit Bell(const QString& file) {
        clock.start();
        SoundBackend* b = backend.get();
        QObject::connect(b, &SoundBackend::opened, [this] {
            said << "opened";
            openedAt = clock.elapsed();
        });
        QObject::connect(b, &SoundBackend::playingChanged,
                         [this](bool playing) { said << (playing ? "playing" : "stopped"); });
        QObject::connect(b, &SoundBackend::ended, [this] {
            said << "ended";
            endedAt = clock.elapsed();
        });
        QObject::connect(b, &SoundBackend::failed, [this](const QString& reason, const QString& d) {
            said << "failed: " + reason;
            detail = d;
        });
        b->open(file);
    }
    bool has(const QString& news) const { return said.contains(news); }
    int count(const QString& news) const { return int(said.count(news)); }
    bool opened() {
        return waitFor([this] { return has("opened") || !detail.isEmpty(); }, 5000);
    }
};

// Each kind of recording opens with its length known, plays, and ends when its length has
// passed, at the end of itself. Open times are printed, not checked.
void playsToTheEnd(const QString& sounds) {
    // The lengths FFmpeg decodes, its decoders' lead-in left out as it is here: with it, WMA
    // would be 46 ms longer and MP3 25 ms. MP3 keeps its encoder's padding at the end here.
    const struct {
        const char* name;
        qint64 length;
    } bells[] = {{"belle.wma", 2647}, {"bell.mp3", 2477}, {"Shareera Suwatha 2.wav", 2647}};
    for (const auto& [name, expected] : bells) {
        Bell bell(sounds + name);
        const QString title = QString::fromLatin1(name) + ": ";
        check(bell.opened() && bell.backend->isOpen(), title + "opened");
        const qint64 length = bell.backend->duration();
        check(qAbs(length - expected) <= 10, title + QStringLiteral("length %1 ms").arg(length));
        check(bell.backend->isSeekable() && !bell.backend->isPlaying() &&
                  bell.backend->position() == 0,
              title + "waits at its start");
        const qint64 played = bell.clock.elapsed();
        bell.backend->play();
        waitFor([&] { return bell.has("ended"); }, 10000);
        std::printf("     opened in %lld ms, played for %lld ms\n", bell.openedAt,
                    bell.endedAt - played);
        check(bell.said == QStringList({"opened", "playing", "stopped", "ended"}),
              title + bell.said.join(", "));
        check(bell.endedAt - played >= length - 50,
              title + "the end is not told before the length has been played");
        check(bell.backend->position() == length && !bell.backend->isPlaying(),
              title + QStringLiteral("ends at %1 ms").arg(bell.backend->position()));
    }
}

// Recordings from other encoders, in other formats and layouts, open with their length (as
// ffprobe gives it, 0 where it gives none that holds), and the shortest play to their end.
// An odd file name is opened as it is.
void otherRecordingsOpen(const QString& sounds, const QString& others) {
    const struct {
        const char* name;
        qint64 length;
    } files[] = {{"silence-1.wma", 3712}, {"lossless.wma", 3549},     {"alaw.wav", 3550},
                 {"uint8we.wav", 2936},   {"float64.wav", 97},        {"xing.mp3", 2052},
                 {"bladeenc.mp3", 3552},  {"zero-size-chunk.wav", 5}, {"lame_vbr.mp3", 0},
                 {"mpeg2.mp3", 0}};
    for (const auto& file : files) {
        Bell bell(others + file.name);
        const bool opened = bell.opened() && bell.backend->isOpen();
        const qint64 length = bell.backend->duration();
        if (length < 200) {
            bell.backend->play();
            waitFor([&] { return bell.has("ended"); }, 2000);
        }
        check(opened && length > 0 && (file.length == 0 || qAbs(length - file.length) <= 30) &&
                  (length >= 200 || bell.has("ended")),
              QStringLiteral("%1: %2 ms, %3").arg(file.name).arg(length).arg(bell.said.join(", ")));
    }

    QTemporaryDir folder;
    const QString odd = folder.filePath(QStringLiteral("Pāsala ශ්‍රී # per%20cent.wav"));
    QFile::copy(sounds + "Shareera Suwatha 2.wav", odd);
    Bell bell(odd);
    check(bell.opened() && bell.backend->isOpen(), QFileInfo(odd).fileName() + " opened");
}

// A seek asked before the file is open starts it there; a pause holds the place; a seek after
// the end plays on from there, as a repeated bell does; a faster rate ends sooner.
void seeksAndPauses(const QString& sounds) {
    Bell bell(sounds + "Shareera Suwatha 2.wav");
    bell.backend->seek(1500);
    check(bell.opened() && bell.backend->position() == 1500, "a seek before opening is kept");
    bell.backend->play();
    settle(300);
    bell.backend->pause();
    waitFor([&] { return bell.has("stopped"); }, 2000);
    const qint64 held = bell.backend->position();
    settle(300);
    check(
        held > 1500 && held < 2400 && bell.backend->position() == held,
        QStringLiteral("paused at %1 ms, still at %2 ms").arg(held).arg(bell.backend->position()));
    bell.backend->seek(bell.backend->duration() - 200);
    check(bell.backend->position() == bell.backend->duration() - 200,
          "a seek while paused moves the position at once");
    bell.backend->play();
    waitFor([&] { return bell.has("ended"); }, 3000);
    bell.backend->seek(bell.backend->duration() - 300);
    waitFor([&] { return bell.count("ended") == 2; }, 3000);
    check(bell.said == QStringList({"opened", "playing", "stopped", "playing", "stopped", "ended",
                                    "playing", "stopped", "ended"}),
          bell.said.join(", "));

    Bell fast(sounds + "Shareera Suwatha 2.wav");
    fast.backend->setRate(2.0);
    check(fast.opened(), "opened at twice the rate");
    const qint64 played = fast.clock.elapsed();
    fast.backend->play();
    waitFor([&] { return fast.has("ended"); }, 5000);
    check(fast.has("ended") && fast.endedAt - played < fast.backend->duration() * 3 / 4 &&
              fast.backend->position() == fast.backend->duration(),
          QStringLiteral("twice as fast: %1 ms for %2 ms")
              .arg(fast.endedAt - played)
              .arg(fast.backend->duration()));
}

// What cannot sound is named, in the words the display shows, and never opens; a closed
// bell says nothing more.
void failsAndCloses(const QString& sounds, const QString& others) {
    const struct {
        QString file;
        QString reason;
    } faults[] = {{sounds + "no such bell.wma", "file not found"},
                  {others + "invalid-chunk.wav", "not a sound the player can decode"},
                  {others + "garbage.mp3", "not a sound the player can decode"}};
    for (const auto& fault : faults) {
        Bell bell(fault.file);
        waitFor([&] { return !bell.said.isEmpty(); }, 5000);
        settle(100);
        check(bell.said == QStringList("failed: " + fault.reason) && bell.detail.contains("0x") &&
                  !bell.backend->isOpen(),
              QFileInfo(fault.file).fileName() + ": " + bell.said.join(", ") + " (" + bell.detail +
                  ")");
    }

    Bell bell(sounds + "belle.wma");
    bell.opened();
    bell.backend->play();
    settle(200);
    bell.backend->close();
    const QStringList before = bell.said;
    settle(3000);
    check(bell.said == before && !bell.backend->isPlaying(), "nothing is told after close");
}

// Without a sound server there is no output: a named failure, for every bell tried.
void noOutput(const QString& sounds) {
    for (int attempt = 1; attempt <= 2; ++attempt) {
        Bell bell(sounds + "belle.wma");
        waitFor([&] { return !bell.said.isEmpty(); }, 5000);
        check(
            bell.said == QStringList("failed: no sound output"),
            QStringLiteral("bell %1: %2 (%3)").arg(attempt).arg(bell.said.join(", "), bell.detail));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == "--no-output") {
        noOutput(args[1] + '/');
    } else if (args.size() == 2) {
        const QString sounds = args[0] + '/';
        playsToTheEnd(sounds);
        otherRecordingsOpen(sounds, args[1] + '/');
        seeksAndPauses(sounds);
        failsAndCloses(sounds, args[1] + '/');
    } else {
        std::fprintf(stderr, "usage: tst_soundbackend <sounds> <third-party> | --no-output "
                             "<sounds>\n");
        return 2;
    }
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
