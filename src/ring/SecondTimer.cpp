// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SecondTimer.h"

#include <QDateTime>
#include <utility>

namespace chimewick {

SecondTimer::SecondTimer(QObject* parent)
    : QObject(parent), wallClock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        // Re-armed first, from the wall clock, so a slow second never shifts the next one.
        arm();
        emit secondBegun();
    });
}

void SecondTimer::start() {
    arm();
}

int SecondTimer::millisecondsToNextSecond(std::int64_t nowMsSinceEpoch) {
    // A little past the boundary, so the clock already reads the new second.
    constexpr int Margin = 2;
    return 1000 - static_cast<int>(nowMsSinceEpoch % 1000) + Margin;
}

void SecondTimer::setWallClock(std::function<std::int64_t()> nowMsSinceEpoch) {
    wallClock_ = std::move(nowMsSinceEpoch);
}

int SecondTimer::interval() const {
    return timer_.interval();
}

void SecondTimer::arm() {
    timer_.start(millisecondsToNextSecond(wallClock_()));
}

} // namespace chimewick
