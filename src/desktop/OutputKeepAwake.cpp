// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputKeepAwake.h"

#include "DesktopLog.h"

namespace chimewick {
namespace {

// A server that went is tried again soon, then less often.
constexpr int FirstRetryMs = 500;
constexpr int LastRetryMs = 30 * 1000;

} // namespace

void OutputKeepAwake::setUpRetry() {
    retry_.setSingleShot(true);
    retry_.setInterval(FirstRetryMs);
    connect(&retry_, &QTimer::timeout, this, &OutputKeepAwake::connectToServer);
}

void OutputKeepAwake::opened() {
    retry_.setInterval(FirstRetryMs);
    failures_ = 0;
}

void OutputKeepAwake::failed(const QString& why, bool serverThere) {
    // A server that is there but keeps refusing the stream is worth a line; an output
    // unplugged under it is not, and a missing server is named by the output watch.
    failures_ = serverThere ? failures_ + 1 : 0;
    if (failures_ == 3)
        logDesktopWarning(QStringLiteral("cannot keep the sound output awake: %1").arg(why));
    retryLater();
}

void OutputKeepAwake::retryLater() {
    if (!retry_.isActive())
        retry_.start(qMin(retry_.interval() * 2, LastRetryMs));
}

} // namespace chimewick
