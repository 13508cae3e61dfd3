// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

namespace chimewick {

class Clock;
class Controls;
class QtForm;

// Keeps the player's line of the next bell true: worked out afresh, by the tick's own rule,
// whenever the clock display moves on, a slot's box is ticked or cleared or its time
// changes (a profile's writes included). Changes that come together are taken as one.
class NextBellWatch : public QObject {
    Q_OBJECT
public:
    NextBellWatch(QtForm& form, const Controls& controls, const Clock& clock);

private:
    void schedule();
    void update();

    QtForm& form_;
    const Controls& controls_;
    const Clock& clock_;
    QString line_;
    bool pending_ = false;
};

} // namespace chimewick
