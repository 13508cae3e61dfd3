// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WindowDescription.h"

#include "Controls.h"

#include <algorithm>
#include <deque>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace chimewick {

std::string_view kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
        return "frame";
    case ControlKind::CommandButton:
        return "command button";
    case ControlKind::TextBox:
        return "text box";
    case ControlKind::CheckBox:
        return "check box";
    case ControlKind::Label:
        return "label";
    case ControlKind::Timer:
        return "timer";
    case ControlKind::MediaPlayer:
        return "media player";
    }
    return "unknown";
}

namespace {

using Back = std::optional<Color>;
constexpr Back Standard = std::nullopt;

// A control placed on the window: what every kind but the timer and the player has.
ControlSpec placed(ControlKind kind, std::string_view name, std::string_view container,
                   std::string_view caption, TwipsRect rect, int tab, Back back = Standard) {
    return {.name = name,
            .kind = kind,
            .container = container,
            .caption = caption,
            .rect = rect,
            .backColor = back,
            .tabIndex = tab};
}

ControlSpec frame(std::string_view name, std::string_view container, std::string_view caption,
                  TwipsRect rect, Back back, int tab) {
    return placed(ControlKind::Frame, name, container, caption, rect, tab, back);
}

ControlSpec button(std::string_view name, std::string_view container, std::string_view caption,
                   TwipsRect rect, Back back, int tab, bool enabled = true) {
    ControlSpec control =
        placed(ControlKind::CommandButton, name, container, caption, rect, tab, back);
    control.enabled = enabled;
    return control;
}

ControlSpec textBox(std::string_view name, std::string_view container, std::string_view text,
                    TwipsRect rect, Back back, int tab) {
    return placed(ControlKind::TextBox, name, container, text, rect, tab, back);
}

ControlSpec checkBox(std::string_view name, std::string_view container, std::string_view caption,
                     int value, TwipsRect rect, int tab) {
    ControlSpec control = placed(ControlKind::CheckBox, name, container, caption, rect, tab);
    control.checkValue = value;
    return control;
}

ControlSpec label(std::string_view name, std::string_view container, std::string_view caption,
                  TwipsRect rect, int tab) {
    return placed(ControlKind::Label, name, container, caption, rect, tab);
}

// One slot of the timetable: check box, label and time box on one line, and the bell
// button it rings.
struct RowData {
    std::string_view container;
    int checkLeft;
    int labelLeft;
    int timeLeft;
    int top;
    std::string_view check;
    int checked;
    std::string_view label;
    std::string_view caption;
    int labelWidth;
    std::string_view timeBox;
    std::string_view time;
    Back timeColor;
    int checkTab;
    int labelTab;
    int timeTab;
    std::string_view bellButton;
};

constexpr int LeftCheck = 240, LeftLabel = 720, LeftTime = 2280;
constexpr int RightCheck = 4200, RightLabel = 4680, RightTime = 5880;

// The 24 slots in the order the tick visits them, which is not the order of the window's
// rows: the green-time slot sits in the profile frame, the rest in the schedule frame.
// clang-format off
const RowData Timetable[] = {
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  240,  "C1",     1, "Label1",  "School Start",         1095, "T1",     "07:25:01 AM", rgb(255, 255, 255), 9,   17,  1,   "Command23"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  600,  "C2",     0, "Label2",  "Arrenge Bell 1",       1575, "T2",     "07:26:01 AM", Standard,           10,  18,  2,   "Command20"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  960,  "Check5", 1, "Label21", "Arrenge Bell 2",       1575, "Text7",  "07:29:54 AM", Standard,           95,  97,  96,  "Command24"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  1560, "Check4", 1, "Label20", "Morning Gatha",        1095, "Text6",  "07:30:01 AM", Standard,           92,  94,  93,  "cmd2"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  1920, "C3",     0, "Label3",  "Sarera Suwatha",       1335, "T3",     "00:00:00 AM", Standard,           11,  19,  6,   "cmd3"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  2280, "C4",     0, "Label4",  "Jathika Geeya",        1095, "T4",     "00:00:00 AM", Standard,           12,  20,  5,   "cmd4"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  2640, "Check2", 0, "Label17", "Jathika Geeya Half",   1575, "Text4",  "00:00:00 AM", Standard,           64,  66,  65,  "Command5"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  3000, "C5",     0, "Label5",  "Pasal Geeya",          1095, "T5",     "00:00:00 AM", Standard,           13,  21,  8,   "cmd1"}, // the period bell, not cmd5
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  3360, "Check1", 0, "Label16", "Teaching Start (M/T)", 1575, "Text3",  "08:00:01 AM", rgb(255, 0, 0),     61,  63,  62,  "Command10"},
    {"Frame1", LeftCheck,  LeftLabel,  LeftTime,  3720, "Check3", 0, "Label18", "Teaching Start",       1095, "Text5",  "07:50:01 AM", rgb(255, 0, 0),     68,  69,  67,  "Command10"},
    {"Frame1", RightCheck, RightLabel, RightTime, 240,  "C6",     1, "Label6",  "Periad 2",             1095, "T6",     "08:30:01 AM", Standard,           14,  22,  7,   "Command11"},
    {"Frame1", RightCheck, RightLabel, RightTime, 600,  "C7",     1, "Label7",  "Periad 3",             1095, "T7",     "09:10:01 AM", Standard,           15,  23,  4,   "Command12"},
    {"Frame1", RightCheck, RightLabel, RightTime, 960,  "C8",     1, "Label8",  "Periad 4",             1095, "T8",     "09:50:01 AM", Standard,           16,  24,  3,   "Command13"},
    {"Frame1", RightCheck, RightLabel, RightTime, 1320, "C9",     1, "Label9",  "Interwal Start",       1095, "T9",     "10:30:01 AM", Standard,           28,  31,  25,  "Command14"},
    {"Frame1", 360,        840,        LeftTime,  5280, "csi",    0, "Label24", "Short Interwal",       1095, "Text10", "08:35:01 AM", Standard,           107, 108, 109, "Command14"},
    {"Frame1", RightCheck, RightLabel, RightTime, 1680, "Check7", 1, "Label23", "Short Bell",           1095, "Text9",  "10:48:20 AM", Standard,           99,  103, 101, "Command20"},
    {"Frame1", RightCheck, RightLabel, RightTime, 2040, "Check6", 1, "Label22", "Hodama Lamay.",        1455, "Text8",  "10:48:30 AM", Standard,           98,  102, 100, "Command21"},
    {"Frame1", RightCheck, RightLabel, RightTime, 2640, "C10",    1, "Label10", "Periad 5",             1095, "T10",    "10:50:15 AM", Standard,           29,  32,  26,  "Command15"},
    {"Frame1", RightCheck, RightLabel, RightTime, 3000, "C11",    1, "Label11", "Periad 6",             1095, "T11",    "11:30:01 AM", Standard,           30,  33,  27,  "Command16"},
    {"Frame1", RightCheck, RightLabel, RightTime, 3360, "C12",    1, "Label12", "Periad 7",             1095, "T12",    "12:10:01 PM", Standard,           37,  40,  34,  "Command17"},
    {"Frame1", RightCheck, RightLabel, RightTime, 3720, "C13",    1, "Label13", "Periad 8",             1095, "T13",    "12:50:01 PM", Standard,           38,  41,  35,  "Command18"},
    {"Frame1", RightCheck, RightLabel, RightTime, 4080, "C14",    1, "Label15", "End Bell",             1095, "T14",    "01:27:01 PM", Standard,           44,  45,  43,  "Command19"},
    {"Frame1", RightCheck, RightLabel, RightTime, 4440, "C15",    1, "Label14", "End Gatha",            1095, "T15",    "01:28:01 PM", Standard,           39,  42,  36,  "cmd15"},
    {"Frame4", 120,        480,        1680,      960,  "chkgt",  0, "Label19", "Green Time",           1095, "txtgt",  "01:25:01 PM", Standard,           73,  75,  74,  "cmdgt"},
};
// clang-format on

