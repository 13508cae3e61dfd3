// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace bench {

// Runs the event loop until the condition holds or the time is up; false on time-out. The
// condition is looked at every pollMs.
template<typename Condition> bool waitFor(Condition condition, int timeoutMs, int pollMs = 1) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(pollMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace bench
