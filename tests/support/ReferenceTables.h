// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The timetable and the bells as the school knows them, written out once for all the tests
// and independently of the program's own tables, which are held against these.

namespace chimewick::testing {

struct ReferenceSlot {
    const char* caption; // the row label's caption, the slot's name
    const char* checkBox;
    int checked; // at start
    const char* label;
    const char* timeBox;
    const char* time; // at start
    int colour;       // the time box's at start; -1: the standard colour
    const char* bellButton;
};

// The 24 slots in the order the tick visits them.
// clang-format off
constexpr ReferenceSlot ReferenceSlots[] = {
    {"School Start",         "C1",     1, "Label1",  "T1",     "07:25:01 AM", 0xFFFFFF, "Command23"},
    {"Arrenge Bell 1",       "C2",     0, "Label2",  "T2",     "07:26:01 AM", -1,       "Command20"},
    {"Arrenge Bell 2",       "Check5", 1, "Label21", "Text7",  "07:29:54 AM", -1,       "Command24"},
    {"Morning Gatha",        "Check4", 1, "Label20", "Text6",  "07:30:01 AM", -1,       "cmd2"},
    {"Sarera Suwatha",       "C3",     0, "Label3",  "T3",     "00:00:00 AM", -1,       "cmd3"},
    {"Jathika Geeya",        "C4",     0, "Label4",  "T4",     "00:00:00 AM", -1,       "cmd4"},
    {"Jathika Geeya Half",   "Check2", 0, "Label17", "Text4",  "00:00:00 AM", -1,       "Command5"},
    // The period bell, not the song "Pasal Geeya".
    {"Pasal Geeya",          "C5",     0, "Label5",  "T5",     "00:00:00 AM", -1,       "cmd1"},
    {"Teaching Start (M/T)", "Check1", 0, "Label16", "Text3",  "08:00:01 AM", 0x0000FF, "Command10"},
    {"Teaching Start",       "Check3", 0, "Label18", "Text5",  "07:50:01 AM", 0x0000FF, "Command10"},
    {"Periad 2",             "C6",     1, "Label6",  "T6",     "08:30:01 AM", -1,       "Command11"},
    {"Periad 3",             "C7",     1, "Label7",  "T7",     "09:10:01 AM", -1,       "Command12"},
    {"Periad 4",             "C8",     1, "Label8",  "T8",     "09:50:01 AM", -1,       "Command13"},
    {"Interwal Start",       "C9",     1, "Label9",  "T9",     "10:30:01 AM", -1,       "Command14"},
    {"Short Interwal",       "csi",    0, "Label24", "Text10", "08:35:01 AM", -1,       "Command14"},
    {"Short Bell",           "Check7", 1, "Label23", "Text9",  "10:48:20 AM", -1,       "Command20"},
    {"Hodama Lamay.",        "Check6", 1, "Label22", "Text8",  "10:48:30 AM", -1,       "Command21"},
    {"Periad 5",             "C10",    1, "Label10", "T10",    "10:50:15 AM", -1,       "Command15"},
    {"Periad 6",             "C11",    1, "Label11", "T11",    "11:30:01 AM", -1,       "Command16"},
    {"Periad 7",             "C12",    1, "Label12", "T12",    "12:10:01 PM", -1,       "Command17"},
    {"Periad 8",             "C13",    1, "Label13", "T13",    "12:50:01 PM", -1,       "Command18"},
    {"End Bell",             "C14",    1, "Label15", "T14",    "01:27:01 PM", -1,       "Command19"},
    {"End Gatha",            "C15",    1, "Label14", "T15",    "01:28:01 PM", -1,       "cmd15"},
    {"Green Time",           "chkgt",  0, "Label19", "txtgt",  "01:25:01 PM", -1,       "cmdgt"},
};
// clang-format on

struct ReferenceBell {
    const char* button;
    const char* caption;
    const char* fileName;
};

// The school's 26 bells as the operator knows them. The file names are not derived from
// the captions: "Sarera Suwatha" plays "Shareera Suwatha 2.wav", "Interval" plays
// "interwal.wma", and the button captioned "Pasal Geeya" plays its own song, not the
// period bell.
// clang-format off
constexpr ReferenceBell ReferenceBells[] = {
    {"cmd",       "O/E Bell",            "\\belle.wma"},
    {"cmd1",      "Periad Bell",         "\\bell.mp3"},
    {"cmd15",     "End Gatha",           "\\cm.wma"},
    {"cmd2",      "Morning Gatha",       "\\mpoojawa.wma"},
    {"cmd3",      "Sarera Suwatha",      "\\Shareera Suwatha 2.wav"},
    {"cmd4",      "Jathika Geeya",       "\\Jathika Geeya.mp3"},
    {"cmd5",      "Pasal Geeya",         "\\pgee.mp3"},
    {"cmdgt",     "Gree Time Bell",      "\\gt.wma"},
    {"Command10", "Teaching Start",      "\\teachingstart.wma"},
    {"Command11", "Periad 2",            "\\period2.wma"},
    {"Command12", "Periad 3",            "\\period3.wma"},
    {"Command13", "Periad 4",            "\\period4.wma"},
    {"Command14", "Interval",            "\\interwal.wma"},
    {"Command15", "Periad 5",            "\\period5.wma"},
    {"Command16", "Periad 6",            "\\period6.wma"},
    {"Command17", "Periad 7",            "\\period7.wma"},
    {"Command18", "Periad 8",            "\\period8.wma"},
    {"Command19", "End Bell",            "\\end.wma"},
    {"Command20", "Short Bell",          "\\sb.wma"},
    {"Command21", "Hodama Lamaya",       "\\hodamalamaya.wma"},
    {"Command23", "Start Bell",          "\\BellStart.wma"},
    {"Command24", "Start Bell 2",        "\\BellStart2.wma"},
    {"Command5",  "Jathika Geeya Half",  "\\Jathika Geeya Half.wma"},
    {"Command7",  "Jathika Geeya Music", "\\NgeeMusic.mp3"},
    {"Command8",  "Perith",              "\\pirith.mp3"},
    {"Command9",  "Parisara Geeya",      "\\pg.mp3"},
};
// clang-format on

} // namespace chimewick::testing
