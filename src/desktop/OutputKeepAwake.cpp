// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputKeepAwake.h"

#include "DesktopLog.h"
#include "PulseClient.h"

#include <QMetaObject>
#include <cstring>
#include <pulse/pulseaudio.h>

namespace chimewick {
namespace {

// The stream's buffer, in which nothing is ever written: without a pre-buffer the server plays
// silence for a stream with nothing queued and keeps it running. The server reports each
// request's worth played, so long requests keep the program asleep (2 to 3 wake-ups a
// second). What the buffer holds beyond two requests, 30 ms, is the output latency the stream
// asks for; on PipeWire it sets the graph's cycle, whose end a starting bell waits for, and
// 30 ms keeps PipeWire's own default cycle (1024 frames) rather than its longest.
constexpr pa_usec_t RequestUs = 500 * PA_USEC_PER_MSEC;
constexpr pa_usec_t BufferUs = 2 * RequestUs + 30 * PA_USEC_PER_MSEC;

// A server that went is tried again soon, then less often.
constexpr int FirstRetryMs = 500;
constexpr int LastRetryMs = 30 * 1000;

} // namespace

OutputKeepAwake::OutputKeepAwake(QObject* parent) : QObject(parent) {
    retry_.setSingleShot(true);
    retry_.setInterval(FirstRetryMs);
    connect(&retry_, &QTimer::timeout, this, &OutputKeepAwake::connectToServer);
}

OutputKeepAwake::~OutputKeepAwake() {
    endLoop(loop_, context_, [this] { dropStream(); });
}

void OutputKeepAwake::start() {
    if (loop_)
        return;
    loop_ = startLoop();
    if (!loop_) {
        logDesktopWarning(QStringLiteral(
            "cannot keep the sound output awake: the sound server's client did not start"));
        return;
    }
    connectToServer();
}

void OutputKeepAwake::connectToServer() {
    pa_threaded_mainloop_lock(loop_);
    if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        pa_threaded_mainloop_unlock(loop_); // opened again on the new default meanwhile
        return;
    }
    dropStream();
    dropContext(context_);
    context_ = connectProgramContext(loop_, &OutputKeepAwake::onContextState, this);
    pa_threaded_mainloop_unlock(loop_);
    if (!context_)
        retry_.start(qMin(retry_.interval() * 2, LastRetryMs));
}

void OutputKeepAwake::onContextState(pa_context* context, void* self) {
    auto* awake = static_cast<OutputKeepAwake*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        subscribe(
            context, PA_SUBSCRIPTION_MASK_SERVER,
            [](pa_context*, pa_subscription_event_type_t, uint32_t, void* s) {
                // The default may have changed, or the output under the stream gone.
                static_cast<OutputKeepAwake*>(s)->queryDefault();
            },
            self);
        awake->queryDefault();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        awake->lost();
        break;
    default:
        break;
    }
}

void OutputKeepAwake::queryDefault() {
    letGo(pa_context_get_server_info(
        context_,
        [](pa_context*, const pa_server_info* info, void* self) {
            if (info)
                static_cast<OutputKeepAwake*>(self)->follow(*info);
        },
        this));
}

// The stream is opened on the default output by name and not moved by the server: a server
// that remembers where an application played would otherwise put it back on an output that is
// no longer the default. When the default changes it is opened afresh there; when its output
// goes, the server ends it and the new default gets a new one.
void OutputKeepAwake::follow(const pa_server_info& server) {
    if (stream_) {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_CREATING)
            return; // looked at again once ready (onStreamState)
        const char* device = state == PA_STREAM_READY ? pa_stream_get_device_name(stream_) : "";
        if (state == PA_STREAM_READY && server.default_sink_name && device &&
            std::strcmp(device, server.default_sink_name) == 0)
            return;
        dropStream();
    }
    if (!server.default_sink_name)
        return; // no output at all; a new one changes the server's default
    // The server's own format: the output mixes the silence in without converting it.
    const pa_sample_spec format = server.sample_spec;
    stream_ = pa_stream_new(context_, "Keeping the sound output awake", &format, nullptr);
    if (!stream_) {
        lost();
        return;
    }
    pa_stream_set_state_callback(stream_, &OutputKeepAwake::onStreamState, this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(BufferUs, &format));
    attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(RequestUs, &format));
    attr.prebuf = 0;
    attr.fragsize = static_cast<uint32_t>(-1);
    if (pa_stream_connect_playback(stream_, server.default_sink_name, &attr, PA_STREAM_DONT_MOVE,
                                   nullptr, nullptr) < 0)
        lost();
}

void OutputKeepAwake::onStreamState(pa_stream* stream, void* self) {
    auto* awake = static_cast<OutputKeepAwake*>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        QMetaObject::invokeMethod(
            awake,
            [awake] {
                awake->retry_.setInterval(FirstRetryMs);
                awake->failures_ = 0;
            },
            Qt::QueuedConnection);
        // A change of default while the stream was being made was passed over: asked again
        // now, so the stream follows it rather than staying on the output it was opened on.
        if (stream == awake->stream_)
            awake->queryDefault();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        // Ended with its output, or refused: opened again on the default, if there is one, when
        // the server names it, or else by the retry.
        if (stream == awake->stream_ && pa_context_get_state(awake->context_) == PA_CONTEXT_READY)
            awake->lost();
        break;
    default:
        break;
    }
}

void OutputKeepAwake::dropStream() {
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

// On the server's thread: everything is opened again from the object's thread, after a pause
// that grows while it keeps failing.
void OutputKeepAwake::lost() {
    const QString why =
        QString::fromUtf8(pa_strerror(context_ ? pa_context_errno(context_) : PA_ERR_UNKNOWN));
    const bool serverThere = context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
    QMetaObject::invokeMethod(
        this,
        [this, why, serverThere] {
            // A server that is there but keeps refusing the stream is worth a line; an output
            // unplugged under it is not, and a missing server is named by the output watch.
            failures_ = serverThere ? failures_ + 1 : 0;
            if (failures_ == 3)
                logDesktopWarning(
                    QStringLiteral("cannot keep the sound output awake: %1").arg(why));
            if (!retry_.isActive())
                retry_.start(qMin(retry_.interval() * 2, LastRetryMs));
        },
        Qt::QueuedConnection);
}

} // namespace chimewick
