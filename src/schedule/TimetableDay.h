// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace chimewick {

// The day the timetable was last set for, by the start-up selection or a profile's button. A
// window left open past midnight rings the new day with the old day's profile; the operator
// is told so rather than finding out from a bell.
class TimetableDay {
public:
    // profile: the caption of the profile applied, empty when none was (a weekend's start).
    void set(std::chrono::year_month_day date, std::string_view profile);

    // "Timetable set for Monday (Monday Thursday) · today is Tuesday"; empty while today is
    // the day it was set for, or before it was set at all.
    std::string notice(std::chrono::year_month_day today) const;

private:
    std::optional<std::chrono::year_month_day> date_;
    std::string profile_;
};

// "Sunday" to "Saturday".
std::string_view weekdayName(std::chrono::year_month_day date);

} // namespace chimewick
