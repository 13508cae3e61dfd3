// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

namespace chimewick {

// A colour value as the window stores it: red in the low byte, green in the middle
// byte, blue in the high byte.
using Color = std::uint32_t;

constexpr Color rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Color{red} | (Color{green} << 8) | (Color{blue} << 16);
}
constexpr std::uint8_t redOf(Color c) {
    return static_cast<std::uint8_t>(c & 0xFFu);
}
constexpr std::uint8_t greenOf(Color c) {
    return static_cast<std::uint8_t>((c >> 8) & 0xFFu);
}
constexpr std::uint8_t blueOf(Color c) {
    return static_cast<std::uint8_t>((c >> 16) & 0xFFu);
}

// The colour a time box takes when its slot rings.
inline constexpr Color HighlightGreen = rgb(0, 255, 0);

} // namespace chimewick
