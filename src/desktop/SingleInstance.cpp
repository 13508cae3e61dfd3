// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SingleInstance.h"

#include "DesktopLog.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace chimewick {

namespace {

constexpr int WaitMs = 1000;
// The one request the channel carries: this line, or this line with a blank and a token.
constexpr char ShowYourself[] = "show yourself";
// Far longer than any compositor's token; a longer line is no request.
constexpr qsizetype MaxRequest = 512;

// A token is handed on only when it is plain printable ASCII, as the protocol's are.
bool plainToken(const QByteArray& token) {
    return !token.isEmpty() &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 127; });
}

} // namespace

std::optional<QString> readShowRequest(const QByteArray& line) {
    if (!line.endsWith('\n') || !line.startsWith(ShowYourself))
        return std::nullopt;
    const QByteArray rest = line.mid(qsizetype(sizeof(ShowYourself)) - 1).chopped(1);
    if (rest.isEmpty())
        return QString();
    if (rest.front() != ' ' || !plainToken(rest.mid(1)))
        return std::nullopt;
    return QString::fromLatin1(rest.mid(1));
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

bool SingleInstance::askRunningCopy(const QString& name, const QString& activationToken) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(WaitMs))
        return false;
    QByteArray request(ShowYourself);
    const QByteArray token = activationToken.toLatin1();
    if (plainToken(token) && token.size() < MaxRequest - request.size() - 2)
        request += ' ' + token;
    socket.write(request + '\n');
    const bool sent = socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::claim(const QString& activationToken) {
    const QString name = serverName();
    if (askRunningCopy(name, activationToken))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        // Taken meanwhile by a copy started at the same moment, or left by one that died.
        if (askRunningCopy(name, activationToken))
            return false;
        QLocalServer::removeServer(name);
        if (!server_->listen(name)) {
            qCWarning(desktopLog).noquote().nospace()
                << "a second start will open a second window: " << server_->errorString();
            return true;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            take(socket);
    });
    return true;
}

void SingleInstance::take(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Whatever does not say exactly the one request, in time, is closed unheard.
    QTimer::singleShot(WaitMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() >= MaxRequest)
                socket->abort();
            return;
        }
        const std::optional<QString> token = readShowRequest(socket->readLine(MaxRequest + 1));
        socket->abort();
        if (token)
            emit showRequested(*token);
    });
}

} // namespace chimewick
