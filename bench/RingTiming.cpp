// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"
#include "Benchmarks.h"
#include "Clock.h"
#include "ClockText.h"
#include "Engine.h"
#include "MemoryControls.h"
#include "QtControls.h"
#include "QtForm.h"
#include "ScheduleSlots.h"
#include "Stats.h"
#include "TimedControls.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>

namespace bench {

void TimedControls::setPlayerUrl(std::string_view player, std::string_view path) {
    const double at = wallMs();
    const double before = monotonicMs();
    inner_.setPlayerUrl(player, path);
    onHand_(shown_, at, monotonicMs() - before);
}

namespace {

using chimewick::Instant;

// The two slots the operator sets in turn: each holds its time for two seconds, so a tick
// at any phase of the second finds it, whatever the timer's phase.
struct OperatorSlot {
    const char* checkBox;
    const char* timeBox;
};
constexpr OperatorSlot operatorSlots[] = {{"C1", "T1"}, {"C2", "T2"}};

struct Rings {
    std::map<std::int64_t, std::vector<double>> delaysBySecond; // due second -> delays, ms
    std::vector<double> handMs;                                 // time inside setPlayerUrl
    int unexpected = 0;                                         // a ring of no due second
};

void untickAllSlots(chimewick::Controls& controls) {
    for (const chimewick::ScheduleSlot& slot : chimewick::scheduleSlots())
        controls.setCheckValue(slot.checkBox, 0);
}

void printRow(const char* name, const Summary& s) {
    std::printf("  %-30s %s\n", name, formatSummary(s).c_str());
}

} // namespace

int runRingTiming(int argc, char** argv, int bells) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    const chimewick::SystemClock clock;

    // Ours: the real window, its controls, the real player, its own aligned timer.
    std::map<std::string, std::int64_t> dueSecondOf; // clock text -> second
    Rings ours;
    Rings plain;
    const auto recorder = [&dueSecondOf](Rings& rings) {
        return [&dueSecondOf, &rings](const std::string& shown, double at, double handMs) {
            rings.handMs.push_back(handMs);
            const auto it = dueSecondOf.find(shown);
            if (it == dueSecondOf.end()) {
                ++rings.unexpected;
                return;
            }
            rings.delaysBySecond[it->second].push_back(at - static_cast<double>(it->second) * 1e3);
        };
    };

    chimewick::QtForm form;
    chimewick::QtControls qtControls(form);
    TimedControls oursControls(qtControls, recorder(ours));
    chimewick::Engine engine(oursControls, clock, [folder] { return folder; });

    // The same engine on controls in memory, ticked by a plain 1000 ms timer.
    chimewick::MemoryControls memory;
    TimedControls plainControls(memory, recorder(plain));
    chimewick::Engine plainEngine(plainControls, clock, [folder] { return folder; });
    plainEngine.run("Form_Load");

    form.start(engine.actions());
    // Only the operator's slots ring: a real bell of today's profile would blur the figures.
    untickAllSlots(qtControls);
    untickAllSlots(memory);

    std::vector<double> plainFires;
    QTimer plainTimer;
    plainTimer.setInterval(1000);
    plainTimer.setTimerType(Qt::CoarseTimer);
    QObject::connect(&plainTimer, &QTimer::timeout, [&] {
        plainFires.push_back(wallMs());
        plainEngine.run("Timer1_Timer");
    });
    std::random_device seed;
    const int phaseDelay = std::uniform_int_distribution<int>(0, 999)(seed);
    QTimer::singleShot(phaseDelay, Qt::PreciseTimer, [&] { plainTimer.start(); });

    // The operator: at mid-second, the next second's time into one of the two slots.
    std::int64_t firstDue = 0;
    std::int64_t lastDue = 0;
    int scheduled = 0;
    QTimer operatorTimer;
    operatorTimer.setSingleShot(true);
    operatorTimer.setTimerType(Qt::PreciseTimer);
    const auto armOperator = [&] {
        const auto now = static_cast<std::int64_t>(wallMs());
        int wait = static_cast<int>(1500 - now % 1000) % 1000;
        if (wait < 100)
            wait += 1000;
        operatorTimer.start(wait);
    };
    QObject::connect(&operatorTimer, &QTimer::timeout, [&] {
        if (scheduled == bells) {
            // Time for the last bell and for a late plain tick, then the figures.
            QTimer::singleShot(2500, &app, &QCoreApplication::quit);
            return;
        }
        const auto second = static_cast<std::int64_t>(std::floor(wallMs() / 1e3)) + 1;
        const std::string text =
            chimewick::clockText(clock.toLocal(Instant(std::chrono::seconds(second))));
        dueSecondOf[text] = second;
        const OperatorSlot& slot = operatorSlots[second % 2];
        for (chimewick::Controls* controls : {static_cast<chimewick::Controls*>(&qtControls),
                                              static_cast<chimewick::Controls*>(&memory)}) {
            controls->setText(slot.timeBox, text);
            controls->setCheckValue(slot.checkBox, 1);
        }
        if (scheduled == 0)
            firstDue = second;
        lastDue = second;
        ++scheduled;
        armOperator();
    });
    // A second of settling first: the window shown, the player made.
    QTimer::singleShot(1000, [&] { armOperator(); });

