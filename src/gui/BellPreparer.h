// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Ring.h"

#include <QObject>
#include <QTimer>

namespace chimewick {

class BellPlayer;
class Clock;
class Controls;

// Keeps the timetable's next bell ready in the player a few seconds before its second, so
// that when the tick rings it only its start remains. The timetable is asked afresh every
// second, so a timetable edit, a profile or a manual ring is followed within one; a bell
// held ready but not rung is dropped unheard.
class BellPreparer : public QObject {
    Q_OBJECT
public:
    // How long before its second a bell is opened: ample for the slowest decoder to start.
    static constexpr int LeadSeconds = 3;

    BellPreparer(const Controls& controls, const Clock& clock, ProgramFolder folder,
                 BellPlayer& player, QObject* parent = nullptr);

    // Checks now, then every second.
    void start();
    void check();

private:
    const Controls& controls_;
    const Clock& clock_;
    ProgramFolder folder_;
    BellPlayer& player_;
    QTimer timer_;
};

} // namespace chimewick
