// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace chimewick {

// Asks Windows to keep the system out of sleep until released; false when it refuses. The
// display may still turn off. Win32 only, no toolkit: the core build for Windows compiles it.
bool holdSystemAwake();
void releaseSystemAwake();

} // namespace chimewick
