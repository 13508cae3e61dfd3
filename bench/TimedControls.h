// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Controls.h"

#include <functional>
#include <string>

namespace bench {

// Passes every control operation through, and tells when the player is handed a path,
// with the clock text the tick had just written: the second whose bell it is.
class TimedControls : public chimewick::Controls {
public:
    using OnHand =
        std::function<void(const std::string& shownSecond, double wallMsAtHand, double handMs)>;

    TimedControls(chimewick::Controls& inner, OnHand onHand)
        : inner_(inner), onHand_(std::move(onHand)) {}

    int checkValue(std::string_view box) const override { return inner_.checkValue(box); }
    void setCheckValue(std::string_view box, int value) override {
        inner_.setCheckValue(box, value);
    }
    std::string text(std::string_view box) const override { return inner_.text(box); }
    void setText(std::string_view box, std::string_view text) override {
        if (box == "Text1")
            shown_ = text;
        inner_.setText(box, text);
    }
    bool textEquals(std::string_view box, std::string_view expected) const override {
        return inner_.textEquals(box, expected);
    }
    void setBackColor(std::string_view box, chimewick::Color color) override {
        inner_.setBackColor(box, color);
    }
    void setEnabled(std::string_view button, bool enabled) override {
        inner_.setEnabled(button, enabled);
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override;

private:
    chimewick::Controls& inner_;
    OnHand onHand_;
    std::string shown_;
};

} // namespace bench
