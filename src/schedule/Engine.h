// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ActionTable.h"
#include "Ring.h"
#include "RingRecord.h"
#include "Tick.h"
#include "TimetableDay.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

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

    // For a window left open for days: at the first second of each new local date, before
    // its slots are compared, the start-up selection runs again, as at start. Off unless
    // asked for: the timetable is otherwise written only at start and by the operator.
    void setFollowWeekday(bool follow) { followWeekday_ = follow; }

    // Told the line that says the date has changed since the timetable was last set, each
    // time the line changes; an empty line when it no longer applies.
    using DayNotice = std::function<void(const std::string& line)>;
    void setDayNotice(DayNotice dayNotice) { dayNotice_ = std::move(dayNotice); }
    const std::string& dayNotice() const { return notice_; }

private:
    static std::string clickActionOf(std::string_view button);
    void ring(const Bell& bell);
    void load();
    void profileApplied(std::string_view caption);
    void beforeSecond(const LocalTime& second);
    void showDay(std::chrono::year_month_day today);

    Controls& controls_;
    const Clock& clock_;
    Ringer ringer_;
    RecordRing recordRing_;
    // The slot the tick is ringing, while it runs the bell button's action; none for a press.
    const ScheduleSlot* ringingSlot_ = nullptr;
    std::string ringingTime_;
    Tick tick_;
    ActionTable actions_;
    TimetableDay timetableDay_;
    // The local date of the last second the tick handled, or of the load.
    std::optional<std::chrono::year_month_day> date_;
    bool followWeekday_ = false;
    DayNotice dayNotice_;
    std::string notice_;
};

} // namespace chimewick
