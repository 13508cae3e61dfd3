// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DayProfiles.h"

#include "Controls.h"

#include <stdexcept>
#include <string>

namespace chimewick {

namespace {

// clang-format off
constexpr ProfileWrite MondayThursday[] = {{"Check1", 1}, {"Check3", 0}};
constexpr ProfileWrite TuesdayWednesday[] = {{"Check1", 0}, {"Check3", 1}};
constexpr ProfileWrite Friday[] = {{"Check1", 0}, {"Check3", 1}};

constexpr ProfileWrite SamithiDay[] = {
    {"T6",  std::string_view("08:25:01 AM")}, {"T7",  std::string_view("09:00:01 AM")},
    {"T8",  std::string_view("09:35:01 AM")}, {"T9",  std::string_view("10:10:01 AM")},
    {"T10", std::string_view("10:30:01 AM")}, {"T11", std::string_view("11:05:01 AM")},
    {"T12", std::string_view("11:40:01 AM")}, {"T13", std::string_view("12:15:01 PM")},
    {"T14", std::string_view("12:50:01 PM")},
};

constexpr ProfileWrite TwoThirtyDay[] = {
    {"T6",  std::string_view("08:42:01 AM")}, {"T7",  std::string_view("09:29:01 AM")},
    {"T8",  std::string_view("10:16:01 AM")}, {"T9",  std::string_view("11:03:01 AM")},
    {"T10", std::string_view("11:22:01 AM")}, {"T11", std::string_view("12:09:01 PM")},
    {"T12", std::string_view("12:56:01 PM")}, {"T13", std::string_view("01:43:01 PM")},
    {"T14", std::string_view("02:25:01 PM")}, {"T15", std::string_view("02:28:01 PM")},
};

// All check values first, then all times.
constexpr ProfileWrite ThreeThirtyDay[] = {
    {"csi", 1}, {"C6", 1}, {"C7", 1}, {"C8", 0}, {"C9", 1}, {"Check7", 0}, {"Check6", 0},
    {"C10", 0}, {"C11", 0}, {"C12", 0}, {"C13", 0}, {"C14", 1}, {"C15", 1},
    {"Text5",  std::string_view("07:45:01 AM")}, {"Text10", std::string_view("10:00:01 AM")},
    {"T6",  std::string_view("10:15:01 AM")}, {"T7",  std::string_view("01:30:01 PM")},
    {"T8",  std::string_view("10:16:01 AM")}, {"T9",  std::string_view("01:00:01 PM")},
    {"T10", std::string_view("11:22:01 AM")}, {"T11", std::string_view("12:09:01 PM")},
    {"T12", std::string_view("12:56:01 PM")}, {"T13", std::string_view("01:43:01 PM")},
    {"T14", std::string_view("03:25:01 PM")}, {"T15", std::string_view("03:27:01 PM")},
};

constexpr DayProfile Profiles[] = {
    {"Command2",  "Monday Thursday",   MondayThursday},
    {"Command3",  "Tuesday Wednesday", TuesdayWednesday},
    {"Command4",  "Fryday",            Friday},
    {"Command1",  "Samithi Day",       SamithiDay},
    {"Command6",  "2.30 PM Day",       TwoThirtyDay},
    {"Command22", "3.30 PM Day",       ThreeThirtyDay},
};
// clang-format on

} // namespace

std::span<const DayProfile> dayProfiles() {
    return Profiles;
}

const DayProfile& dayProfileOfButton(std::string_view button) {
    for (const DayProfile& p : Profiles)
        if (p.button == button)
            return p;
    throw std::out_of_range("button '" + std::string(button) + "' applies no day profile");
}

void applyProfile(const DayProfile& profile, Controls& controls) {
    for (const ProfileWrite& write : profile.writes) {
        if (const int* check = std::get_if<int>(&write.value))
            controls.setCheckValue(write.control, *check);
        else
            controls.setText(write.control, std::get<std::string_view>(write.value));
    }
}

void ck4Click(Controls& controls) {
    const bool open = controls.checkValue("ck4") == 1;
    controls.setEnabled("Command1", open);
    controls.setEnabled("Command6", open);
}

} // namespace chimewick
