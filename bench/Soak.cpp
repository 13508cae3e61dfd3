// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Benchmarks.h"
#include "EventWait.h"
#include "Listener.h"
#include "Playback.h"
#include "QtForm.h"
#include "RecordingLevel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

// Many rings through the real window's player, in four kinds: a bell alone; one replacing
// another handed over the same moment; the same bell again; a broken file, then a good one.
// Each must be heard (its own sound, within 2 s) and still sound 400 ms later (not cut); then
// it is stopped and the next follows after a short silence. Resident memory is read at the
// 100th ring, once every kind has rung and the decoders are loaded, and at the last: a bell
// that leaves something behind shows as the difference.
int runSoak(int argc, char** argv, int rings) {
    QApplication app(argc, argv);
    Listener listener(std::getenv("CHIMEWICK_BENCH_MONITOR"));
    if (!listener.ok())
        return 2;
    chimewick::QtForm form;
    form.show();
    chimewick::BellPlayer& player = *form.player();
    const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QStringList bells{"BellStart.wma", "bell.mp3", "Shareera Suwatha 2.wav", "period2.wma",
                            "pgee.mp3"};
    std::vector<int> levels;
    for (const QString& bell : bells)
        levels.push_back(contentLevel(folder + bell, player.playback()->volume() / 100.0) / 2);
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.mp3"));
    if (QFile file(broken); file.open(QIODevice::WriteOnly))
        file.write(QByteArray(8192, '\x5a'));
    waitFor([] { return false; }, 1000, 50);

    const char* kinds[] = {"alone", "back to back", "again", "broken, then good"};
    int silent[4] = {}, cut[4] = {}, count[4] = {};
    std::vector<double> delays;
    qsizetype previous = 0;
    double rss100 = NAN;
    for (int i = 0; i < rings; ++i) {
        const int kind = i % 4;
        const qsizetype bell = kind == 2 ? previous : (i / 4) % bells.size();
        previous = bell;
        waitFor([&] { return monotonicMs() - listener.lastLoudMs() > 150; }, 5000, 5);
        const double start = monotonicMs();
        listener.arm(start, levels[static_cast<std::size_t>(bell)]);
        if (kind == 1)
            player.setUrl(folder + bells[(bell + 1) % bells.size()]);
        if (kind == 3)
            player.setUrl(broken);
        player.setUrl(folder + bells[bell]);
        ++count[kind];
        if (!waitFor([&] { return !std::isnan(listener.contentMs()); }, 2000, 2)) {
            ++silent[kind];
            std::printf("    ring %d (%s, %s): silent\n", i + 1, kinds[kind],
                        qPrintable(bells[bell]));
        } else {
            delays.push_back(listener.contentMs() - start);
            waitFor([] { return false; }, 400, 20);
            if (monotonicMs() - listener.lastLoudMs() > 60) {
                ++cut[kind];
                std::printf("    ring %d (%s, %s): quiet 400 ms in\n", i + 1, kinds[kind],
                            qPrintable(bells[bell]));
            }
        }
        player.playback()->stop();
        if (i + 1 == 100)
            rss100 = residentMb();
    }
    const double rssLast = residentMb();
    const Summary s = summarize(delays);
    for (int k = 0; k < 4; ++k)
        std::printf("    %-18s %4d rings, %d silent, %d cut\n", kinds[k], count[k], silent[k],
                    cut[k]);
    std::printf("    from handing over to the recording's sound, ms: %s\n",
                formatSummary(s).c_str());
    std::printf("    resident memory, MB: %.1f at ring 100, %.1f at ring %d\n", rss100, rssLast,
                rings);
    std::printf("RESULT soak rings=%d silent=%d cut=%d median=%.1f max=%.1f rss100=%.1f "
                "rsslast=%.1f\n",
                rings, silent[0] + silent[1] + silent[2] + silent[3],
                cut[0] + cut[1] + cut[2] + cut[3], s.median, s.max, rss100, rssLast);
    return 0;
}

} // namespace bench
