// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace chimewick {

// One Chimewick per user session: two copies would ring every bell twice, out of step.
// The first start listens on a local socket in the user's runtime folder, open to that user
// only; a later start asks it to show itself and ends, handing on the activation token its
// desktop gave it (XDG_ACTIVATION_TOKEN): on Wayland a window may come to the front only with
// such a token. A socket left by a copy that crashed answers no one, and is replaced.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);

    // True when this is the only copy, which then listens for later starts; false when a
    // running copy was reached and asked to show itself, with the token when there is one.
    bool claim(const QString& activationToken = {});

signals:
    // The token is empty when the later start was given none.
    void showRequested(const QString& activationToken);

private:
    // Where the first copy listens, one place a user: in the system's own file
    // (SingleInstance_posix.cpp, SingleInstance_windows.cpp).
    static QString serverName();
    static bool askRunningCopy(const QString& name, const QString& activationToken);
    void take(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
};

// A later start's request, as the running copy reads it: the line "show yourself", alone or
// with a blank and a token, ending in a newline. The token of a well-formed request, empty when
// it carries none; nothing for any other line.
std::optional<QString> readShowRequest(const QByteArray& line);

} // namespace chimewick
