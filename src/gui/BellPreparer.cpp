// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPreparer.h"

#include "BellCatalogue.h"
#include "BellPlayer.h"
#include "Clock.h"
#include "NextBell.h"

#include <utility>

namespace chimewick {

BellPreparer::BellPreparer(const Controls& controls, const Clock& clock, ProgramFolder folder,
                           BellPlayer& player, QObject* parent)
    : QObject(parent), controls_(controls), clock_(clock), folder_(std::move(folder)),
      player_(player) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &BellPreparer::check);
}

void BellPreparer::start() {
    check();
    timer_.start();
}

void BellPreparer::check() {
    using std::chrono::seconds;
    const Instant now = clock_.now();
    // Asked from the second before, so a bell due this very second, not yet rung by the tick,
    // is still the one held; once rung it is the player's, and left alone until the next check.
    const auto next = nextBell(controls_, clock_, now - seconds(1));
    if (next && next->at == now)
        return;
    if (!next || next->at - now > seconds(LeadSeconds)) {
        player_.prepare({});
        return;
    }
    player_.prepare(
        QString::fromStdString(bellFile(folder_, bellOfButton(next->slot->bellButton))));
}

} // namespace chimewick
