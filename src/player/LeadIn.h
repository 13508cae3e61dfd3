// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string_view>

namespace chimewick {

// What a decoder puts out before a recording's own first sample, in samples. It is no part of
// the recording, and heard as a late, muffled start of the bell.

// A WMA (version 1 or 2) decoder's first frame: the overlap its transform needs before the
// first whole frame, as long as one frame.
int wmaLeadIn(int version, int sampleRate);

// The WMA version (1 or 2) of the first sound stream an ASF file's header describes; 0 for
// any other file or codec, or a header cut short. `head` is the file's beginning: up to
// AsfHeadBytes of it.
int asfWmaVersion(std::string_view head);

// How much of a file's beginning asfWmaVersion reads at most: the stream's description comes
// early in the header, after at most the file's properties and its tags.
constexpr std::size_t AsfHeadBytes = 65536;

// An MP3 made by LAME or FFmpeg records its encoder's delay in the tag of its first frame;
// every MP3 decoder adds 529 samples of its own. None without such a tag: the file's start
// is then not known, and nothing is left out. `head` is the file's beginning.
int mp3LeadIn(std::string_view head);

// The length of the ID3 tag that opens an MP3, with its header and any footer; 0 for none.
// `head` holds at least the file's first 10 bytes.
std::size_t id3TagBytes(std::string_view head);

// How much of a file's beginning mp3LeadIn needs at most, past any ID3 tag.
constexpr std::size_t Mp3HeadBytes = 4096;

} // namespace chimewick
