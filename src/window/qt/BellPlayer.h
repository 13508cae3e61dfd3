// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "PlayerSettings.h"

#include <QMediaPlayer>
#include <QSize>
#include <QString>
#include <QWidget>

class QAction;
class QAudioOutput;
class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace chimewick {

// The media player "wmp" of the main window. It plays one recording at a time: a new path
// replaces whatever was playing and starts at once. It shows its own display and controls,
// and a recording that cannot sound is reported in the display and on standard error, never
// in a dialog: an unattended bell must not leave a window waiting for a click.
class BellPlayer : public QWidget {
    Q_OBJECT
public:
    explicit BellPlayer(const PlayerSettings& settings, QWidget* parent = nullptr);

    // Hands a recording to the player. Returns at once, whatever the path.
    void setUrl(const QString& path);
    QString url() const;

    // Shows a line in the player's display until the next recording is handed over.
    void showNotice(const QString& text);
    QString displayText() const;

    QMediaPlayer* mediaPlayer() const;
    QAudioOutput* audioOutput() const;

    QSize sizeHint() const override;

signals:
    // Emitted once per recording that cannot sound, after the display and standard error
    // say so.
    void playbackFailed(const QString& message);

private:
    void buildControls();
    void applySettings(const PlayerSettings& settings);
    void reportFailure(const QString& reason, const QString& detail = {});
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onErrorOccurred(QMediaPlayer::Error error, const QString& errorString);
    void togglePlayPause();
    void stepVolume(int delta);
    void refreshState();
    void refreshTime();
    void refreshVolume();

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    QTimer* openWatch_ = nullptr;

    QLabel* title_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* time_ = nullptr;
    QSlider* seek_ = nullptr;
    QSlider* volume_ = nullptr;
    QToolButton* playButton_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    QToolButton* muteButton_ = nullptr;
    QAction* playAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* muteAction_ = nullptr;
    QAction* volumeUpAction_ = nullptr;
    QAction* volumeDownAction_ = nullptr;

    bool autoStart_ = true;
    QString url_;         // the path last handed over, as given
    QString filePath_;    // the file actually opened, after the letter-case fallback
    bool failed_ = false; // the current recording has been reported as unplayable
};

} // namespace chimewick
