// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace chimewick {

// One Chimewick per user session: two copies would ring every bell twice, out of step.
// The first start listens on a local socket in the user's runtime folder, open to that user
// only; a later start asks it to show itself and ends. A socket left by a copy that crashed
// answers no one, and is replaced.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);

    // True when this is the only copy, which then listens for later starts; false when a
    // running copy was reached and asked to show itself.
    bool claim();

    // The one request the channel carries.
    static constexpr char ShowYourself[] = "show yourself\n";

signals:
    void showRequested();

private:
    static QString serverName();
    static bool askRunningCopy(const QString& name);
    void take(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
};

} // namespace chimewick
