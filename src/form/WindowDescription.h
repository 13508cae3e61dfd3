// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Color.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace chimewick {

enum class ControlKind { Frame, CommandButton, TextBox, CheckBox, Label, Timer, MediaPlayer };

std::string_view kindName(ControlKind kind);

// Places and sizes in twips (1/1440 inch, 15 to a pixel at 96 dpi), measured from the
// top-left corner of the container: the window's client area, or a frame's outer corner.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct FontSpec {
    std::string_view face{};
    int points = 0;
    int weight = 400; // 700 is bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class TextAlign { Left, Center };

// One control of the window, as data. The toolkit builds its widgets from these rows and
// the in-memory controls are seeded from them, so both start from the same defaults.
struct ControlSpec {
    std::string_view name{};
    ControlKind kind = ControlKind::Label;
    std::string_view container{}; // "Form1" or the name of a frame
    std::string_view
        caption{};      // caption of a button, check box, label or frame; text of a text box
    int checkValue = 0; // check boxes: 0 or 1
    bool enabled = true;
    std::optional<TwipsRect> rect{};  // the timer has no place
    std::optional<Color> backColor{}; // empty: the toolkit's standard colour
    std::optional<FontSpec> font{};   // empty: the window's default font
    TextAlign align = TextAlign::Left;
    bool multiLine = false;
    std::optional<int> tabIndex{}; // the timer has none
    int intervalMs = 0;            // timers only
};

enum class StartPosition { CenterScreen };

struct FormSpec {
    std::string_view name;
    std::string_view caption;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    StartPosition startPosition = StartPosition::CenterScreen;
    bool sizable = true;
};

enum class EventKind { Load, Timer, Click };

// Which action runs for which event of which control.
struct EventBinding {
    std::string_view control;
    EventKind event = EventKind::Click;
    std::string_view action;
};

// A slot of the timetable as the window holds it: the row's label names its boxes for a
// screen reader, since the check box and the time box carry no caption of their own; the
// bell button is the one whose bell the slot rings.
struct SlotRow {
    std::string_view checkBox;
    std::string_view label;
    std::string_view timeBox;
    std::string_view bellButton;
};

const FormSpec& form1();
std::span<const ControlSpec> form1Controls();
std::span<const EventBinding> form1Bindings();
// The 24 slots in the order the tick visits them.
std::span<const SlotRow> form1SlotRows();

// Throws ControlError when the control named is of another kind than the operation works on.
void requireKind(std::string_view name, ControlKind actual, ControlKind wanted);

// Looks a control up by name; throws ControlError when the window has none of that name.
const ControlSpec& findControl(std::string_view name);

// Twips to pixels at 96 dpi; the toolkit scales further for high-density screens.
constexpr int twipsToPixels(int twips) {
    return twips / 15;
}

} // namespace chimewick
