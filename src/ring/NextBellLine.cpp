// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NextBellLine.h"

#include "BellPlayer.h"
#include "NextBellWatch.h"

namespace chimewick {

NextBellLine::NextBellLine(const NextBellWatch& watch, BellPlayer& player)
    : watch_(watch), player_(player) {
    connect(&watch_, &NextBellWatch::changed, this, &NextBellLine::update);
}

void NextBellLine::update() {
    player_.setNextBell(QString::fromStdString(nextBellLine(watch_.next(), watch_.from())));
}

} // namespace chimewick
