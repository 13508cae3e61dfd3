// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "StandingWarnings.h"

#include <QObject>
#include <QString>
#include <QTimer>

struct pa_threaded_mainloop;
struct pa_context;

namespace chimewick {

// Watches the default output of the sound server that the player plays through: muted or
// turned to zero there, every bell plays into silence without failing, so the operator is
// told while it lasts. It follows the server's own change events, including a change of the
// default output. With no server it says so once on standard error, stays quiet, and tries
// again now and then: the server may start after the program, or restart under it.
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
    // Called from the sound server's thread; each hands its news to the object's thread.
    static void onContextState(pa_context* context, void* self);
    void connectToServer();
    void queryDefaultSink();
    void report(bool silent);
    void unavailable(const QString& why);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    QTimer retry_;
    WatchedWarning warning_;
};

} // namespace chimewick
