// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "BellPlayer.h"
#include "BellPreparer.h"
#include "Benchmarks.h"
#include "Clock.h"
#include "ClockText.h"
#include "Engine.h"
#include "EventWait.h"
#include "ForwardingControls.h"
#include "Listener.h"
#include "NextBellWatch.h"
#include "Playback.h"
#include "QtControls.h"
#include "QtForm.h"
#include "RecordingLevel.h"
#include "Ring.h"
#include "ScheduleSlots.h"
#include "Stats.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QProcess>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

namespace {

using chimewick::Instant;

// The window thread's work, event by event: what kept it from anything else.
struct Busy {
    double startMs; // monotonic
    double ms;
    int type;
};

// The program's own application, timing each event it delivers from its event loop.
class TimedApplication : public QApplication {
public:
    TimedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0)
            return QApplication::notify(receiver, event);
        ++depth_;
        const double start = monotonicMs();
        const int type = event->type();
        const bool done = QApplication::notify(receiver, event);
        const double ms = monotonicMs() - start;
        --depth_;
        if (ms >= 0.2)
            busy.push_back({start, ms, type});
        return done;
    }
    std::vector<Busy> busy;

private:
    int depth_ = 0;
};

// What the tick did and when (monotonic ms); passes every operation through.
class TickTimes : public chimewick::ForwardingControls {
public:
    explicit TickTimes(chimewick::Controls& inner) : chimewick::ForwardingControls(inner) {}
    double shownMs = 0, handInMs = 0, handOutMs = 0, greenMs = 0;

    void setText(std::string_view box, std::string_view text) override {
        if (box == "Text1")
            shownMs = monotonicMs();
        chimewick::ForwardingControls::setText(box, text);
    }
    void setBackColor(std::string_view box, chimewick::Color color) override {
        chimewick::ForwardingControls::setBackColor(box, color);
        greenMs = monotonicMs();
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override {
        handInMs = monotonicMs();
        chimewick::ForwardingControls::setPlayerUrl(player, path);
        handOutMs = monotonicMs();
    }
};

const char* eventName(int type) {
    switch (type) {
    case QEvent::Timer:
        return "timer";
    case QEvent::UpdateRequest:
        return "paint";
    case QEvent::MetaCall:
        return "queued call";
    case QEvent::SockAct:
        return "socket";
    default:
        return "other";
    }
}

} // namespace

