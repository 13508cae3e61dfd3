// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QTimer>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_server_info;

namespace chimewick {

// Keeps the sound server's default output from suspending while it lives: an HDMI receiver
// or an amplifier woken by a bell mutes or fades in its first seconds. It holds a stream of
// silence on the default output, never paused, whose silence the server makes itself, so it
// costs next to nothing. It follows a change of the default output, an output unplugged and a
// server that restarts or starts late; without a server it waits quietly, as the output watch
// already says so.
class OutputKeepAwake : public QObject {
    Q_OBJECT
public:
    explicit OutputKeepAwake(QObject* parent = nullptr);
    ~OutputKeepAwake() override;

    void start();

private:
    // On the server's thread.
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    void queryDefault();
    void follow(const pa_server_info& server);
    void dropStream();
    void lost();

    // On the object's thread.
    void connectToServer();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    QTimer retry_;
    int failures_ = 0; // in a row, with the server there
};

} // namespace chimewick
