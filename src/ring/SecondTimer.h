// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace chimewick {

// Fires just after each whole second of the wall clock. Armed afresh for the rest of each
// second rather than with a plain period, which would drift off the second.
class SecondTimer : public QObject {
    Q_OBJECT
public:
    explicit SecondTimer(QObject* parent = nullptr);

    // Arms for the rest of this second; after that it runs by itself.
    void start();

    // Milliseconds from a moment to just after the next whole second of the wall clock.
    static int millisecondsToNextSecond(std::int64_t nowMsSinceEpoch);

    // The wall clock it aligns to, in milliseconds since the epoch (tests hand in their own),
    // and the wait it was last armed with.
    void setWallClock(std::function<std::int64_t()> nowMsSinceEpoch);
    int interval() const;

signals:
    void secondBegun();

private:
    void arm();

    QTimer timer_;
    std::function<std::int64_t()> wallClock_;
};

} // namespace chimewick