int runWholePath(int argc, char** argv, int rings) {
    TimedApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const char* device = std::getenv("CHIMEWICK_BENCH_MONITOR");
    Listener listener(device);
    if (!listener.ok())
        return 2;
    const QString folder = QCoreApplication::applicationDirPath();
    const std::string folderText = folder.toStdString();

    // The yardstick first: the sound server's own player, from its launch to its first sound.
    waitFor([] { return false; }, 500, 50); // the listener finds its origin
    std::vector<double> paplay;
    const QString wav = folder + QStringLiteral("/Shareera Suwatha 2.wav");
    // The first paplay against a fresh server starts about 1.5 s late, once: a warm-up.
    for (int i = 0; i < 4; ++i) {
        waitFor([&] { return monotonicMs() - listener.lastLoudMs() > 300; }, 15000, 10);
        const double start = monotonicMs();
        listener.arm(start);
        QProcess process;
        process.start(QStringLiteral("paplay"), {wav});
        if (waitFor([&] { return !std::isnan(listener.onsetMs()); }, 5000, 10) && i > 0)
            paplay.push_back(listener.onsetMs() - start);
        process.kill();
        process.waitForFinished(2000);
    }

    // The program as main() makes it, on the real clock.
    chimewick::QtForm form;
    chimewick::QtControls qtControls(form);
    TickTimes controls(qtControls);
    const chimewick::SystemClock clock;
    chimewick::Engine engine(controls, clock, [folderText] { return folderText; });
    form.start(engine.actions());
    const chimewick::NextBellWatch nextBell(form, qtControls, clock);
    chimewick::BellPreparer preparer(
        nextBell, [folderText] { return folderText; }, *form.player());
    preparer.start();
    // Only the operator's slots ring.
    for (const chimewick::ScheduleSlot& slot : chimewick::scheduleSlots())
        qtControls.setCheckValue(slot.checkBox, 0);
    chimewick::Playback& playback = *form.player()->playback();
    waitFor([] { return false; }, 1000, 50);

    // One slot for each kind of recording, rung in turn.
    struct Kind {
        const chimewick::ScheduleSlot* slot = nullptr;
        std::string format;
        int level =
            0; // the recording's own sound: within 20 dB of its peak, at the player's volume
        std::vector<double> first, content;
    };
    std::vector<Kind> kinds;
    for (const char* format : {".wma", ".mp3", ".wav"})
        for (const chimewick::ScheduleSlot& slot : chimewick::scheduleSlots()) {
            const std::string file(chimewick::bellOfButton(slot.bellButton).fileName);
            if (!file.ends_with(format))
                continue;
            const QString path = QString::fromStdString(chimewick::bellPath(folderText, file));
            kinds.push_back({&slot,
                             format + 1,
                             contentLevel(path, form.player()->playback()->volume() / 100.0),
                             {},
                             {}});
            break;
        }

    std::printf(
        "whole path: %d rings from the timetable, WMA, MP3 and WAV in turn, each typed three "
        "seconds ahead; ms from the due second's start to the first sound (-50 dBFS) and to "
        "the recording's own (within 20 dB of its peak)\n",
        rings);
    std::printf("  %-12s %-4s %7s %7s | %6s %6s %8s %6s | %s\n", "due", "kind", "sound", "bell",
                "shown", "handed", "returned", "tick", "window thread busy between due and sound");
    std::vector<double> delays;
    std::vector<double> contents;
    std::vector<double> heardMs;
    int silent = 0;
    for (int i = 0; i < rings; ++i) {
        // Silence before the ring, so the onset is this bell's.
        waitFor([&] { return monotonicMs() - listener.lastLoudMs() > 300; }, 15000, 10);
        Kind& kind = kinds[static_cast<std::size_t>(i) % kinds.size()];
        const std::string_view checkBox = kind.slot->checkBox;
        const std::string_view timeBox = kind.slot->timeBox;
        const auto second = static_cast<std::int64_t>(std::floor(wallMs() / 1e3)) + 3;
        const std::string text =
            chimewick::clockText(clock.toLocal(Instant(std::chrono::seconds(second))));
        qtControls.setText(timeBox, text);
        qtControls.setCheckValue(checkBox, 1);
        const double due = static_cast<double>(second) * 1e3 - (wallMs() - monotonicMs());
        listener.arm(due, kind.level);
        controls.handInMs = 0;
        const std::size_t busyFrom = app.busy.size();
        const bool heard = waitFor([&] { return !std::isnan(listener.contentMs()); },
                                   static_cast<int>(due - monotonicMs()) + 5000, 20);
        qtControls.setCheckValue(checkBox, 0);
        if (!heard) {
            ++silent;
            std::printf("  %-12s  silent (player: %s)\n", text.c_str(),
                        form.player()->displayText().simplified().toLocal8Bit().constData());
            continue;
        }
        const double onset = listener.onsetMs();
        delays.push_back(onset - due);
        contents.push_back(listener.contentMs() - due);
        if (i >= static_cast<int>(kinds.size())) {
            kind.first.push_back(delays.back());
            kind.content.push_back(contents.back());
        }
        // What the window thread did between the second's start and the sound.
        std::map<std::string, double> byKind;
        double busy = 0;
        for (std::size_t b = busyFrom; b < app.busy.size(); ++b) {
            const Busy& e = app.busy[b];
            const double from = std::max(e.startMs, due);
            const double to = std::min(e.startMs + e.ms, onset);
            if (to <= from)
                continue;
            busy += to - from;
            byKind[eventName(e.type)] += to - from;
        }
        std::string work;
        for (const auto& [what, ms] : byKind)
            work += " " + what + " " + std::to_string(static_cast<int>(std::lround(ms)));
        std::printf(
            "  %-12s %-4s %7.1f %7.1f | %6.1f %6.1f %8.1f %6.1f | %.1f ms:%s (due at %.3f)\n",
            text.c_str(), kind.format.c_str(), onset - due, contents.back(), controls.shownMs - due,
            controls.handInMs - due, controls.handOutMs - due, controls.greenMs - due, busy,
            work.c_str(), due);
        std::fflush(stdout);
        // The bell rings through: how long it was heard tells whether its end was cut.
        waitFor([&] { return playback.state() == chimewick::PlayState::Ended; }, 15000, 20);
        waitFor([&] { return monotonicMs() - listener.lastLoudMs() > 300; }, 15000, 10);
        heardMs.push_back(listener.lastLoudMs() - onset);
        std::printf("  %-12s heard for %.1f ms of %lld ms\n", "", heardMs.back(),
                    static_cast<long long>(playback.duration()));
    }
    if (delays.empty()) {
        delays.push_back(std::nan(""));
        contents.push_back(std::nan(""));
    }
    const std::vector<double> later(delays.begin() + 1, delays.end());
    const std::vector<double> laterContent(contents.begin() + 1, contents.end());
    const Summary l = summarize(later);
    const Summary c = summarize(laterContent);
    const Summary y = summarize(paplay);
    std::printf("  the recording's sound: first ring %.1f ms; later rings: %s; silent %d\n",
                contents.front(), formatSummary(c).c_str(), silent);
    std::printf("  the first sound (-50 dBFS): first ring %.1f ms; later rings: %s\n",
                delays.front(), formatSummary(l).c_str());
    for (const Kind& kind : kinds)
        std::printf(
            "  %s, rings after the first of each: the recording's sound %s; first sound %s\n",
            kind.format.c_str(), formatSummary(summarize(kind.content)).c_str(),
            formatSummary(summarize(kind.first)).c_str());
    std::printf("  yardstick: paplay from its launch to its first sound, ms: %s\n",
                formatSummary(y).c_str());
    std::printf("RESULT whole first=%.1f later_min=%.1f later_median=%.1f later_max=%.1f "
                "later_n=%zu silent=%d paplay_median=%.1f content_first=%.1f content_median=%.1f "
                "content_max=%.1f\n",
                delays.front(), l.min, l.median, l.max, l.count, silent, y.median, contents.front(),
                c.median, c.max);
    return 0;
}

} // namespace bench
