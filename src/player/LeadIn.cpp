// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LeadIn.h"

#include <cstdint>

namespace chimewick {

int wmaLeadIn(int version, int sampleRate) {
    if (sampleRate <= 0)
        return 0;
    // The frame length the WMA format ties to the sample rate.
    if (sampleRate <= 16000)
        return 512;
    if (sampleRate <= 22050 || (version == 1 && sampleRate <= 32000))
        return 1024;
    return 2048;
}

int asfWmaVersion(std::string_view head) {
    // GUIDs as the file stores them, little-endian fields first.
    constexpr std::string_view HeaderObject("\x30\x26\xb2\x75\x8e\x66\xcf\x11"
                                            "\xa6\xd9\x00\xaa\x00\x62\xce\x6c",
                                            16);
    constexpr std::string_view StreamProperties("\x91\x07\xdc\xb7\xb7\xa9\xcf\x11"
                                                "\x8e\xe6\x00\xc0\x0c\x20\x53\x65",
                                                16);
    constexpr std::string_view AudioStream("\x40\x9e\x69\xf8\x4d\x5b\xcf\x11"
                                           "\xa8\xfd\x00\x80\x5f\x5c\x44\x2b",
                                           16);
    const auto little = [&](std::size_t at, int bytes) {
        std::uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | static_cast<std::uint8_t>(head[at + static_cast<std::size_t>(i)]);
        return value;
    };
    if (head.size() < 30 || head.substr(0, 16) != HeaderObject)
        return 0;
    // The header's objects follow its 30 bytes, each a GUID and its own length.
    std::size_t at = 30;
    while (at + 24 <= head.size()) {
        const std::uint64_t length = little(at + 16, 8);
        if (length < 24)
            return 0;
        // A stream's properties: its type, then 62 bytes on, the type's own data; for sound,
        // a WAVEFORMATEX whose first field names the codec.
        if (head.substr(at, 16) == StreamProperties && at + 80 <= head.size() &&
            head.substr(at + 24, 16) == AudioStream) {
            switch (little(at + 78, 2)) {
            case 0x160:
                return 1;
            case 0x161:
                return 2;
            default:
                return 0;
            }
        }
        if (length > head.size() - at)
            return 0;
        at += static_cast<std::size_t>(length);
    }
    return 0;
}

std::size_t id3TagBytes(std::string_view head) {
    if (head.size() < 10 || head.substr(0, 3) != "ID3")
        return 0;
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(head[at]); };
    // The body's length, seven bits a byte, after the 10 bytes of the header.
    std::size_t length =
        10 + (std::size_t(byte(6) & 0x7f) << 21 | std::size_t(byte(7) & 0x7f) << 14 |
              std::size_t(byte(8) & 0x7f) << 7 | std::size_t(byte(9) & 0x7f));
    if (byte(5) & 0x10)
        length += 10; // the tag's footer
    return length;
}

int mp3LeadIn(std::string_view head) {
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(head[at]); };
    const std::size_t at = id3TagBytes(head);
    if (at + 4 > head.size() || byte(at) != 0xff || (byte(at + 1) & 0xe0) != 0xe0)
        return 0;
    const bool layer3 = ((byte(at + 1) >> 1) & 3) == 1;
    const bool mpeg1 = ((byte(at + 1) >> 3) & 3) == 3;
    const bool mono = ((byte(at + 3) >> 6) & 3) == 3;
    if (!layer3)
        return 0;
    // The first frame carries no sound when it holds the tag, right after its side information.
    const std::size_t tag = at + 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (tag + 8 > head.size())
        return 0;
    const std::string_view name = head.substr(tag, 4);
    if (name != "Xing" && name != "Info")
        return 0;
    std::uint32_t flags = 0;
    for (std::size_t i = 4; i < 8; ++i)
        flags = flags << 8 | static_cast<std::uint32_t>(byte(tag + i));
    std::size_t lame = tag + 8;
    lame += (flags & 1 ? 4u : 0u) + (flags & 2 ? 4u : 0u) + (flags & 4 ? 100u : 0u) +
            (flags & 8 ? 4u : 0u);
    if (lame + 24 > head.size())
        return 0;
    const std::string_view encoder = head.substr(lame, 4);
    if (encoder != "LAME" && encoder != "Lavc" && encoder != "Lavf" && encoder != "L3.9")
        return 0;
    const int delay = byte(lame + 21) << 4 | byte(lame + 22) >> 4;
    constexpr int DecoderDelay = 529;
    return delay + DecoderDelay;
}

} // namespace chimewick
