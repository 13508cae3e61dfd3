// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MemoryControls.h"

#include <utility>

namespace chimewick {

MemoryControls::MemoryControls() {
    for (const ControlSpec& control : form1Controls()) {
        controls_.emplace(std::string(control.name), State{.kind = control.kind,
                                                           .checkValue = control.checkValue,
                                                           .text = std::string(control.caption),
                                                           .backColor = control.backColor,
                                                           .enabled = control.enabled});
    }
}

const MemoryControls::State& MemoryControls::state(std::string_view name, ControlKind kind) const {
    auto it = controls_.find(name);
    if (it == controls_.end())
        throw noSuchControl(name);
    requireKind(name, it->second.kind, kind);
    return it->second;
}

MemoryControls::State& MemoryControls::state(std::string_view name, ControlKind kind) {
    return const_cast<State&>(std::as_const(*this).state(name, kind));
}

int MemoryControls::checkValue(std::string_view checkBox) const {
    return state(checkBox, ControlKind::CheckBox).checkValue;
}

void MemoryControls::setCheckValue(std::string_view checkBox, int value) {
    State& s = state(checkBox, ControlKind::CheckBox);
    requireCheckValue(checkBox, value);
    s.checkValue = value;
}

std::string MemoryControls::text(std::string_view textBox) const {
    return state(textBox, ControlKind::TextBox).text;
}

bool MemoryControls::textEquals(std::string_view textBox, std::string_view expected) const {
    return state(textBox, ControlKind::TextBox).text == expected;
}

void MemoryControls::setText(std::string_view textBox, std::string_view text) {
    state(textBox, ControlKind::TextBox).text = std::string(text);
}

void MemoryControls::setBackColor(std::string_view textBox, Color color) {
    state(textBox, ControlKind::TextBox).backColor = color;
}

void MemoryControls::setEnabled(std::string_view button, bool enabled) {
    state(button, ControlKind::CommandButton).enabled = enabled;
}

void MemoryControls::setPlayerUrl(std::string_view player, std::string_view path) {
    state(player, ControlKind::MediaPlayer).text = std::string(path);
    playerHistory_.emplace_back(path);
}

std::optional<Color> MemoryControls::backColor(std::string_view textBox) const {
    return state(textBox, ControlKind::TextBox).backColor;
}

bool MemoryControls::isEnabled(std::string_view button) const {
    return state(button, ControlKind::CommandButton).enabled;
}

std::string MemoryControls::playerUrl(std::string_view player) const {
    return state(player, ControlKind::MediaPlayer).text;
}

} // namespace chimewick
