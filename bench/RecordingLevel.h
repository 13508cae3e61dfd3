// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace bench {

// The level at the monitor (16-bit samples, mono) from which a recording is heard as itself:
// within 20 dB of its own peak, as FFmpeg decodes the file, at the player's volume. A decoder's
// lead-in stays below it. 0 when the file cannot be decoded.
inline int contentLevel(const QString& file, double volume) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-i", file, "-f", "s16le", "-ac", "1", "-ar", "48000", "-"});
    if (!ffmpeg.waitForFinished(30000))
        return 0;
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    int peak = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(
                                  static_cast<std::uint8_t>(raw[i]) |
                                  static_cast<std::uint8_t>(raw[i + 1]) << 8))));
    return static_cast<int>(std::lround(peak * volume / 10.0));
}

} // namespace bench
