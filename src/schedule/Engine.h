// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ActionTable.h"
#include "Ring.h"
#include "RingRecord.h"
#include "Tick.h"

namespace chimewick {

class Clock;
class Controls;

// The program's behaviour, as the actions the window binds to its events: the 26 bell
// buttons, the six day profiles, the lock box, the tick and the load. The window's
// controls hold all the state; the engine holds only the tick's memory of seconds.
class Engine {
public:
    // recordRing, when given, is told of every bell rung, by the timetable or a button.
    Engine(Controls& controls, const Clock& clock, ProgramFolder programFolder,
           RecordRing recordRing = {});
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Not const: every action may change the tick's memory through the engine.
    const ActionTable& actions() { return actions_; }
    void run(std::string_view action) { actions_.run(action); }

private:
    static std::string clickActionOf(std::string_view button);
    void ring(const Bell& bell);

    Controls& controls_;
    const Clock& clock_;
    Ringer ringer_;
    RecordRing recordRing_;
    // The slot the tick is ringing, while it runs the bell button's action; none for a press.
    const ScheduleSlot* ringingSlot_ = nullptr;
    std::string ringingTime_;
    Tick tick_;
    ActionTable actions_;
};

} // namespace chimewick
