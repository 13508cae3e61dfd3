// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PlayerRecordWriter.h"

#include <bit>
#include <string>
#include <utility>

namespace chimewick {

namespace {

constexpr std::uint32_t RecordVersion = 0x300;

// OLE Automation variant type codes.
enum Tag : std::uint16_t { I4 = 3, R8 = 5, Bstr = 8, Bool = 11 };

class Writer {
public:
    void u16(std::uint16_t v) { bytes(v, 2); }
    void u32(std::uint32_t v) { bytes(v, 4); }
    void i32(std::int32_t v) {
        u16(I4);
        u32(static_cast<std::uint32_t>(v));
    }
    void r8(double v) {
        u16(R8);
        bytes(std::bit_cast<std::uint64_t>(v), 8);
    }
    void boolean(bool v) {
        u16(Bool);
        u16(v ? 0xFFFF : 0x0000); // VARIANT_TRUE is -1
    }
    void text(const std::u16string& v) {
        u16(Bstr);
        u32(static_cast<std::uint32_t>((v.size() + 1) * 2)); // the count includes the terminator
        for (char16_t ch : v)
            u16(static_cast<std::uint16_t>(ch));
        u16(0);
    }
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    void bytes(std::uint64_t v, int count) {
        for (int i = 0; i < count; ++i)
            out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> out_;
};

} // namespace

std::vector<std::uint8_t> encodePlayerSettings(const PlayerSettings& s) {
    Writer w;
    w.u32(RecordVersion);
    w.text(s.url);
    w.r8(s.rate);
    w.i32(s.balance);
    w.r8(s.currentPosition);
    w.text(s.defaultFrame);
    w.i32(s.playCount);
    w.boolean(s.autoStart);
    w.i32(s.currentMarker);
    w.boolean(s.invokeUrls);
    w.text(s.baseUrl);
    w.i32(s.volume);
    w.boolean(s.mute);
    w.text(s.uiMode);
    w.boolean(s.stretchToFit);
    w.boolean(s.windowlessVideo);
    w.boolean(s.enabled);
    w.boolean(s.enableContextMenu);
    w.boolean(s.fullScreen);
    w.text(s.samiStyle);
    w.text(s.samiLang);
    w.text(s.samiFilename);
    w.text(s.captioningId);
    w.boolean(s.enableErrorDialogs);
    w.u32(s.extentWidth);
    w.u32(s.extentHeight);
    return w.take();
}

} // namespace chimewick
