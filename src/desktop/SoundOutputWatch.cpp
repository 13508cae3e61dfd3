// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SoundOutputWatch.h"

#include "DesktopLog.h"
#include "PulseClient.h"

#include <QMetaObject>
#include <pulse/pulseaudio.h>

namespace chimewick {
namespace {

constexpr int RetryMs = 60 * 1000;

} // namespace

SoundOutputWatch::SoundOutputWatch(QObject* parent) : QObject(parent) {
    retry_.setSingleShot(true);
    retry_.setInterval(RetryMs);
    connect(&retry_, &QTimer::timeout, this, &SoundOutputWatch::connectToServer);
}

void SoundOutputWatch::setRetryInterval(int milliseconds) {
    retry_.setInterval(milliseconds);
}

SoundOutputWatch::~SoundOutputWatch() {
    endLoop(loop_, context_);
}

QString SoundOutputWatch::mutedText() {
    return QStringLiteral("Sound output is muted: bells will not be heard");
}

void SoundOutputWatch::start() {
    if (loop_)
        return;
    loop_ = startLoop();
    if (!loop_) {
        unavailable(QStringLiteral("the sound server's client did not start"));
        return;
    }
    connectToServer();
}

void SoundOutputWatch::connectToServer() {
    // The server's thread runs meanwhile: the context is changed under its lock only.
    pa_threaded_mainloop_lock(loop_);
    dropContext(context_);
    int error = 0;
    context_ = connectProgramContext(loop_, &SoundOutputWatch::onContextState, this, &error);
    QString failure;
    if (!context_)
        failure = error ? QString::fromUtf8(pa_strerror(error))
                        : QStringLiteral("the sound server's client did not start");
    pa_threaded_mainloop_unlock(loop_);
    if (!failure.isEmpty())
        unavailable(failure);
}

void SoundOutputWatch::onContextState(pa_context* context, void* self) {
    auto* watch = static_cast<SoundOutputWatch*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        subscribe(
            context,
            static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                PA_SUBSCRIPTION_MASK_SERVER),
            [](pa_context*, pa_subscription_event_type_t, uint32_t, void* s) {
                // Any change of an output or of the server's default: read the default again.
                static_cast<SoundOutputWatch*>(s)->queryDefaultSink();
            },
            self);
        watch->queryDefaultSink();
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
void SoundOutputWatch::queryDefaultSink() {
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
                    auto* watch = static_cast<SoundOutputWatch*>(s);
                    QMetaObject::invokeMethod(
                        watch, [watch, silent] { watch->report(silent); }, Qt::QueuedConnection);
                },
                self));
        },
        this));
}

void SoundOutputWatch::report(bool silent) {
    if (warning_.known(silent ? mutedText() : QString()))
        emit warningChanged(warning_.text());
}

void SoundOutputWatch::unavailable(const QString& why) {
    if (loop_)
        retry_.start();
    if (warning_.unknown(
            QStringLiteral("cannot tell whether the sound output is muted: %1").arg(why)))
        emit warningChanged(warning_.text());
}

} // namespace chimewick
