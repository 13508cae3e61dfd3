// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "FileStamp.h"
#include "PlayerSettings.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace chimewick {

class SoundBackend;

// What the player's display says of the recording in hand.
enum class PlayState { Stopped, Playing, Paused, Ended, Error };

// The playing side of the media player. It plays one recording at a time: a new path
// replaces whatever was playing and starts at once. A recording that cannot sound is
// reported by one line on standard error and by playbackFailed, never in a dialog: an
// unattended bell must not leave a window waiting for a click.
//
// A bell known to be due soon can be prepared: opened, decoded up to its first sample and
// its output ready, but silent and nowhere in the display. Handed over with setUrl while the
// file is unchanged, it starts at once; any other path drops it.
class Playback : public QObject {
    Q_OBJECT
public:
    explicit Playback(QObject* parent = nullptr);
    ~Playback() override;

    // Volume, mute, play count, rate and whether a recording starts when handed over.
    void applySettings(const PlayerSettings& settings);

    // Hands a recording over. Returns at once, whatever the path.
    void setUrl(const QString& path);
    QString url() const;

    // Readies the recording at path for a later setUrl of the same path; an empty path, or
    // one that cannot play, drops what was prepared.
    void prepare(const QString& path);
    void dropPrepared();
    // The file held ready, empty if none.
    QString preparedFile() const;

    void togglePlayPause();
    void stop();
    void setPosition(qint64 milliseconds);
    void setVolume(int percent);
    void setMuted(bool muted);

    PlayState state() const;
    // Playing or paused, so that a stop has something to stop.
    bool isActive() const;
    qint64 position() const;
    qint64 duration() const;
    bool isSeekable() const;
    int volume() const;
    bool isMuted() const;
    int playCount() const;
    double rate() const;

signals:
    // A recording was handed over: the name to show and where it lies.
    void titleChanged(const QString& title, const QString& toolTip);
    // The state, position, duration, volume or mute changed.
    void changed();
    // Emitted once per recording that cannot sound, after standard error says so.
    void playbackFailed(const QString& message);

private:
    enum class Mode { Stopped, Playing, Paused };
    std::unique_ptr<SoundBackend> makeBackend();
    void discard(std::unique_ptr<SoundBackend>& backend);
    void reportFailure(const QString& reason, const QString& detail = {});
    void onEnded(SoundBackend* backend);

    std::unique_ptr<SoundBackend> current_;
    std::unique_ptr<SoundBackend> prepared_;
    QString preparedFile_;
    FileStamp preparedStamp_;
    QTimer openWatch_;
    QTimer progress_; // the display's position while playing
    QTimer endHold_;  // lets the last of an ended bell play out before its output closes
    Mode mode_ = Mode::Stopped;
    bool autoStart_ = true;
    int volume_ = 100;
    bool muted_ = false;
    int playCount_ = 1;
    int loopsLeft_ = 1;
    double rate_ = 1.0;
    qint64 position_ = 0; // kept when no recording is open
    qint64 duration_ = 0;
    bool ended_ = false;
    QString url_;         // the path last handed over, as given
    QString filePath_;    // the file actually opened, after the letter-case fallback
    bool failed_ = false; // the current recording has been reported as unplayable
};

} // namespace chimewick
