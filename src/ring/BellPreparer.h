// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Ring.h"

#include <QObject>

namespace chimewick {

class BellPlayer;
class NextBellWatch;

// Keeps the timetable's next bell ready in the player a few seconds before its second, so
// that when the tick rings it only its start remains. It follows the next-bell watch, so a
// timetable edit, a profile or a manual ring is followed by the next second at the latest;
// a bell held ready but not rung is dropped unheard.
class BellPreparer : public QObject {
    Q_OBJECT
public:
    // How long before its second a bell is opened: ample for the slowest decoder to start.
    static constexpr int LeadSeconds = 3;

    BellPreparer(const NextBellWatch& next, ProgramFolder folder, BellPlayer& player,
                 QObject* parent = nullptr);

    // Looks at once, rather than at the watch's next change.
    void start();
    void check();

private:
    const NextBellWatch& next_;
    ProgramFolder folder_;
    BellPlayer& player_;
};

} // namespace chimewick
