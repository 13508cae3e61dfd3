// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Benchmarks.h"
#include "Clock.h"
#include "Engine.h"
#include "MemoryControls.h"
#include "NextBell.h"
#include "ScheduleSlots.h"
#include "Stats.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace bench {

namespace {

double microsecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int runTickCost(int ticks) {
    // The program's tick on the computer's own clock and zone, with the controls in memory
    // so that only the tick's own work is counted.
    chimewick::SystemClock clock;
    chimewick::MemoryControls controls;
    for (const chimewick::ScheduleSlot& slot : chimewick::scheduleSlots())
        controls.setCheckValue(slot.checkBox, 0); // no bell: the cost of an ordinary second
    chimewick::Engine engine(controls, clock, [] { return std::string("/bells"); });
    std::vector<double> tick;
    std::vector<double> local;
    std::vector<double> next; // the display's next-bell line, worked out again every second
    tick.reserve(static_cast<std::size_t>(ticks));
    local.reserve(static_cast<std::size_t>(ticks));
    next.reserve(static_cast<std::size_t>(ticks));
    // The default timetable's bells ticked again for the line alone: the dearest case, every
    // slot ticked, none due before the evening, so the whole day ahead is searched.
    chimewick::MemoryControls timetable;
    for (const chimewick::ScheduleSlot& slot : chimewick::scheduleSlots()) {
        timetable.setCheckValue(slot.checkBox, 1);
        timetable.setText(slot.timeBox, "11:59:59 PM");
    }
    for (int i = 0; i < ticks; ++i) {
        auto start = std::chrono::steady_clock::now();
        engine.run("Timer1_Timer");
        tick.push_back(microsecondsSince(start));
        start = std::chrono::steady_clock::now();
        const chimewick::LocalTime t = clock.localNow();
        local.push_back(microsecondsSince(start));
        start = std::chrono::steady_clock::now();
        const std::string line = chimewick::nextBellLine(
            chimewick::nextBell(timetable, clock, clock.now()), clock.now());
        next.push_back(microsecondsSince(start));
        if (t.hour < 0 || line.empty())
            return 1; // keeps the work from being optimised away
    }
    std::printf("tick cost over %d ticks, microseconds\n", ticks);
    const Summary s = summarize(tick);
    std::printf("  %-30s %s\n", "whole tick", formatSummary(s).c_str());
    std::printf("  %-30s %s\n", "local time of now", formatSummary(summarize(local)).c_str());
    std::printf("  %-30s %s\n", "next-bell line", formatSummary(summarize(next)).c_str());
    std::printf("RESULT tick_median_us=%.2f tick_p99_us=%.2f tick_max_us=%.2f\n", s.median, s.p99,
                s.max);
    return 0;
}

} // namespace bench
