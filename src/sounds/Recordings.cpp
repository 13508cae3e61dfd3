// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Recordings.h"

#include "BellCatalogue.h"
#include "Ring.h"

#include <system_error>

namespace chimewick {

namespace {

// The lower-case form of a letter, for the scripts a school's file names are written in:
// Latin (ASCII, Latin-1 and Latin Extended-A), Greek and Cyrillic. Other characters are
// their own.
char32_t foldLetter(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    if (c == 0x178) // Ÿ, whose small letter is in Latin-1
        return 0xFF;
    if (c == 0x17F) // long s
        return U's';
    // Latin Extended-A pairs each capital with the small letter after it, but for the
    // dotted and dotless i, which have no simple case pair.
    const bool evenCapital =
        (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapital && c % 2 == 0) || (oddCapital && c % 2 == 1))
        return c + 1;
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

// The name with its letters folded, one code point each. Bytes that are not UTF-8 are kept
// as they are, so such names still compare byte for byte.
std::u32string folded(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
        bool valid = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4 && i + length <= utf8.size());
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            // Set apart from every code point, so a stray byte matches only itself.
            out.push_back(0x110000 + lead);
            ++i;
            continue;
        }
        out.push_back(foldLetter(c));
        i += length;
    }
    return out;
}

// A path's file name as UTF-8, whatever the system's own form of names (UTF-16 on Windows).
std::u32string foldedName(const std::filesystem::path& path) {
    const std::u8string name = path.filename().u8string();
    return folded(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
}

} // namespace

std::optional<std::filesystem::path> findRecording(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
        return path;
    std::optional<std::filesystem::path> match;
    const std::u32string wanted = foldedName(path);
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        if (foldedName(entry.path()) != wanted || !entry.is_regular_file(error))
            continue;
        if (match)
            return std::nullopt; // two candidates: playing either would be a guess
        match = entry.path();
    }
    return match;
}

std::vector<std::string> missingRecordings(std::string_view folder) {
    std::vector<std::string> missing;
    for (const Bell& bell : bellCatalogue()) {
        const std::filesystem::path path = bellPath(folder, bell.fileName);
        if (!findRecording(path))
            missing.push_back(path.filename().string());
    }
    return missing;
}

} // namespace chimewick
