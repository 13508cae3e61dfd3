// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SleepHolds.h"
#include "SystemAwake_windows.h"

namespace chimewick {

class SleepHolds::Held {
public:
    Held() {
        if (!holdSystemAwake())
            sayNotHeld("the system", QStringLiteral("SetThreadExecutionState failed"));
    }
    ~Held() { releaseSystemAwake(); }

    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

SleepHolds::SleepHolds(QObject* parent) : QObject(parent), held_(std::make_unique<Held>()) {}

SleepHolds::~SleepHolds() = default;

} // namespace chimewick
