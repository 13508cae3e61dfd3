// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Playback.h"

#include <QIcon>
#include <QStyle>
#include <QWidget>
#include <map>

class QAction;
class QFrame;
class QLabel;
class QSlider;
class QToolButton;

namespace chimewick {

// The face of the media player: its display (file, state, position), play/pause, stop, seek,
// volume, mute and the context menu. It shows what it is told and only asks for changes: the
// operator's actions come out as the requests below.
class PlayerControls : public QWidget {
    Q_OBJECT
public:
    explicit PlayerControls(QWidget* parent = nullptr);

    // "full" shows buttons and sliders, "mini" the buttons, anything else the display alone.
    void setUiMode(const std::u16string& mode);

    // The display's first line until the next call.
    void setTitle(const QString& title, const QString& toolTip);
    void setState(PlayState state, bool canPlay, bool canStop);
    void setPosition(qint64 position, qint64 duration);
    void setSeekable(bool seekable);
    void setVolume(int percent, bool muted);

    QString displayText() const;
    // Shows the standing warnings (one a line) beside the bell's own line, until replaced;
    // an empty text hides them.
    void setStandingWarnings(const QString& text);
    // Shows the standing line of the next bell under the bell's own line and the warnings;
    // an empty text hides it.
    void setNextBell(const QString& text);
    // The line that says the date has changed since the timetable was set; empty hides it.
    void setDayNotice(const QString& text);

signals:
    void playPauseRequested();
    void stopRequested();
    void seekRequested(qint64 position);
    void volumeRequested(int percent);
    void muteRequested(bool muted);

private:
    // The display's lines; the actions the buttons and the context menu share; the buttons and
    // sliders; and all of them in place.
    QFrame* makeDisplay();
    void makeActions();
    void makeButtonsAndSliders();
    void layOut(QFrame* display);
    static void showLine(QLabel* line, const QString& text);
    // A media icon drawn in the palette's button text colour.
    QIcon tintedIcon(QStyle::StandardPixmap which);

    QLabel* title_ = nullptr;
    QLabel* warnings_ = nullptr;
    QLabel* nextBell_ = nullptr;
    QLabel* dayNotice_ = nullptr;
    struct TintedIcon {
        QRgb colour = 0;
        QIcon icon;
    };
    std::map<QStyle::StandardPixmap, TintedIcon> tintedIcons_;
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
};

} // namespace chimewick
