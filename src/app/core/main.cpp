// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Chimewick's core without a window: the start-up selection and one tick on the system
// clock, on controls held in memory. Prints the clock text and the bell the tick handed
// to the player, if one was due.
#include "Clock.h"
#include "Engine.h"
#include "MemoryControls.h"

#include <filesystem>
#include <iostream>

int main() {
    chimewick::MemoryControls controls;
    const chimewick::SystemClock clock;
    chimewick::Engine engine(controls, clock,
                             [] { return std::filesystem::current_path().string(); });
    engine.run("Form_Load");
    engine.run("Timer1_Timer");
    std::cout << controls.text("Text1") << '\n';
    for (const std::string& path : controls.playerHistory())
        std::cout << path << '\n';
    return 0;
}
