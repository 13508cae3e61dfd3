// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "PlayerSettings.h"

#include <QMediaPlayer>
#include <QObject>
#include <QString>

class QAudioOutput;
class QTimer;

namespace chimewick {

// What the player's display says of the recording in hand.
enum class PlayState { Stopped, Playing, Paused, Ended, Error };

// The playing side of the media player. It plays one recording at a time: a new path
// replaces whatever was playing and starts at once. A recording that cannot sound is
// reported by one line on standard error and by playbackFailed, never in a dialog: an
// unattended bell must not leave a window waiting for a click.
class Playback : public QObject {
    Q_OBJECT
public:
    explicit Playback(QObject* parent = nullptr);

    // Volume, mute, play count, rate and whether a recording starts when handed over.
    void applySettings(const PlayerSettings& settings);

    // Hands a recording over. Returns at once, whatever the path.
    void setUrl(const QString& path);
    QString url() const;

    void togglePlayPause();
    void stop();
    void setPosition(qint64 milliseconds);
    void setVolume(int percent);
    void setMuted(bool muted);

    PlayState state() const;
    int volume() const;
    bool isMuted() const;

    QMediaPlayer* mediaPlayer() const;
    QAudioOutput* audioOutput() const;

signals:
    // A recording was handed over: the name to show and where it lies.
    void titleChanged(const QString& title, const QString& toolTip);
    // The state, position, duration, volume or mute changed.
    void changed();
    // Emitted once per recording that cannot sound, after standard error says so.
    void playbackFailed(const QString& message);

private:
    void reportFailure(const QString& reason, const QString& detail = {});
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onErrorOccurred(QMediaPlayer::Error error, const QString& errorString);

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    QTimer* openWatch_ = nullptr;
    bool autoStart_ = true;
    QString url_;         // the path last handed over, as given
    QString filePath_;    // the file actually opened, after the letter-case fallback
    bool failed_ = false; // the current recording has been reported as unplayable
};

} // namespace chimewick
