// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The benchmarks of Chimewick, one per command:
//   chimewick_bench ring [BELLS]                     ring timing against a plain timer
//   chimewick_bench audible LABEL SETTLE_MS FILE...  audible start of the given bells
//   chimewick_bench paplay LABEL SETTLE_MS FILE...   the same through paplay, for comparison
//   chimewick_bench whole [RINGS]                    the whole path: timetable to first sound
//   chimewick_bench quiet "YYYY-MM-DD HH:MM:SS" SECONDS
//                                                    exit 0 when nothing rings then
//   chimewick_bench tick [TICKS]                     the tick's cost on the real clock and zone
//   chimewick_bench soak [RINGS]                     rings of four kinds, none silent or cut
//   chimewick_bench click [CLICKS]                   the listener against a click of known time
#include "Benchmarks.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "ring")
        return bench::runRingTiming(argc, argv, argc > 2 ? std::atoi(argv[2]) : 65);
    if ((command == "audible" || command == "paplay") && argc > 4) {
        const std::vector<std::string> files(argv + 4, argv + argc);
        return bench::runAudibleStart(argc, argv, argv[2], files, std::atoi(argv[3]),
                                      command == "paplay");
    }
    if (command == "soak")
        return bench::runSoak(argc, argv, argc > 2 ? std::atoi(argv[2]) : 500);
    if (command == "click")
        return bench::runClickCheck(argc > 2 ? std::atoi(argv[2]) : 5);
    if (command == "tick")
        return bench::runTickCost(argc > 2 ? std::atoi(argv[2]) : 100000);
    if (command == "whole")
        return bench::runWholePath(argc, argv, argc > 2 ? std::atoi(argv[2]) : 10);
    if (command == "quiet" && argc > 3)
        return bench::runQuietCheck(argv[2], std::atoi(argv[3]));
    std::fprintf(
        stderr,
        "usage: chimewick_bench ring [BELLS] | audible|paplay LABEL SETTLE_MS FILE... | "
        "whole [RINGS] | "
        "quiet \"YYYY-MM-DD HH:MM:SS\" SECONDS | tick [TICKS] | soak [RINGS] | click [CLICKS]\n");
    return 2;
}
