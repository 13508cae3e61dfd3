// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Playback.h"

#include "Messages.h"
#include "PromptStart.h"
#include "Recordings.h"
#include "SeekGuard.h"

#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace chimewick {
namespace {

// Opening a bell takes well under a second; one still loading after this long will not sound.
constexpr int OpenTimeoutSeconds = 5;

// Cheap checks on the file system, so that the common faults (a missing or misnamed file)
// are told in plain words rather than in the decoder's. Returns why the file cannot play, or
// nothing; path becomes the file to open.
QString fileProblem(QString& path) {
    QFileInfo info(path);
    if (!info.exists()) {
        const auto match = findRecording(QFile::encodeName(path).toStdString());
        if (!match)
            return QStringLiteral("file not found");
        path = QFile::decodeName(match->c_str());
        info.setFile(path);
    }
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    // Pipes and devices could block the decoder or never end.
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("file cannot be read (%1)").arg(file.errorString());
    if (file.size() == 0)
        return QStringLiteral("file is empty");
    return {};
}

QString shownName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

Playback::Playback(QObject* parent) : QObject(parent), player_(new QMediaPlayer(this)) {
    // The player has started the media backend; its output is made once the backend is set
    // for a prompt start and its seeks are guarded, so that the output's sink is covered too.
    promptstart::prepare();
    guardSeeks();
    output_ = new QAudioOutput(this);
    // Made once: building a pipeline and opening the sound device for every ring would delay
    // each bell.
    player_->setAudioOutput(output_);
    // Qt's GStreamer backend now and then drops a decoder's error, leaving the player loading
    // for ever; the bell must not fail in silence then.
    openWatch_ = new QTimer(this);
    openWatch_->setSingleShot(true);
    openWatch_->setInterval(OpenTimeoutSeconds * 1000);
    connect(openWatch_, &QTimer::timeout, this, [this] {
        if (player_->mediaStatus() != QMediaPlayer::LoadingMedia)
            return;
        player_->setSource(QUrl());
        reportFailure(tr("it did not open within %1 seconds").arg(OpenTimeoutSeconds),
                      QStringLiteral("no answer from the decoder"));
    });

    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &Playback::onMediaStatusChanged);
    connect(player_, &QMediaPlayer::errorOccurred, this, &Playback::onErrorOccurred);
    connect(player_, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) {
                if (state == QMediaPlayer::PlayingState)
                    promptstart::reportOnce();
                emit changed();
            });
    for (auto signal : {&QMediaPlayer::positionChanged, &QMediaPlayer::durationChanged})
        connect(player_, signal, this, &Playback::changed);
    connect(player_, &QMediaPlayer::seekableChanged, this, &Playback::changed);
    connect(output_, &QAudioOutput::volumeChanged, this, &Playback::changed);
    connect(output_, &QAudioOutput::mutedChanged, this, &Playback::changed);
}

void Playback::applySettings(const PlayerSettings& settings) {
    setVolume(settings.volume);
    output_->setMuted(settings.mute);
    player_->setLoops(std::max(settings.playCount, 1));
    player_->setPlaybackRate(settings.rate > 0.0 ? settings.rate : 1.0);
    autoStart_ = settings.autoStart;
}

void Playback::setUrl(const QString& path) {
    url_ = path;
    failed_ = false;
    openWatch_->stop();
    if (path.isEmpty()) {
        filePath_.clear();
        player_->setSource(QUrl());
        emit titleChanged(tr("Ready"), tr("Ready"));
        emit changed();
        return;
    }

    QString file = path;
    const QString problem = fileProblem(file);
    filePath_ = file;
    if (!problem.isEmpty()) {
        // The new bell replaces the old one even when it cannot sound.
        player_->setSource(QUrl());
        reportFailure(problem);
        return;
    }

    emit titleChanged(shownName(file), QDir::toNativeSeparators(file));
    const QUrl source = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    // The same bell again is let go and opened afresh, so it starts from its beginning:
    // QMediaPlayer ignores a source it already has, and stopping and playing an ended
    // file on a sound server now and then left the bell silent.
    if (source == player_->source())
        player_->setSource(QUrl());
    player_->setSource(source);
    if (autoStart_)
        player_->play();
    openWatch_->start();
    emit changed();
}

QString Playback::url() const {
    return url_;
}

void Playback::togglePlayPause() {
    if (player_->playbackState() == QMediaPlayer::PlayingState) {
        player_->pause();
    } else if (failed_ || player_->source().isEmpty()) {
        // Play after a fault tries the file again: it may have been put right meanwhile.
        if (!url_.isEmpty())
            setUrl(url_);
    } else {
        player_->play();
    }
}

void Playback::stop() {
    player_->stop();
}

void Playback::setPosition(qint64 milliseconds) {
    player_->setPosition(milliseconds);
}

void Playback::setVolume(int percent) {
    output_->setVolume(static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f);
}

void Playback::setMuted(bool muted) {
    output_->setMuted(muted);
}

PlayState Playback::state() const {
    if (failed_)
        return PlayState::Error;
    if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
        return PlayState::Ended;
    switch (player_->playbackState()) {
    case QMediaPlayer::PlayingState:
        return PlayState::Playing;
    case QMediaPlayer::PausedState:
        return PlayState::Paused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return PlayState::Stopped;
}

int Playback::volume() const {
    return qRound(output_->volume() * 100.0f);
}

bool Playback::isMuted() const {
    return output_->isMuted();
}

QMediaPlayer* Playback::mediaPlayer() const {
    return player_;
}

QAudioOutput* Playback::audioOutput() const {
    return output_;
}

void Playback::reportFailure(const QString& reason, const QString& detail) {
    if (failed_)
        return;
    failed_ = true;
    openWatch_->stop();

    // One line, whatever the path or the decoder's words hold.
    QString line =
        QStringLiteral("Cannot play %1: %2").arg(QDir::toNativeSeparators(filePath_), reason);
    if (!detail.isEmpty())
        line += QStringLiteral(" (%1)").arg(detail);
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    qCWarning(messages).noquote() << line;

    emit changed();
    emit playbackFailed(tr("Cannot play %1: %2").arg(shownName(filePath_), reason));
}

void Playback::onMediaStatusChanged(QMediaPlayer::MediaStatus status) {
    if (status != QMediaPlayer::LoadingMedia)
        openWatch_->stop();
    if (status == QMediaPlayer::InvalidMedia)
        reportFailure(tr("not a sound the player can decode"), player_->errorString());
    emit changed();
}

void Playback::onErrorOccurred(QMediaPlayer::Error error, const QString& errorString) {
    if (error == QMediaPlayer::NoError || player_->source().isEmpty())
        return;
    const QString reason = error == QMediaPlayer::AccessDeniedError
                               ? tr("access denied")
                               : tr("not a sound the player can decode");
    reportFailure(reason, errorString);
}

} // namespace chimewick
