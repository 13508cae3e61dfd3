// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SingleInstance.h"

#include "Messages.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace chimewick {

namespace {

constexpr int WaitMs = 1000;
constexpr qsizetype RequestSize = sizeof(SingleInstance::ShowYourself) - 1;

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

QString SingleInstance::serverName() {
#ifdef Q_OS_WIN
    // A named pipe; the user's name keeps users apart, the access option keeps others out.
    return QStringLiteral("chimewick-") + qEnvironmentVariable("USERNAME");
#else
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/chimewick");
#endif
}

bool SingleInstance::askRunningCopy(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write(ShowYourself, RequestSize);
    const bool sent = socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::claim() {
    const QString name = serverName();
    if (askRunningCopy(name))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        // Taken meanwhile by a copy started at the same moment, or left by one that died.
        if (askRunningCopy(name))
            return false;
        QLocalServer::removeServer(name);
        if (!server_->listen(name)) {
            qCWarning(messages).noquote().nospace()
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
        if (socket->bytesAvailable() < RequestSize)
            return;
        const QByteArray request = socket->read(RequestSize + 1);
        socket->abort();
        if (request == QByteArray(ShowYourself, RequestSize))
            emit showRequested();
    });
}

} // namespace chimewick
