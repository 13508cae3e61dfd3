// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"

#include <stdexcept>
#include <string>

namespace chimewick {

namespace {

// clang-format off
constexpr Bell Catalogue[] = {
    {"cmd",       "O/E Bell",            "\\belle.wma"},
    {"cmd1",      "Periad Bell",         "\\bell.mp3"},
    {"cmd15",     "End Gatha",           "\\cm.wma"},
    {"cmd2",      "Morning Gatha",       "\\mpoojawa.wma"},
    {"cmd3",      "Sarera Suwatha",      "\\Shareera Suwatha 2.wav"},
    {"cmd4",      "Jathika Geeya",       "\\Jathika Geeya.mp3"},
    {"cmd5",      "Pasal Geeya",         "\\pgee.mp3"},
    {"cmdgt",     "Gree Time Bell",      "\\gt.wma"},
    {"Command10", "Teaching Start",      "\\teachingstart.wma"},
    {"Command11", "Periad 2",            "\\period2.wma"},
    {"Command12", "Periad 3",            "\\period3.wma"},
    {"Command13", "Periad 4",            "\\period4.wma"},
    {"Command14", "Interval",            "\\interwal.wma"},
    {"Command15", "Periad 5",            "\\period5.wma"},
    {"Command16", "Periad 6",            "\\period6.wma"},
    {"Command17", "Periad 7",            "\\period7.wma"},
    {"Command18", "Periad 8",            "\\period8.wma"},
    {"Command19", "End Bell",            "\\end.wma"},
    {"Command20", "Short Bell",          "\\sb.wma"},
    {"Command21", "Hodama Lamaya",       "\\hodamalamaya.wma"},
    {"Command23", "Start Bell",          "\\BellStart.wma"},
    {"Command24", "Start Bell 2",        "\\BellStart2.wma"},
    {"Command5",  "Jathika Geeya Half",  "\\Jathika Geeya Half.wma"},
    {"Command7",  "Jathika Geeya Music", "\\NgeeMusic.mp3"},
    {"Command8",  "Perith",              "\\pirith.mp3"},
    {"Command9",  "Parisara Geeya",      "\\pg.mp3"},
};
// clang-format on

} // namespace

std::span<const Bell> bellCatalogue() {
    return Catalogue;
}

const Bell& bellOfButton(std::string_view button) {
    for (const Bell& bell : Catalogue)
        if (bell.button == button)
            return bell;
    throw std::out_of_range("button '" + std::string(button) + "' rings no bell");
}

} // namespace chimewick
