// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Controls.h"

namespace chimewick {

// Passes every control operation through to the real controls; a test or a benchmark
// overrides the operations it watches.
class ForwardingControls : public Controls {
public:
    explicit ForwardingControls(Controls& inner) : inner_(inner) {}

    int checkValue(std::string_view box) const override { return inner_.checkValue(box); }
    void setCheckValue(std::string_view box, int value) override {
        inner_.setCheckValue(box, value);
    }
    std::string text(std::string_view box) const override { return inner_.text(box); }
    void setText(std::string_view box, std::string_view text) override {
        inner_.setText(box, text);
    }
    bool textEquals(std::string_view box, std::string_view expected) const override {
        return inner_.textEquals(box, expected);
    }
    void setBackColor(std::string_view box, Color color) override {
        inner_.setBackColor(box, color);
    }
    void setEnabled(std::string_view button, bool enabled) override {
        inner_.setEnabled(button, enabled);
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override {
        inner_.setPlayerUrl(player, path);
    }

protected:
    Controls& inner_;
};

} // namespace chimewick
