// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "StandingWarnings.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace chimewick {

// Watches the default output of the sound server that the player plays through: muted or
// turned to zero there, every bell plays into silence without failing, so the operator is
// told while it lasts. It follows the server's own change events, including a change of the
// default output. With no server (or, on Windows, no output device) it says so once on
// standard error, stays quiet, and tries again now and then: the server may start after the
// program, or restart under it.
class SoundOutputWatch : public QObject {
    Q_OBJECT
public:
    explicit SoundOutputWatch(QObject* parent = nullptr);
    ~SoundOutputWatch() override;

    // Connects to the server and reads the default output, then follows its changes.
    void start();

    static QString mutedText();

    // How long to wait before trying a lost or missing server again.
    void setRetryInterval(int milliseconds);

signals:
    void warningChanged(const QString& text);

private:
    // The system's own client of its sound server (SoundOutputWatch_linux.cpp: PulseAudio,
    // SoundOutputWatch_windows.cpp: Core Audio). Its callbacks come on the server's threads;
    // each hands its news to the object's thread, to the two below.
    struct System;
    void connectToServer();

    // On the object's thread (SoundOutputWatch.cpp). retry: whether connectToServer may be
    // tried again, which it may not when the client itself could not start.
    void setUpRetry();
    void report(bool silent);
    void unavailable(const QString& why, bool retry = true);

    std::unique_ptr<System> system_;
    QTimer retry_;
    WatchedWarning warning_;
};

} // namespace chimewick
