// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "StandingWarnings.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

namespace chimewick {

// Watches whether the computer's clock is synchronised with network time, as the system's
// time service (timedated) tells it. A clock that drifts rings every bell early or late
// without any bell failing, so the operator is told while it lasts. Where there is no such
// service the watch says so once on standard error and stays quiet.
class ClockSyncWatch : public QObject {
    Q_OBJECT
public:
    explicit ClockSyncWatch(const QDBusConnection& bus = QDBusConnection::systemBus(),
                            QObject* parent = nullptr);

    // Reads the state now, then follows its changes.
    void start();

    static QString notSynchronisedText();

signals:
    void warningChanged(const QString& text);

private slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    void read();
    void apply(const QVariantMap& properties);
    void unavailable(const QString& why);

    QDBusConnection bus_;
    QTimer recheck_;
    WatchedWarning warning_;
};

} // namespace chimewick
