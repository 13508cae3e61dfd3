// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

namespace bench {

// Ring timing: the real window, controls, engine and player against a plain timer.
int runRingTiming(int argc, char** argv, int bells);

// Audible start: from handing the player a file to its first loud sample at the sink. With
// viaPaplay, the sound server's own player is started instead, as a yardstick.
int runAudibleStart(int argc, char** argv, const char* label, const std::vector<std::string>& files,
                    int settleMs, bool viaPaplay);

// The whole path: the real window and clock ringing a bell typed into its timetable, from the
// due second's start to the first loud sample at the sink, with where the time went.
int runWholePath(int argc, char** argv, int rings);

// Many rings of four kinds (alone, back to back, again, broken then good): none silent or cut.
int runSoak(int argc, char** argv, int rings);

// The listener checked against a click played at a known time.
int runClickCheck(int clicks);

// Whether the program, started at the given local time, rings nothing for that many seconds.
int runQuietCheck(const std::string& localTime, int seconds);

// The tick's own cost on the computer's clock and zone, without a window or a bell.
int runTickCost(int ticks);

} // namespace bench
