// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Color.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace chimewick {

// Raised when a control operation names no control of the window, or a control of
// another kind than the operation works on. The message names the control.
class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The errors every kind of controls raises, in the same words: a name the window lacks, and a
// check value other than 0 or 1 (the kind's own check is requireKind, WindowDescription.h).
ControlError noSuchControl(std::string_view name);
void requireCheckValue(std::string_view checkBox, int value);

// The operations the program performs on the window's controls, each addressed by the
// control's name. The controls are the program's only store of state: the schedule
// reads them afresh on every tick, profiles and the operator write them.
class Controls {
public:
    virtual ~Controls() = default;

    // Check boxes: 0 unticked, 1 ticked.
    virtual int checkValue(std::string_view checkBox) const = 0;
    virtual void setCheckValue(std::string_view checkBox, int value) = 0;

    // Text boxes: the whole text, UTF-8.
    virtual std::string text(std::string_view textBox) const = 0;
    virtual void setText(std::string_view textBox, std::string_view text) = 0;
    // Whether the whole text is exactly the one given: same length, same characters, case
    // and blanks included. Compared in place, since a box may hold a great deal of text.
    virtual bool textEquals(std::string_view textBox, std::string_view expected) const {
        return text(textBox) == expected;
    }
    virtual void setBackColor(std::string_view textBox, Color color) = 0;

    // Command buttons: a disabled button takes no clicks and no focus.
    virtual void setEnabled(std::string_view button, bool enabled) = 0;

    // The media player: hand it a file path; it starts playing at once.
    virtual void setPlayerUrl(std::string_view player, std::string_view path) = 0;
};

} // namespace chimewick