// A slot's three controls, the label before its time box so that where they overlap the
// time box is drawn over the label.
void addSlot(std::vector<ControlSpec>& c, const RowData& r) {
    c.push_back(
        checkBox(r.check, r.container, "", r.checked, {r.checkLeft, r.top, 255, 255}, r.checkTab));
    c.push_back(label(r.label, r.container, r.caption, {r.labelLeft, r.top, r.labelWidth, 255},
                      r.labelTab));
    c.push_back(textBox(r.timeBox, r.container, r.time, {r.timeLeft, r.top, 1215, 285}, r.timeColor,
                        r.timeTab));
}

// Bell buttons of the "Bell Play" frame: name, caption, left, width, back colour, tab index.
struct BellButtonData {
    std::string_view name;
    std::string_view caption;
    int left;
    int width;
    Color back;
    int tab;
};

// clang-format off
const BellButtonData UpperBellRow[] = {
    {"cmd1",      "Periad Bell",         120,  735,  rgb(255, 192, 192), 47},
    {"cmd",       "O/E Bell",            840,  735,  rgb(255, 255, 128), 55},
    {"Command20", "Short Bell",          1560, 855,  rgb(224, 224, 224), 104},
    {"cmd2",      "Morning Gatha",       2400, 975,  rgb(192, 255, 192), 48},
    {"cmd3",      "Sarera Suwatha",      3360, 975,  rgb(192, 192, 255), 49},
    {"cmd4",      "Jathika Geeya",       4320, 975,  rgb(255, 128, 255), 50},
    {"Command5",  "Jathika Geeya Half",  5280, 975,  rgb(128, 255, 128), 60},
    {"Command7",  "Jathika Geeya Music", 6240, 1335, rgb(0, 192, 0),     79},
    {"cmd5",      "Pasal Geeya",         7560, 855,  rgb(128, 128, 255), 51},
    {"cmd15",     "End Gatha",           8400, 735,  rgb(255, 128, 0),   52},
};

