// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "PlayerSettings.h"

#include <QSize>
#include <QString>
#include <QWidget>

namespace chimewick {

class Playback;
class PlayerControls;

// The media player "wmp" of the main window: the playback and its controls, set up from the
// player's stored settings. It plays one recording at a time: a new path replaces whatever
// was playing and starts at once. A recording that cannot sound is reported in the display
// and on standard error, never in a dialog.
class BellPlayer : public QWidget {
    Q_OBJECT
public:
    explicit BellPlayer(const PlayerSettings& settings, QWidget* parent = nullptr);

    // Hands a recording to the player. Returns at once, whatever the path.
    void setUrl(const QString& path);
    QString url() const;

    // Readies a recording due soon, silent and out of the display, so that setUrl with the
    // same path starts it at once; an empty path drops it.
    void prepare(const QString& path);

    // Shows a line in the player's display until the next recording is handed over.
    void showNotice(const QString& text);
    QString displayText() const;

    // Shows the standing warnings (one a line) beside the bell's own line, until replaced;
    // an empty text hides them.
    void setStandingWarnings(const QString& text);
    // Shows the line of the next bell, until replaced; an empty text hides it.
    void setNextBell(const QString& text);
    // Shows the line that says the day has changed since the timetable was set; an empty
    // text hides it.
    void setDayNotice(const QString& text);

    Playback* playback() const;
    PlayerControls* controls() const;

    QSize sizeHint() const override;

signals:
    // Emitted once per recording that cannot sound, after the display and standard error
    // say so.
    void playbackFailed(const QString& message);

private:
    void refresh();

    Playback* playback_ = nullptr;
    PlayerControls* controls_ = nullptr;
};

} // namespace chimewick
