// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TimetableDay.h"

#include <array>

namespace chimewick {

std::string_view weekdayName(std::chrono::year_month_day date) {
    static constexpr std::array<std::string_view, 7> Names{
        "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return Names[std::chrono::weekday{date}.c_encoding()];
}

void TimetableDay::set(std::chrono::year_month_day date, std::string_view profile) {
    date_ = date;
    profile_ = profile;
}

std::string TimetableDay::notice(std::chrono::year_month_day today) const {
    if (!date_ || *date_ == today)
        return {};
    std::string line = "Timetable set for ";
    line += weekdayName(*date_);
    line += " (";
    line += profile_.empty() ? "no profile" : profile_;
    line += ") \u00b7 today is "; // a middle dot
    line += weekdayName(today);
    return line;
}

} // namespace chimewick