const BellButtonData LowerBellRow[] = {
    {"Command8",  "Perith",          120,  735,  rgb(255, 128, 128), 80},
    {"Command9",  "Parisara Geeya",  840,  735,  rgb(128, 255, 128), 81},
    {"Command21", "Hodama Lamaya",   1560, 735,  rgb(192, 64, 0),    105},
    {"Command10", "Teaching Start",  2280, 855,  rgb(255, 255, 192), 82},
    {"Command11", "Periad 2",        3120, 615,  rgb(255, 255, 192), 83},
    {"Command12", "Periad 3",        3720, 615,  rgb(255, 255, 192), 84},
    {"Command13", "Periad 4",        4320, 615,  rgb(255, 255, 192), 85},
    {"Command14", "Interval",        4920, 735,  rgb(255, 255, 192), 86},
    {"Command15", "Periad 5",        5640, 615,  rgb(255, 255, 192), 87},
    {"Command16", "Periad 6",        6240, 615,  rgb(255, 255, 192), 88},
    {"Command17", "Periad 7",        6840, 615,  rgb(255, 255, 192), 89},
    {"Command18", "Periad 8",        7440, 615,  rgb(255, 255, 192), 90},
    {"Command19", "End Bell",        8040, 1095, rgb(255, 255, 192), 91},
};
// clang-format on

constexpr int BellButtonHeight = 615;
constexpr int UpperBellTop = 240;
constexpr int LowerBellTop = 960;

// Two lines, each ended by a line break, naming the author and the institution.
constexpr std::string_view CreditNote = "By the school's IT club\r\n"
                                        "Quelbrook School\r\n";

ControlSpec withLook(ControlSpec control, std::optional<FontSpec> font, TextAlign align,
                     bool multiLine = false) {
    control.font = font;
    control.align = align;
    control.multiLine = multiLine;
    return control;
}

// Where a frame's slot rows go among the other controls, and where a row of bell buttons.
struct SlotRowsOf {
    std::string_view frame;
};
struct BellButtons {
    std::span<const BellButtonData> row;
    int top;
};
using Entry = std::variant<ControlSpec, SlotRowsOf, BellButtons>;

// The window as it is made, control by control: frames before what they hold, and the order
// the window always made them in (the creation order stacks the widgets).
const std::vector<Entry>& windowEntries() {
    static const std::vector<Entry> entries{
        // The window's own children.
        frame("Frame1", "Form1", "Shedule Time", {120, 0, 7335, 6255}, Standard, 0),
        frame("Frame3", "Form1", "", {7560, 0, 4215, 5055}, Standard, 54),
        frame("Frame4", "Frame3", "", {120, 2040, 3975, 3015}, rgb(192, 192, 192), 56),
        frame("Frame2", "Form1", "Bell Play", {120, 6360, 9375, 1695}, Standard, 46),
        button("Command23", "Form1", "Start Bell", {7680, 5400, 1935, 615}, rgb(255, 192, 192),
               110),
        button("Command24", "Form1", "Start Bell 2", {9720, 5400, 1935, 615}, rgb(255, 192, 192),
               111),
        withLook(textBox("Text2", "Form1", CreditNote, {9600, 6480, 2175, 1575}, Standard, 53),
                 std::nullopt, TextAlign::Center, true),
        ControlSpec{
            .name = "Timer1", .kind = ControlKind::Timer, .container = "Form1", .intervalMs = 1000},
        // The schedule frame: its rows, then the clock display.
        SlotRowsOf{"Frame1"},
        withLook(textBox("Text1", "Frame1", "", {240, 4320, 3255, 645}, rgb(255, 128, 0), 70),
                 FontSpec{.face = "MS Sans Serif", .points = 24, .weight = 700}, TextAlign::Center),
        // The player frame: the player above the day-profile frame.
        ControlSpec{.name = "wmp",
                    .kind = ControlKind::MediaPlayer,
                    .container = "Frame3",
                    .rect = TwipsRect{120, 240, 3855, 1695},
                    .tabIndex = 72},
        button("Command2", "Frame4", "Monday Thursday", {120, 240, 975, 615}, Standard, 57),
        button("Command3", "Frame4", "Tuesday Wednesday", {1080, 240, 1095, 615}, Standard, 58),
        button("Command4", "Frame4", "Fryday", {2160, 240, 855, 615}, Standard, 59),
        button("Command1", "Frame4", "Samithi Day", {3120, 240, 735, 495}, rgb(192, 0, 0), 71,
               false),
        button("Command6", "Frame4", "2.30 PM Day", {3120, 840, 735, 495}, rgb(255, 0, 255), 76,
               false),
        SlotRowsOf{"Frame4"},
        button("cmdgt", "Frame4", "Gree Time Bell", {120, 1320, 2775, 495}, rgb(0, 255, 0), 77),
        checkBox("ck4", "Frame4", "active", 0, {3120, 1440, 735, 255}, 78),
        button("Command22", "Frame4", "3.30 PM Day", {2520, 1920, 1335, 975}, rgb(128, 255, 255),
               106),
        // The bell frame: two rows of buttons.
        BellButtons{UpperBellRow, UpperBellTop},
        BellButtons{LowerBellRow, LowerBellTop},
    };
    return entries;
}

