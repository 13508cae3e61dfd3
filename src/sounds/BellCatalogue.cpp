// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"

#include "WindowDescription.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace chimewick {

namespace {

// Which button rings which recording; the caption is the button's own, from the window.
struct BellFile {
    std::string_view button;
    std::string_view fileName;
};

// clang-format off
constexpr BellFile Files[] = {
    {"cmd",       "\\belle.wma"},
    {"cmd1",      "\\bell.mp3"},
    {"cmd15",     "\\cm.wma"},
    {"cmd2",      "\\mpoojawa.wma"},
    {"cmd3",      "\\Shareera Suwatha 2.wav"},
    {"cmd4",      "\\Jathika Geeya.mp3"},
    {"cmd5",      "\\pgee.mp3"},
    {"cmdgt",     "\\gt.wma"},
    {"Command10", "\\teachingstart.wma"},
    {"Command11", "\\period2.wma"},
    {"Command12", "\\period3.wma"},
    {"Command13", "\\period4.wma"},
    {"Command14", "\\interwal.wma"},
    {"Command15", "\\period5.wma"},
    {"Command16", "\\period6.wma"},
    {"Command17", "\\period7.wma"},
    {"Command18", "\\period8.wma"},
    {"Command19", "\\end.wma"},
    {"Command20", "\\sb.wma"},
    {"Command21", "\\hodamalamaya.wma"},
    {"Command23", "\\BellStart.wma"},
    {"Command24", "\\BellStart2.wma"},
    {"Command5",  "\\Jathika Geeya Half.wma"},
    {"Command7",  "\\NgeeMusic.mp3"},
    {"Command8",  "\\pirith.mp3"},
    {"Command9",  "\\pg.mp3"},
};
// clang-format on

} // namespace

std::span<const Bell> bellCatalogue() {
    static const std::vector<Bell> catalogue = [] {
        std::vector<Bell> bells;
        for (const BellFile& bell : Files)
            bells.push_back({bell.button, findControl(bell.button).caption, bell.fileName});
        return bells;
    }();
    return catalogue;
}

const Bell& bellOfButton(std::string_view button) {
    for (const Bell& bell : bellCatalogue())
        if (bell.button == button)
            return bell;
    throw std::out_of_range("button '" + std::string(button) + "' rings no bell");
}

} // namespace chimewick