    std::printf("ring timing: %d due bells, one a second; ms from the second's start to the "
                "player's being handed the path\n",
                bells);
    std::fflush(stdout);
    QApplication::exec();

    const auto report = [&](const Rings& rings, std::vector<double>& delays, int& doubled,
                            int& missed) {
        for (std::int64_t s = firstDue; s <= lastDue; ++s) {
            const auto it = rings.delaysBySecond.find(s);
            if (it == rings.delaysBySecond.end()) {
                ++missed;
                continue;
            }
            doubled += static_cast<int>(it->second.size()) - 1 > 0 ? 1 : 0;
            delays.insert(delays.end(), it->second.begin(), it->second.end());
        }
    };
    std::vector<double> oursDelays;
    std::vector<double> plainDelays;
    int oursDoubled = 0;
    int oursMissed = 0;
    int plainDoubled = 0;
    int plainMissed = 0;
    report(ours, oursDelays, oursDoubled, oursMissed);
    report(plain, plainDelays, plainDoubled, plainMissed);

    // What the plain timer itself does: seconds it fired twice in, seconds it skipped.
    std::map<std::int64_t, int> firesPerSecond;
    for (double t : plainFires)
        ++firesPerSecond[static_cast<std::int64_t>(std::floor(t / 1e3))];
    int secondsTwice = 0;
    int secondsNone = 0;
    for (std::int64_t s = firstDue; s <= lastDue; ++s) {
        const int n = firesPerSecond.count(s) ? firesPerSecond[s] : 0;
        secondsTwice += n > 1 ? 1 : 0;
        secondsNone += n == 0 ? 1 : 0;
    }
    std::vector<double> phases;
    for (double t : plainFires)
        phases.push_back(std::fmod(t, 1e3));
    const Summary phase = summarize(phases);

    const Summary o = summarize(oursDelays);
    const Summary p = summarize(plainDelays);
    std::printf("  %-30s %8s %8s %8s %8s\n", "", "min", "median", "p99", "max");
    printRow("aligned tick (ours)", o);
    printRow("unaligned 1000 ms QTimer", p);
    std::printf("  median ratio unaligned/ours: %.0fx\n", o.median > 0 ? p.median / o.median : 0.0);
    std::printf("  ours: %zu rings for %d due seconds, %d rung twice, %d missed, %d stray\n",
                oursDelays.size(), bells, oursDoubled, oursMissed, ours.unexpected);
    std::printf("  unaligned: fired at %.0f..%.0f ms into the second; seconds fired twice in: "
                "%d, seconds without a tick: %d; bells rung twice: %d, missed: %d\n",
                phase.min, phase.max, secondsTwice, secondsNone, plainDoubled, plainMissed);
    const Summary hand = summarize(ours.handMs);
    std::printf("  handing the path to the real player (event thread busy), ms: %s\n",
                formatSummary(hand).c_str());
    std::printf("RESULT ring ours_median=%.1f ours_p99=%.1f ours_max=%.1f ours_min=%.1f "
                "plain_median=%.1f plain_p99=%.1f plain_max=%.1f plain_min=%.1f ratio=%.0f "
                "plain_twice=%d plain_none=%d plain_rung_twice=%d plain_missed=%d ours_missed=%d "
                "ours_twice=%d\n",
                o.median, o.p99, o.max, o.min, p.median, p.p99, p.max, p.min,
                o.median > 0 ? p.median / o.median : 0.0, secondsTwice, secondsNone, plainDoubled,
                plainMissed, oursMissed, oursDoubled);
    return oursMissed == 0 ? 0 : 1;
}

} // namespace bench
