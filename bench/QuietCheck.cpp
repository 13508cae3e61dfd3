// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Benchmarks.h"
#include "Engine.h"
#include "FakeClock.h"
#include "MemoryControls.h"

#include <cstdio>

namespace bench {

int runQuietCheck(const std::string& localTime, int seconds) {
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (std::sscanf(localTime.c_str(), "%d-%u-%u %d:%d:%d", &year, &month, &day, &hour, &minute,
                    &second) != 6) {
        std::fprintf(stderr, "quiet: want \"YYYY-MM-DD HH:MM:SS\", got \"%s\"\n",
                     localTime.c_str());
        return 2;
    }
    // The program's own start and ticks, on a clock that starts at that moment.
    chimewick::FakeClock clock(year, month, day, hour, minute, second);
    chimewick::MemoryControls controls;
    chimewick::Engine engine(controls, clock, [] { return std::string("/bells"); });
    engine.run("Form_Load");
    for (int i = 0; i <= seconds; ++i) {
        engine.run("Timer1_Timer");
        clock.advanceSecond();
    }
    if (!controls.playerHistory().empty()) {
        std::printf("quiet: %s is no quiet moment: %s rings\n", localTime.c_str(),
                    controls.playerHistory().front().c_str());
        return 1;
    }
    return 0;
}

} // namespace bench