std::vector<ControlSpec> buildControls() {
    std::vector<ControlSpec> c;
    const auto add = [&c](const auto& entry) {
        using T = std::decay_t<decltype(entry)>;
        if constexpr (std::is_same_v<T, ControlSpec>) {
            c.push_back(entry);
        } else if constexpr (std::is_same_v<T, SlotRowsOf>) {
            // Column by column, top to bottom.
            std::vector<const RowData*> rows;
            for (const RowData& r : Timetable)
                if (r.container == entry.frame)
                    rows.push_back(&r);
            std::ranges::stable_sort(rows, {}, [](const RowData* r) {
                return std::pair(r->checkLeft >= RightCheck, r->top);
            });
            for (const RowData* r : rows)
                addSlot(c, *r);
        } else {
            for (const BellButtonData& b : entry.row)
                c.push_back(button(b.name, "Frame2", b.caption,
                                   {b.left, entry.top, b.width, BellButtonHeight}, b.back, b.tab));
        }
    };
    for (const Entry& entry : windowEntries())
        std::visit(add, entry);
    return c;
}

bool hasClickAction(const ControlSpec& c) {
    // Every button rings a bell or applies a profile; of the check boxes only the lock
    // has an action.
    return c.kind == ControlKind::CommandButton || c.name == "ck4";
}

} // namespace

const FormSpec& form1() {
    static const FormSpec form{.name = "Form1",
                               .caption = "School Chimewick - Quelbrook",
                               .clientWidthTwips = 11850,
                               .clientHeightTwips = 8100,
                               .startPosition = StartPosition::CenterScreen,
                               .sizable = true};
    return form;
}

std::span<const ControlSpec> form1Controls() {
    static const std::vector<ControlSpec> controls = buildControls();
    return controls;
}

std::span<const EventBinding> form1Bindings() {
    // The "<control>_Click" names must outlive the bindings that view them.
    static const std::deque<std::string> clickNames = [] {
        std::deque<std::string> names;
        for (const ControlSpec& c : form1Controls())
            if (hasClickAction(c))
                names.push_back(std::string(c.name) + "_Click");
        return names;
    }();
    static const std::vector<EventBinding> bindings = [] {
        std::vector<EventBinding> b{{"Form1", EventKind::Load, "Form_Load"},
                                    {"Timer1", EventKind::Timer, "Timer1_Timer"}};
        auto name = clickNames.begin();
        for (const ControlSpec& c : form1Controls())
            if (hasClickAction(c))
                b.push_back({c.name, EventKind::Click, *name++});
        return b;
    }();
    return bindings;
}

std::span<const SlotRow> form1SlotRows() {
    static const std::vector<SlotRow> rows = [] {
        std::vector<SlotRow> r;
        for (const RowData& d : Timetable)
            r.push_back({d.check, d.label, d.timeBox, d.bellButton});
        return r;
    }();
    return rows;
}

const ControlSpec& findControl(std::string_view name) {
    for (const ControlSpec& c : form1Controls())
        if (c.name == name)
            return c;
    throw noSuchControl(name);
}

ControlError noSuchControl(std::string_view name) {
    return ControlError("the window has no control named '" + std::string(name) + "'");
}

void requireKind(std::string_view name, ControlKind actual, ControlKind wanted) {
    if (actual != wanted)
        throw ControlError("control '" + std::string(name) + "' is a " +
                           std::string(kindName(actual)) + ", not a " +
                           std::string(kindName(wanted)));
}

void requireCheckValue(std::string_view checkBox, int value) {
    if (value != 0 && value != 1)
        throw ControlError("check box '" + std::string(checkBox) + "' takes 0 or 1, not " +
                           std::to_string(value));
}

} // namespace chimewick
