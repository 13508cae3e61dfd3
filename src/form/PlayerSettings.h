// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace chimewick {

// The media player's settings, in the order in which they are stored.
struct PlayerSettings {
    std::u16string url;
    double rate = 1.0;
    std::int32_t balance = 0;
    double currentPosition = 0.0;
    std::u16string defaultFrame;
    std::int32_t playCount = 1;
    bool autoStart = true;
    std::int32_t currentMarker = 0;
    bool invokeUrls = true;
    std::u16string baseUrl;
    std::int32_t volume = 50;
    bool mute = false;
    std::u16string uiMode = u"full";
    bool stretchToFit = false;
    bool windowlessVideo = true;
    bool enabled = true;
    bool enableContextMenu = true;
    bool fullScreen = false;
    std::u16string samiStyle;
    std::u16string samiLang;
    std::u16string samiFilename;
    std::u16string captioningId;
    bool enableErrorDialogs = false;
    // The player's extent in hundredths of a millimetre.
    std::uint32_t extentWidth = 6800;
    std::uint32_t extentHeight = 2990;

    bool operator==(const PlayerSettings&) const = default;
};

// Raised when a stored record is cut short, has the wrong version or a setting of the
// wrong type.
class PlayerRecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The stored form: a version word 0x300, then each setting as an OLE Automation variant
// type tag and its little-endian value, then the extent.
PlayerSettings decodePlayerSettings(std::span<const std::uint8_t> record);

// The player's settings as the window description stores them.
std::span<const std::uint8_t> wmpStateRecord();

} // namespace chimewick
