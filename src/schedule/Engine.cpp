// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Engine.h"

#include "BellCatalogue.h"
#include "DayProfiles.h"
#include "StartUp.h"

#include <utility>

namespace chimewick {

std::string Engine::clickActionOf(std::string_view button) {
    return std::string(button) + "_Click";
}

Engine::Engine(Controls& controls, const Clock& clock, ProgramFolder programFolder,
               RecordRing recordRing)
    : controls_(controls), clock_(clock), ringer_(controls, std::move(programFolder)),
      recordRing_(std::move(recordRing)),
      // The tick rings a slot by running its bell button's click action, the very same
      // operation as the operator's click; only the record tells them apart.
      tick_(controls, clock, [this](const ScheduleSlot& slot, std::string_view shown) {
          ringingSlot_ = &slot;
          ringingTime_ = shown;
          struct Done {
              Engine& engine;
              ~Done() { engine.ringingSlot_ = nullptr; }
          } done{*this};
          actions_.run(clickActionOf(slot.bellButton));
      }) {
    for (const Bell& bell : bellCatalogue())
        actions_.add(clickActionOf(bell.button), [this, &bell] { ring(bell); });
    for (const DayProfile& profile : dayProfiles())
        actions_.add(clickActionOf(profile.button), [this, &profile] {
            applyProfile(profile, controls_);
            profileApplied(profile.caption);
        });
    actions_.add("ck4_Click", [this] { ck4Click(controls_); });
    actions_.add("Timer1_Timer", [this] { tick_(); });
    actions_.add("Form_Load", [this] { load(); });
    tick_.setBeforeSecond([this](const LocalTime& second) { beforeSecond(second); });
}

void Engine::load() {
    // Set for today even where the selection applies nothing: a window opened on a Saturday
    // and still open on Monday says so.
    const std::chrono::year_month_day today = clock_.localNow().date;
    timetableDay_.set(today, {});
    date_ = today;
    formLoad(clock_, actions_);
}

void Engine::profileApplied(std::string_view caption) {
    const std::chrono::year_month_day today = clock_.localNow().date;
    timetableDay_.set(today, caption);
    showDay(today);
}

void Engine::beforeSecond(const LocalTime& second) {
    // A date seen once: a clock put back an hour at midnight shows the same date again, and
    // that is no new day.
    const bool newDate = date_ && *date_ != second.date;
    date_ = second.date;
    if (newDate && followWeekday_)
        formLoad(clock_, actions_);
    showDay(second.date);
}

void Engine::showDay(std::chrono::year_month_day today) {
    std::string line = timetableDay_.notice(today);
    if (line == notice_)
        return;
    notice_ = std::move(line);
    if (dayNotice_)
        dayNotice_(notice_);
}

void Engine::ring(const Bell& bell) {
    // Recorded first, so that the record says what rang before the player says whether its
    // recording could be played.
    if (recordRing_) {
        const RingRecord record{&bell, std::exchange(ringingSlot_, nullptr), ringingTime_};
        recordRing_(record);
    }
    ringer_.ring(bell);
}

} // namespace chimewick
