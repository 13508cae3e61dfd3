// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PulseClient.h"
#include "SoundOutputWatch.h"

#include <QMetaObject>
#include <pulse/pulseaudio.h>

namespace chimewick {

// The PulseAudio client (PipeWire's pipewire-pulse answers it too).
struct SoundOutputWatch::System {
    explicit System(SoundOutputWatch& watch) : watch_(watch) {}

    // Called from the sound server's thread; each hands its news to the object's thread.
    static void onContextState(pa_context* context, void* self);
    void queryDefaultSink();

    SoundOutputWatch& watch_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
};

SoundOutputWatch::SoundOutputWatch(QObject* parent)
    : QObject(parent), system_(std::make_unique<System>(*this)) {
    setUpRetry();
}

SoundOutputWatch::~SoundOutputWatch() {
    endLoop(system_->loop_, system_->context_);
}

void SoundOutputWatch::start() {
    if (system_->loop_)
        return;
    system_->loop_ = startLoop();
    if (!system_->loop_) {
        unavailable(QStringLiteral("the sound server's client did not start"), false);
        return;
    }
    connectToServer();
}

void SoundOutputWatch::connectToServer() {
    pa_threaded_mainloop* loop = system_->loop_;
    // The server's thread runs meanwhile: the context is changed under its lock only.
    pa_threaded_mainloop_lock(loop);
    dropContext(system_->context_);
    int error = 0;
    system_->context_ = connectProgramContext(loop, &System::onContextState, system_.get(), &error);
    QString failure;
    if (!system_->context_)
        failure = error ? QString::fromUtf8(pa_strerror(error))
                        : QStringLiteral("the sound server's client did not start");
    pa_threaded_mainloop_unlock(loop);
    if (!failure.isEmpty())
        unavailable(failure);
}

void SoundOutputWatch::System::onContextState(pa_context* context, void* self) {
    auto* system = static_cast<System*>(self);
    SoundOutputWatch* watch = &system->watch_;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        subscribe(
            context,
            static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                PA_SUBSCRIPTION_MASK_SERVER),
            [](pa_context*, pa_subscription_event_type_t, uint32_t, void* s) {
                // Any change of an output or of the server's default: read the default again.
                static_cast<System*>(s)->queryDefaultSink();
            },
            self);
        system->queryDefaultSink();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: {
        const QString why = QString::fromUtf8(pa_strerror(pa_context_errno(context)));
        QMetaObject::invokeMethod(
            watch, [watch, why] { watch->unavailable(why); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
}

// On the server's thread.
void SoundOutputWatch::System::queryDefaultSink() {
    letGo(pa_context_get_server_info(
        context_,
        [](pa_context* context, const pa_server_info* info, void* self) {
            if (!info || !info->default_sink_name)
                return;
            letGo(pa_context_get_sink_info_by_name(
                context, info->default_sink_name,
                [](pa_context*, const pa_sink_info* sink, int eol, void* s) {
                    if (eol || !sink)
                        return;
                    const bool silent =
                        sink->mute || pa_cvolume_max(&sink->volume) == PA_VOLUME_MUTED;
                    SoundOutputWatch* watch = &static_cast<System*>(s)->watch_;
                    QMetaObject::invokeMethod(
                        watch, [watch, silent] { watch->report(silent); }, Qt::QueuedConnection);
                },
                self));
        },
        this));
}

} // namespace chimewick
