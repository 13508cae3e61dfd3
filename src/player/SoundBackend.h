// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace chimewick {

// One recording on its way to the sound output, on one platform's sound stack. Made for one
// file and thrown away after it: a new bell, or the same bell again, gets a new one, so a
// file is always read afresh and starts from its beginning. Its signals arrive on the
// thread that made it.
class SoundBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the file and readies the output, then waits at the start until play().
    virtual void open(const QString& file) = 0;
    // Plays, at once when opened, or as soon as it is.
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void seek(qint64 milliseconds) = 0;
    // Linear, 0 to 1.
    virtual void setVolume(double volume) = 0;
    virtual void setMuted(bool muted) = 0;
    virtual void setRate(double rate) = 0;
    // Silences the recording and lets its output go at once; nothing is signalled after.
    virtual void close() = 0;

    // Opened, paused or playing, and not failed.
    virtual bool isOpen() const = 0;
    virtual bool isPlaying() const = 0;
    virtual qint64 position() const = 0;
    virtual qint64 duration() const = 0;
    virtual bool isSeekable() const = 0;

signals:
    // Opened: the length is known and the output is ready.
    void opened();
    void playingChanged(bool playing);
    // The recording's end was heard.
    void ended();
    // The file cannot sound: why, in the operator's words, and the decoder's own.
    void failed(const QString& reason, const QString& detail);
};

// The backend of this platform.
std::unique_ptr<SoundBackend> makeSoundBackend();

// Once per process, beside the window's start: readies what opening a bell needs.
void prepareSoundBackend();

} // namespace chimewick
