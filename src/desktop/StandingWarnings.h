// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <map>

namespace chimewick {

// The faults that would make every bell wrong while they last (a missing recording, an
// unsynchronised clock, a muted output). Each stays until its cause goes, unlike a bell's
// own message, which the next bell replaces; the display shows both.
class StandingWarnings : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Sets or replaces the warning of one cause; an empty text clears it.
    void set(const QString& key, const QString& text);
    void clear(const QString& key);

    // Every warning, one a line, in a fixed order of their causes.
    QString text() const;

    // Takes the warning of one cause from a watch that emits warningChanged(QString).
    template<typename Watch> void follow(const QString& key, Watch* watch) {
        connect(watch, &Watch::warningChanged, this,
                [this, key](const QString& text) { set(key, text); });
    }

signals:
    void changed(const QString& text);

private:
    std::map<QString, QString> warnings_;
};

// What a watch of the desktop knows of its one condition. A warning that appears is said once
// on standard error; while nothing can be known, why is said once and no warning is shown,
// since none is known. Each call returns whether the warning shown changed.
class WatchedWarning {
public:
    // text: the warning, empty while all is well; line: what standard error says of it.
    bool known(const QString& text, const QString& line);
    bool known(const QString& text) { return known(text, text); }
    bool unknown(const QString& why);
    const QString& text() const { return text_; }

private:
    QString text_;
    bool toldUnknown_ = false;
};

} // namespace chimewick
