// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "BellCatalogue.h"

#include <functional>
#include <string>
#include <string_view>

namespace chimewick {

class Controls;

// The folder that holds the program's executable, without a trailing separator. Asked
// afresh at every ring, so a ring never uses a stale folder.
using ProgramFolder = std::function<std::string()>;

// The path of a bell's recording: the folder followed directly by the file name. On a
// system whose separator is not the backslash, the leading backslash becomes the
// system's separator; the rest of the name is used exactly as written.
std::string bellPath(std::string_view folder, std::string_view fileName);

// The path of a bell's recording in the program's folder, asked of the folder now: what the
// ring hands the player, and what is held ready for it, so that the two always match.
std::string bellFile(const ProgramFolder& folder, const Bell& bell);

// Rings bells by handing their recordings to the player "wmp". It neither checks the file
// nor waits for the sound: the player takes the path and plays it on its own.
class Ringer {
public:
    Ringer(Controls& controls, ProgramFolder folder);

    void ring(const Bell& bell);

private:
    Controls& controls_;
    ProgramFolder folder_;
};

} // namespace chimewick
