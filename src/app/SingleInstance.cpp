#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kShown = QByteArrayLiteral("shown\n");
} // namespace

QString InstanceSocketPath(const QString& name) {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? name : QDir(dir).filePath(name + QStringLiteral(".socket"));
}

TInstanceServer::TInstanceServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::Serve);
}

bool TInstanceServer::Listen(const QString& name) {
    const QString path = InstanceSocketPath(name);
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void TInstanceServer::SetShowHandler(std::function<void()> onShow) {
    onShow_ = std::move(onShow);
}

void TInstanceServer::Serve() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() == kShow) {
                // Answered before the window is shown: a modal box it may bring up must not
                // keep the second start waiting.
                socket->write(kShown);
                socket->flush();
                if (onShow_) {
                    onShow_();
                }
            }
            socket->disconnectFromServer();
        });
    }
}

bool AskRunningInstanceToShow(const QString& name, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(InstanceSocketPath(name));
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    socket.write(kShow);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    return socket.readLine() == kShown;
}
