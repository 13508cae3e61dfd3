// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PlayerSettings.h"

#include <bit>

namespace chimewick {

namespace {

constexpr std::uint32_t RecordVersion = 0x300;

// OLE Automation variant type codes.
enum Tag : std::uint16_t { I4 = 3, R8 = 5, Bstr = 8, Bool = 11 };

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}

    std::uint16_t u16() { return static_cast<std::uint16_t>(bytes(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(bytes(4)); }
    std::int32_t i32(const char* what) {
        tag(I4, what);
        return static_cast<std::int32_t>(u32());
    }
    double r8(const char* what) {
        tag(R8, what);
        return std::bit_cast<double>(bytes(8));
    }
    bool boolean(const char* what) {
        tag(Bool, what);
        std::uint16_t v = u16();
        if (v != 0 && v != 0xFFFF)
            throw PlayerRecordError(std::string("setting ") + what + " holds no boolean");
        return v != 0;
    }
    std::u16string text(const char* what) {
        tag(Bstr, what);
        std::uint32_t count = u32();
        if (count < 2 || count % 2 != 0 || count > in_.size() - pos_)
            throw PlayerRecordError(std::string("setting ") + what + " has a bad length");
        std::u16string s;
        for (std::uint32_t i = 0; i + 2 < count; i += 2)
            s.push_back(static_cast<char16_t>(u16()));
        if (u16() != 0)
            throw PlayerRecordError(std::string("setting ") + what + " is not terminated");
        return s;
    }
    bool atEnd() const { return pos_ == in_.size(); }

private:
    void tag(std::uint16_t expected, const char* what) {
        if (u16() != expected)
            throw PlayerRecordError(std::string("setting ") + what + " has the wrong type");
    }
    std::uint64_t bytes(std::size_t count) {
        if (in_.size() - pos_ < count)
            throw PlayerRecordError("the player's record is cut short");
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < count; ++i)
            v |= std::uint64_t{in_[pos_ + i]} << (8 * i);
        pos_ += count;
        return v;
    }
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

} // namespace

PlayerSettings decodePlayerSettings(std::span<const std::uint8_t> record) {
    Reader r(record);
    if (r.u32() != RecordVersion)
        throw PlayerRecordError("the player's record has an unknown version");
    PlayerSettings s;
    s.url = r.text("URL");
    s.rate = r.r8("rate");
    s.balance = r.i32("balance");
    s.currentPosition = r.r8("currentPosition");
    s.defaultFrame = r.text("defaultFrame");
    s.playCount = r.i32("playCount");
    s.autoStart = r.boolean("autoStart");
    s.currentMarker = r.i32("currentMarker");
    s.invokeUrls = r.boolean("invokeURLs");
    s.baseUrl = r.text("baseURL");
    s.volume = r.i32("volume");
    s.mute = r.boolean("mute");
    s.uiMode = r.text("uiMode");
    s.stretchToFit = r.boolean("stretchToFit");
    s.windowlessVideo = r.boolean("windowlessVideo");
    s.enabled = r.boolean("enabled");
    s.enableContextMenu = r.boolean("enableContextMenu");
    s.fullScreen = r.boolean("fullScreen");
    s.samiStyle = r.text("SAMIStyle");
    s.samiLang = r.text("SAMILang");
    s.samiFilename = r.text("SAMIFilename");
    s.captioningId = r.text("captioningID");
    s.enableErrorDialogs = r.boolean("enableErrorDialogs");
    s.extentWidth = r.u32();
    s.extentHeight = r.u32();
    if (!r.atEnd())
        throw PlayerRecordError("the player's record has bytes past its end");
    return s;
}

} // namespace chimewick

namespace chimewick {

// The stored settings of the player wmp: volume 50, plays once, starts at once, full
// controls, no error dialogs, 6800 x 2990 hundredths of a millimetre.
std::span<const std::uint8_t> wmpStateRecord() {
    static constexpr std::uint8_t Record[] = {
        0x00, 0x03, 0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0B, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x0B, 0x00, 0xFF, 0xFF, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03,
        0x00, 0x32, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x08, 0x00, 0x0A, 0x00, 0x00, 0x00,
        0x66, 0x00, 0x75, 0x00, 0x6C, 0x00, 0x6C, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x0B,
        0x00, 0xFF, 0xFF, 0x0B, 0x00, 0xFF, 0xFF, 0x0B, 0x00, 0xFF, 0xFF, 0x0B, 0x00, 0x00, 0x00,
        0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x02, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x90, 0x1A, 0x00, 0x00, 0xAE, 0x0B, 0x00, 0x00,
    };
    return Record;
}

} // namespace chimewick
