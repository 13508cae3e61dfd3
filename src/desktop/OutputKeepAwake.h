// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace chimewick {

// Keeps the sound server's default output from suspending while it lives: an HDMI receiver
// or an amplifier woken by a bell mutes or fades in its first seconds. It holds a stream of
// silence on the default output, never paused, whose silence the server makes itself, so it
// costs next to nothing; no bell ever plays through it. It follows a change of the default
// output, an output unplugged and a server that restarts or starts late (on Windows, an output
// device that comes later); without one it waits quietly, as the output watch already says so.
class OutputKeepAwake : public QObject {
    Q_OBJECT
public:
    explicit OutputKeepAwake(QObject* parent = nullptr);
    ~OutputKeepAwake() override;

    void start();

private:
    // The system's own stream of silence (OutputKeepAwake_linux.cpp: PulseAudio,
    // OutputKeepAwake_windows.cpp: WASAPI), run on threads of its own; it hands its news to
    // the object's thread, to the three below. connectToServer, on the object's thread,
    // opens the stream afresh unless one plays on the default output.
    struct System;
    void connectToServer();

    // On the object's thread (OutputKeepAwake.cpp).
    void setUpRetry();
    // A stream plays silence on the default output.
    void opened();
    // The stream could not be opened or ended under the program; serverThere: the server (on
    // Windows, an output device) was there all the same.
    void failed(const QString& why, bool serverThere);
    // connectToServer again after a pause that grows while it keeps failing.
    void retryLater();

    std::unique_ptr<System> system_;
    QTimer retry_;
    int failures_ = 0; // in a row, with the server there
};

} // namespace chimewick
