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

} // namespace chimewick
