// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClockText.h"

#include <array>
#include <stdexcept>

namespace chimewick {

std::string clockText(int hour24, int minute, int second) {
    if (hour24 < 0 || hour24 > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        throw std::out_of_range("no such time of day");
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    std::array<char, 12> text{};
    const auto two = [&](std::size_t at, int value) {
        text[at] = static_cast<char>('0' + value / 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    two(0, hour12);
    text[2] = ':';
    two(3, minute);
    text[5] = ':';
    two(6, second);
    text[8] = ' ';
    text[9] = hour24 < 12 ? 'A' : 'P';
    text[10] = 'M';
    return std::string(text.data(), 11);
}

std::string clockText(const LocalTime& time) {
    return clockText(time.hour, time.minute, time.second);
}

} // namespace chimewick
