// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

namespace chimewick {

class BellPlayer;
class NextBellWatch;

// Keeps the player's line of the next bell true to the watch.
class NextBellLine : public QObject {
    Q_OBJECT
public:
    NextBellLine(const NextBellWatch& watch, BellPlayer& player);

private:
    void update();

    const NextBellWatch& watch_;
    BellPlayer& player_;
};

} // namespace chimewick
