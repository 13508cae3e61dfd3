// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Controls.h"
#include "WindowDescription.h"

namespace chimewick {

class QtForm;

// The control operations on the real widgets of the window.
class QtControls : public Controls {
public:
    explicit QtControls(QtForm& form) : form_(form) {}

    int checkValue(std::string_view checkBox) const override;
    void setCheckValue(std::string_view checkBox, int value) override;
    std::string text(std::string_view textBox) const override;
    void setText(std::string_view textBox, std::string_view text) override;
    bool textEquals(std::string_view textBox, std::string_view expected) const override;
    void setBackColor(std::string_view textBox, Color color) override;
    void setEnabled(std::string_view button, bool enabled) override;
    void setPlayerUrl(std::string_view player, std::string_view path) override;

private:
    template<typename Widget> Widget* as(std::string_view name, ControlKind kind) const;

    QtForm& form_;
};

} // namespace chimewick
