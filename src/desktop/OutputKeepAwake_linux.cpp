// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DesktopLog.h"
#include "OutputKeepAwake.h"
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

} // namespace

// The PulseAudio client (PipeWire's pipewire-pulse answers it too) and its stream.
struct OutputKeepAwake::System {
    explicit System(OutputKeepAwake& awake) : awake_(awake) {}

    // On the server's thread.
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    void queryDefault();
    void follow(const pa_server_info& server);
    void dropStream();
    void lost();

    OutputKeepAwake& awake_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
};

OutputKeepAwake::OutputKeepAwake(QObject* parent)
    : QObject(parent), system_(std::make_unique<System>(*this)) {
    setUpRetry();
}

OutputKeepAwake::~OutputKeepAwake() {
    endLoop(system_->loop_, system_->context_, [this] { system_->dropStream(); });
}

void OutputKeepAwake::start() {
    if (system_->loop_)
        return;
    system_->loop_ = startLoop();
    if (!system_->loop_) {
        logDesktopWarning(QStringLiteral(
            "cannot keep the sound output awake: the sound server's client did not start"));
        return;
    }
    connectToServer();
}

void OutputKeepAwake::connectToServer() {
    System& system = *system_;
    pa_threaded_mainloop_lock(system.loop_);
    if (system.stream_ && pa_stream_get_state(system.stream_) == PA_STREAM_READY) {
        pa_threaded_mainloop_unlock(system.loop_); // opened again on the new default meanwhile
        return;
    }
    system.dropStream();
    dropContext(system.context_);
    system.context_ = connectProgramContext(system.loop_, &System::onContextState, &system);
    pa_threaded_mainloop_unlock(system.loop_);
    if (!system.context_)
        retryLater();
}

void OutputKeepAwake::System::onContextState(pa_context* context, void* self) {
    auto* system = static_cast<System*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        subscribe(
            context, PA_SUBSCRIPTION_MASK_SERVER,
            [](pa_context*, pa_subscription_event_type_t, uint32_t, void* s) {
                // The default may have changed, or the output under the stream gone.
                static_cast<System*>(s)->queryDefault();
            },
            self);
        system->queryDefault();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        system->lost();
        break;
    default:
        break;
    }
}

void OutputKeepAwake::System::queryDefault() {
    letGo(pa_context_get_server_info(
        context_,
        [](pa_context*, const pa_server_info* info, void* self) {
            if (info)
                static_cast<System*>(self)->follow(*info);
        },
        this));
}

// The stream is opened on the default output by name and not moved by the server: a server
// that remembers where an application played would otherwise put it back on an output that is
// no longer the default. When the default changes it is opened afresh there; when its output
// goes, the server ends it and the new default gets a new one.
void OutputKeepAwake::System::follow(const pa_server_info& server) {
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
    pa_stream_set_state_callback(stream_, &System::onStreamState, this);
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

void OutputKeepAwake::System::onStreamState(pa_stream* stream, void* self) {
    auto* system = static_cast<System*>(self);
    OutputKeepAwake* awake = &system->awake_;
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        QMetaObject::invokeMethod(
            awake, [awake] { awake->opened(); }, Qt::QueuedConnection);
        // A change of default while the stream was being made was passed over: asked again
        // now, so the stream follows it rather than staying on the output it was opened on.
        if (stream == system->stream_)
            system->queryDefault();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        // Ended with its output, or refused: opened again on the default, if there is one, when
        // the server names it, or else by the retry.
        if (stream == system->stream_ && pa_context_get_state(system->context_) == PA_CONTEXT_READY)
            system->lost();
        break;
    default:
        break;
    }
}

void OutputKeepAwake::System::dropStream() {
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

// On the server's thread: everything is opened again from the object's thread, after a pause
// that grows while it keeps failing.
void OutputKeepAwake::System::lost() {
    const QString why =
        QString::fromUtf8(pa_strerror(context_ ? pa_context_errno(context_) : PA_ERR_UNKNOWN));
    const bool serverThere = context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
    OutputKeepAwake* awake = &awake_;
    QMetaObject::invokeMethod(
        awake, [awake, why, serverThere] { awake->failed(why, serverThere); },
        Qt::QueuedConnection);
}

} // namespace chimewick
