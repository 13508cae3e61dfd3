// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPreparer.h"

#include "BellCatalogue.h"
#include "BellPlayer.h"
#include "NextBellWatch.h"

#include <utility>

namespace chimewick {

BellPreparer::BellPreparer(const NextBellWatch& next, ProgramFolder folder, BellPlayer& player,
                           QObject* parent)
    : QObject(parent), next_(next), folder_(std::move(folder)), player_(player) {
    connect(&next_, &NextBellWatch::changed, this, &BellPreparer::check);
}

void BellPreparer::start() {
    check();
}

void BellPreparer::check() {
    // Counted from the last second the tick handled, whose bells have rung: a bell due at the
    // very next second is still the one held, up to its ring.
    const auto& next = next_.next();
    if (!next || next->at - next_.from() > std::chrono::seconds(LeadSeconds)) {
        player_.prepare({});
        return;
    }
    player_.prepare(
        QString::fromStdString(bellFile(folder_, bellOfButton(next->slot->bellButton))));
}

} // namespace chimewick
