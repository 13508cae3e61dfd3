// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Benchmarks.h"
#include "EventWait.h"
#include "Listener.h"
#include "Playback.h"
#include "QtForm.h"
#include "Stats.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

int runAudibleStart(int argc, char** argv, const char* label, const std::vector<std::string>& files,
                    int settleMs, bool viaPaplay) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const char* device = std::getenv("CHIMEWICK_BENCH_MONITOR");
    Listener listener(device);
    if (!listener.ok())
        return 2;

    // The real window with its player, as the program shows it, but with no tick: only
    // the bench rings.
    chimewick::QtForm form;
    form.show();
    chimewick::BellPlayer& player = *form.player();
    const QString folder = QCoreApplication::applicationDirPath();

    // The window settles and the listener finds its origin.
    waitFor([] { return false; }, settleMs);

    const double residentBefore = residentMb();
    std::vector<double> delays;
    int silent = 0; // rings that made no sound at all
    for (const std::string& name : files) {
        const QString path = folder + QLatin1Char('/') + QString::fromStdString(name);
        // Silence before the ring, so the onset is this bell's.
        if (!waitFor([&] { return monotonicMs() - listener.lastLoudMs() > 300; }, 15000)) {
            std::fprintf(stderr, "no silence before %s\n", name.c_str());
            return 3;
        }
        const double start = monotonicMs();
        listener.arm(start);
        QProcess paplay;
        if (viaPaplay)
            paplay.start(QStringLiteral("paplay"), {path});
        else
            player.setUrl(path);
        const double handed = monotonicMs() - start;
        if (!waitFor([&] { return !std::isnan(listener.onsetMs()); }, 5000)) {
            std::fprintf(stderr, "%s: nothing heard within 5 s (player: %s)\n", name.c_str(),
                         player.displayText()
                             .replace(QLatin1Char('\n'), QLatin1Char(' '))
                             .toLocal8Bit()
                             .constData());
            ++silent;
            continue;
        }
        const double delay = listener.onsetMs() - start;
        delays.push_back(delay);
        std::printf("    %-26s %7.1f ms (the call returned after %.1f ms)\n", name.c_str(), delay,
                    handed);
        std::fflush(stdout);
        // To its end, as a bell rings through, then the silence of the next wait.
        if (viaPaplay)
            paplay.waitForFinished(15000);
        else
            waitFor([&] { return player.playback()->state() == chimewick::PlayState::Ended; },
                    15000);
    }

    if (delays.empty())
        delays.push_back(std::nan(""));
    std::vector<double> later(delays.begin() + 1, delays.end());
    const Summary l = summarize(later);
    std::printf("    resident memory of this process: %.1f MB before the first ring, %.1f MB after "
                "the last\n",
                residentBefore, residentMb());
    std::printf("RESULT audible %s first=%.1f later_min=%.1f later_median=%.1f later_max=%.1f "
                "later_n=%zu silent=%d rss_before=%.1f rss_after=%.1f\n",
                label, delays.front(), l.min, l.median, l.max, l.count, silent, residentBefore,
                residentMb());
    return 0;
}

} // namespace bench
