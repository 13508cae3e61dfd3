// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "NextBell.h"

#include <QObject>
#include <optional>

class QWidget;

namespace chimewick {

class Controls;

// The timetable's next bell, worked out by the tick's own rule whenever the clock display
// moves on (the tick's own second), a slot's box is ticked or cleared or its time changes (a
// profile's writes included). Changes that come together are taken as one. Everything that
// speaks of the next bell follows this one watch, so they never disagree.
class NextBellWatch : public QObject {
    Q_OBJECT
public:
    // window: the one whose controls, named as in the window description, are watched.
    NextBellWatch(const QWidget& window, const Controls& controls, const Clock& clock);

    // The first bell after from(), none when nothing more rings today.
    const std::optional<NextBell>& next() const { return next_; }
    // The second it is counted from: the last one the clock display showed, whose bells
    // have rung; before the first, the clock's.
    Instant from() const { return from_; }

signals:
    // The next bell, or the second it is counted from, is not what it was.
    void changed();

private:
    void schedule();
    void update();

    const Controls& controls_;
    const Clock& clock_;
    std::optional<Instant> shown_;
    std::optional<NextBell> next_;
    Instant from_{};
    bool known_ = false;
    bool pending_ = false;
};

} // namespace chimewick
