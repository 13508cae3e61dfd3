// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SoundOutputWatch.h"

namespace chimewick {
namespace {

constexpr int RetryMs = 60 * 1000;

} // namespace

void SoundOutputWatch::setUpRetry() {
    retry_.setSingleShot(true);
    retry_.setInterval(RetryMs);
    connect(&retry_, &QTimer::timeout, this, &SoundOutputWatch::connectToServer);
}

void SoundOutputWatch::setRetryInterval(int milliseconds) {
    retry_.setInterval(milliseconds);
}

QString SoundOutputWatch::mutedText() {
    return QStringLiteral("Sound output is muted: bells will not be heard");
}

void SoundOutputWatch::report(bool silent) {
    if (warning_.known(silent ? mutedText() : QString()))
        emit warningChanged(warning_.text());
}

void SoundOutputWatch::unavailable(const QString& why, bool retry) {
    if (retry)
        retry_.start();
    if (warning_.unknown(
            QStringLiteral("cannot tell whether the sound output is muted: %1").arg(why)))
        emit warningChanged(warning_.text());
}

} // namespace chimewick
