// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"

#include "Playback.h"
#include "PlayerControls.h"

#include <QVBoxLayout>

namespace chimewick {

BellPlayer::BellPlayer(const PlayerSettings& settings, QWidget* parent)
    : QWidget(parent), playback_(new Playback(this)), controls_(new PlayerControls(this)) {
    setAccessibleName(QStringLiteral("Player"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controls_);

    playback_->applySettings(settings);
    controls_->setUiMode(settings.uiMode);
    setEnabled(settings.enabled);
    controls_->setContextMenuPolicy(settings.enableContextMenu ? Qt::ActionsContextMenu
                                                               : Qt::NoContextMenu);
    // enableErrorDialogs is not consulted: this player never opens a dialog.

    connect(controls_, &PlayerControls::playPauseRequested, playback_, &Playback::togglePlayPause);
    connect(controls_, &PlayerControls::stopRequested, playback_, &Playback::stop);
    connect(controls_, &PlayerControls::seekRequested, playback_, &Playback::setPosition);
    connect(controls_, &PlayerControls::volumeRequested, playback_, &Playback::setVolume);
    connect(controls_, &PlayerControls::muteRequested, playback_, &Playback::setMuted);
    connect(playback_, &Playback::titleChanged, controls_, &PlayerControls::setTitle);
    connect(playback_, &Playback::changed, this, &BellPlayer::refresh);
    connect(playback_, &Playback::playbackFailed, this, [this](const QString& message) {
        showNotice(message);
        emit playbackFailed(message);
    });

    showNotice(QStringLiteral("Ready"));
    refresh();
}

void BellPlayer::setUrl(const QString& path) {
    playback_->setUrl(path);
}

void BellPlayer::prepare(const QString& path) {
    playback_->prepare(path);
}

QString BellPlayer::url() const {
    return playback_->url();
}

void BellPlayer::showNotice(const QString& text) {
    controls_->setTitle(text, text);
}

QString BellPlayer::displayText() const {
    return controls_->displayText();
}

void BellPlayer::setStandingWarnings(const QString& text) {
    controls_->setStandingWarnings(text);
}

void BellPlayer::setNextBell(const QString& text) {
    controls_->setNextBell(text);
}

void BellPlayer::setDayNotice(const QString& text) {
    controls_->setDayNotice(text);
}

Playback* BellPlayer::playback() const {
    return playback_;
}

PlayerControls* BellPlayer::controls() const {
    return controls_;
}

QSize BellPlayer::sizeHint() const {
    return {257, 113};
}

void BellPlayer::refresh() {
    const PlayState state = playback_->state();
    const bool failed = state == PlayState::Error;
    controls_->setState(state, !playback_->url().isEmpty(), playback_->isActive());
    controls_->setPosition(failed ? 0 : playback_->position(), failed ? 0 : playback_->duration());
    controls_->setSeekable(playback_->isSeekable());
    controls_->setVolume(playback_->volume(), playback_->isMuted());
}

} // namespace chimewick
