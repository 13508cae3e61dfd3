// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ScheduleSlots.h"

namespace chimewick {

namespace {

// clang-format off
constexpr ScheduleSlot Slots[] = {
    {"School Start",         "C1",     "T1",     "Command23"},
    {"Arrenge Bell 1",       "C2",     "T2",     "Command20"},
    {"Arrenge Bell 2",       "Check5", "Text7",  "Command24"},
    {"Morning Gatha",        "Check4", "Text6",  "cmd2"},
    {"Sarera Suwatha",       "C3",     "T3",     "cmd3"},
    {"Jathika Geeya",        "C4",     "T4",     "cmd4"},
    {"Jathika Geeya Half",   "Check2", "Text4",  "Command5"},
    {"Pasal Geeya",          "C5",     "T5",     "cmd1"}, // rings the period bell, not cmd5
    {"Teaching Start (M/T)", "Check1", "Text3",  "Command10"},
    {"Teaching Start",       "Check3", "Text5",  "Command10"},
    {"Periad 2",             "C6",     "T6",     "Command11"},
    {"Periad 3",             "C7",     "T7",     "Command12"},
    {"Periad 4",             "C8",     "T8",     "Command13"},
    {"Interwal Start",       "C9",     "T9",     "Command14"},
    {"Short Interwal",       "csi",    "Text10", "Command14"},
    {"Short Bell",           "Check7", "Text9",  "Command20"},
    {"Hodama Lamay.",        "Check6", "Text8",  "Command21"},
    {"Periad 5",             "C10",    "T10",    "Command15"},
    {"Periad 6",             "C11",    "T11",    "Command16"},
    {"Periad 7",             "C12",    "T12",    "Command17"},
    {"Periad 8",             "C13",    "T13",    "Command18"},
    {"End Bell",             "C14",    "T14",    "Command19"},
    {"End Gatha",            "C15",    "T15",    "cmd15"},
    {"Green Time",           "chkgt",  "txtgt",  "cmdgt"},
};
// clang-format on

} // namespace

std::span<const ScheduleSlot> scheduleSlots() {
    return Slots;
}

} // namespace chimewick
