// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Controls.h"
#include "WindowDescription.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace chimewick {

// The window's controls held in memory, seeded from the window description. Used by the
// tests and by anything that runs the engine without a display.
class MemoryControls : public Controls {
public:
    MemoryControls();

    int checkValue(std::string_view checkBox) const override;
    void setCheckValue(std::string_view checkBox, int value) override;
    std::string text(std::string_view textBox) const override;
    void setText(std::string_view textBox, std::string_view text) override;
    bool textEquals(std::string_view textBox, std::string_view expected) const override;
    void setBackColor(std::string_view textBox, Color color) override;
    void setEnabled(std::string_view button, bool enabled) override;
    void setPlayerUrl(std::string_view player, std::string_view path) override;

    // What a test looks at besides the operations above.
    std::optional<Color> backColor(std::string_view textBox) const;
    bool isEnabled(std::string_view button) const;
    std::string playerUrl(std::string_view player) const;
    // Every path handed to any player, oldest first.
    const std::vector<std::string>& playerHistory() const { return playerHistory_; }

private:
    struct State {
        ControlKind kind;
        int checkValue = 0;
        std::string text;
        std::optional<Color> backColor;
        bool enabled = true;
    };

    const State& state(std::string_view name, ControlKind kind) const;
    State& state(std::string_view name, ControlKind kind);

    std::map<std::string, State, std::less<>> controls_;
    std::vector<std::string> playerHistory_;
};

} // namespace chimewick
