// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SleepHolds.h"

#include "DesktopLog.h"

namespace chimewick {

void SleepHolds::sayNotHeld(const char* through, const QString& why) {
    qCWarning(desktopLog).noquote().nospace()
        << "cannot keep the computer awake through " << through << ": " << why;
}

} // namespace chimewick
