// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ForwardingControls.h"

#include <functional>
#include <string>

namespace bench {

// Passes every control operation through, and tells when the player is handed a path,
// with the clock text the tick had just written: the second whose bell it is.
class TimedControls : public chimewick::ForwardingControls {
public:
    using OnHand =
        std::function<void(const std::string& shownSecond, double wallMsAtHand, double handMs)>;

    TimedControls(chimewick::Controls& inner, OnHand onHand)
        : chimewick::ForwardingControls(inner), onHand_(std::move(onHand)) {}

    void setText(std::string_view box, std::string_view text) override {
        if (box == "Text1")
            shown_ = text;
        chimewick::ForwardingControls::setText(box, text);
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override;

private:
    OnHand onHand_;
    std::string shown_;
};

} // namespace bench
