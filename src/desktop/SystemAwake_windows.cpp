// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SystemAwake_windows.h"

#include <windows.h>

namespace chimewick {

bool holdSystemAwake() {
    return SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
}

void releaseSystemAwake() {
    SetThreadExecutionState(ES_CONTINUOUS);
}

} // namespace chimewick
