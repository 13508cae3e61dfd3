// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Playback.h"

#include "PlayerLog.h"
#include "Recordings.h"
#include "SoundBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace chimewick {
namespace {

// Opening a bell takes well under a second; one still loading after this long will not sound.
constexpr int OpenTimeoutSeconds = 5;
// How often the display's position moves while a bell plays.
constexpr int ProgressMs = 250;
// The sound server still holds the last of a bell when its end is signalled.
constexpr int EndHoldMs = 500;

// Cheap checks on the file system, so that the common faults (a missing or misnamed file)
// are told in plain words rather than in the decoder's. Returns why the file cannot play, or
// nothing; path becomes the file to open.
QString fileProblem(QString& path) {
    QFileInfo info(path);
    if (!info.exists()) {
        // Through Qt's own conversions to and from the system's paths: bytes here, UTF-16 on
        // Windows.
        const auto match = findRecording(info.filesystemFilePath());
        if (!match)
            return QStringLiteral("file not found");
        path = QFileInfo(*match).filePath();
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

Playback::Playback(QObject* parent) : QObject(parent) {
    // The decoders load beside the window, before the first bell needs them.
    prepareSoundBackend();
    openWatch_.setSingleShot(true);
    openWatch_.setInterval(OpenTimeoutSeconds * 1000);
    connect(&openWatch_, &QTimer::timeout, this, [this] {
        if (!current_ || current_->isOpen())
            return;
        discard(current_);
        mode_ = Mode::Stopped;
        reportFailure(QStringLiteral("it did not open within %1 seconds").arg(OpenTimeoutSeconds),
                      QStringLiteral("no answer from the decoder"));
    });
    progress_.setInterval(ProgressMs);
    connect(&progress_, &QTimer::timeout, this, &Playback::changed);
    endHold_.setSingleShot(true);
    endHold_.setInterval(EndHoldMs);
    connect(&endHold_, &QTimer::timeout, this, [this] {
        if (ended_)
            discard(current_);
    });
}

Playback::~Playback() = default;

void Playback::applySettings(const PlayerSettings& settings) {
    setVolume(settings.volume);
    setMuted(settings.mute);
    playCount_ = std::max(settings.playCount, 1);
    rate_ = settings.rate > 0.0 ? settings.rate : 1.0;
    autoStart_ = settings.autoStart;
}

std::unique_ptr<SoundBackend> Playback::makeBackend() {
    auto backend = makeSoundBackend();
    backend->setVolume(volume_ / 100.0);
    backend->setMuted(muted_);
    backend->setRate(rate_);
    SoundBackend* b = backend.get();
    // A prepared bell is silent and invisible: only the one in hand speaks to the display.
    connect(b, &SoundBackend::opened, this, [this, b] {
        if (b != current_.get())
            return;
        openWatch_.stop();
        duration_ = b->duration();
        emit changed();
    });
    connect(b, &SoundBackend::playingChanged, this, [this, b] {
        if (b == current_.get())
            emit changed();
    });
    connect(b, &SoundBackend::ended, this, [this, b] { onEnded(b); });
    connect(b, &SoundBackend::failed, this,
            [this, b](const QString& reason, const QString& detail) {
                if (b == prepared_.get()) {
                    // Opened afresh when it rings, and reported then.
                    dropPrepared();
                } else if (b == current_.get()) {
                    discard(current_);
                    mode_ = Mode::Stopped;
                    reportFailure(reason, detail);
                }
            });
    return backend;
}

void Playback::discard(std::unique_ptr<SoundBackend>& backend) {
    if (!backend)
        return;
    disconnect(backend.get(), nullptr, this, nullptr);
    backend->close();
    // It may be inside one of its own signals.
    backend.release()->deleteLater();
}

void Playback::setUrl(const QString& path) {
    url_ = path;
    failed_ = false;
    ended_ = false;
    openWatch_.stop();
    endHold_.stop();
    position_ = 0;
    duration_ = 0;
    std::unique_ptr<SoundBackend> previous = std::move(current_);
    if (path.isEmpty()) {
        discard(previous);
        dropPrepared();
        filePath_.clear();
        mode_ = Mode::Stopped;
        progress_.stop();
        emit titleChanged(QStringLiteral("Ready"), QStringLiteral("Ready"));
        emit changed();
        return;
    }

    QString file = path;
    const QString problem = fileProblem(file);
    filePath_ = file;
    if (!problem.isEmpty()) {
        // The new bell replaces the old one even when it cannot sound.
        discard(previous);
        dropPrepared();
        mode_ = Mode::Stopped;
        progress_.stop();
        reportFailure(problem);
        return;
    }

    emit titleChanged(shownName(file), QDir::toNativeSeparators(file));
    loopsLeft_ = playCount_;
    if (prepared_ && preparedFile_ == file && preparedStamp_ == fileStamp(file)) {
        current_ = std::move(prepared_);
        preparedFile_.clear();
    } else {
        // A new backend for every bell: the file is read afresh, from its beginning.
        dropPrepared();
        current_ = makeBackend();
        current_->open(file);
    }
    if (autoStart_) {
        current_->play();
        mode_ = Mode::Playing;
        progress_.start();
    } else {
        mode_ = Mode::Stopped;
    }
    // Let go of the old bell once the new one is on its way, so it starts no later for it.
    discard(previous);
    if (current_->isOpen())
        duration_ = current_->duration();
    else
        openWatch_.start();
    emit changed();
}

QString Playback::url() const {
    return url_;
}

void Playback::prepare(const QString& path) {
    QString file = path;
    if (path.isEmpty() || !fileProblem(file).isEmpty()) {
        dropPrepared();
        return;
    }
    const FileStamp stamp = fileStamp(file);
    if (prepared_ && preparedFile_ == file && preparedStamp_ == stamp)
        return;
    dropPrepared();
    prepared_ = makeBackend();
    preparedFile_ = file;
    preparedStamp_ = stamp;
    prepared_->open(file);
}

void Playback::dropPrepared() {
    discard(prepared_);
    preparedFile_.clear();
}

QString Playback::preparedFile() const {
    return prepared_ ? preparedFile_ : QString();
}

void Playback::togglePlayPause() {
    if (mode_ == Mode::Playing) {
        if (current_)
            current_->pause();
        mode_ = Mode::Paused;
        progress_.stop();
        emit changed();
    } else if (failed_ || !current_) {
        // Play after a fault or an end opens the file again: it may have been put right.
        if (url_.isEmpty())
            return;
        const bool autoStart = std::exchange(autoStart_, true);
        setUrl(url_);
        autoStart_ = autoStart;
    } else {
        current_->play();
        mode_ = Mode::Playing;
        progress_.start();
        emit changed();
    }
}

void Playback::stop() {
    discard(current_);
    openWatch_.stop();
    endHold_.stop();
    progress_.stop();
    mode_ = Mode::Stopped;
    ended_ = false;
    position_ = 0;
    emit changed();
}

void Playback::setPosition(qint64 milliseconds) {
    if (!current_)
        return;
    current_->seek(milliseconds);
    emit changed();
}

void Playback::setVolume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
    for (auto* backend : {current_.get(), prepared_.get()})
        if (backend)
            backend->setVolume(volume_ / 100.0);
    emit changed();
}

void Playback::setMuted(bool muted) {
    muted_ = muted;
    for (auto* backend : {current_.get(), prepared_.get()})
        if (backend)
            backend->setMuted(muted);
    emit changed();
}

PlayState Playback::state() const {
    if (failed_)
        return PlayState::Error;
    if (ended_)
        return PlayState::Ended;
    switch (mode_) {
    case Mode::Playing:
        return PlayState::Playing;
    case Mode::Paused:
        return PlayState::Paused;
    case Mode::Stopped:
        break;
    }
    return PlayState::Stopped;
}

bool Playback::isActive() const {
    return mode_ != Mode::Stopped;
}

qint64 Playback::position() const {
    return current_ && !ended_ ? current_->position() : position_;
}

qint64 Playback::duration() const {
    return current_ && current_->duration() > 0 ? current_->duration() : duration_;
}

bool Playback::isSeekable() const {
    return current_ && !ended_ && current_->isSeekable();
}

int Playback::volume() const {
    return volume_;
}

bool Playback::isMuted() const {
    return muted_;
}

int Playback::playCount() const {
    return playCount_;
}

double Playback::rate() const {
    return rate_;
}

void Playback::onEnded(SoundBackend* backend) {
    if (backend != current_.get())
        return;
    if (--loopsLeft_ > 0) {
        backend->seek(0);
        return;
    }
    ended_ = true;
    mode_ = Mode::Stopped;
    duration_ = backend->duration();
    position_ = duration_;
    progress_.stop();
    endHold_.start();
    emit changed();
}

void Playback::reportFailure(const QString& reason, const QString& detail) {
    if (failed_)
        return;
    failed_ = true;
    openWatch_.stop();
    progress_.stop();

    // One line, whatever the path or the decoder's words hold.
    QString line =
        QStringLiteral("Cannot play %1: %2").arg(QDir::toNativeSeparators(filePath_), reason);
    if (!detail.isEmpty())
        line += QStringLiteral(" (%1)").arg(detail);
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    qCWarning(playerLog).noquote() << line;

    emit changed();
    emit playbackFailed(QStringLiteral("Cannot play %1: %2").arg(shownName(filePath_), reason));
}

} // namespace chimewick
