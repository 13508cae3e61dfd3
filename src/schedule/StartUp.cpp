// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StartUp.h"

#include "ActionTable.h"
#include "Clock.h"

namespace chimewick {

namespace {
constexpr int Monday = 2, Tuesday = 3, Wednesday = 4, Thursday = 5, Friday = 6;
}

void formLoad(const Clock& clock, const ActionTable& actions) {
    if (const int day = clock.localNow().weekday(); day == Monday || day == Thursday)
        actions.run("Command2_Click");
    if (const int day = clock.localNow().weekday(); day == Tuesday || day == Wednesday)
        actions.run("Command3_Click");
    if (clock.localNow().weekday() == Friday)
        actions.run("Command4_Click");
}

} // namespace chimewick
