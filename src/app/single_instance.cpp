#include "app/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace app {

SingleInstance::SingleInstance(QString socketPath) : path(std::move(socketPath)) {
    server.setSocketOptions(QLocalServer::UserAccessOption);
}

QString SingleInstance::defaultSocketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QDir::tempPath();
    }
    return folder + QStringLiteral("/lirveto-") + QString::number(::getuid()) +
           QStringLiteral(".socket");
}

bool SingleInstance::askRunningInstance(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;  // nobody listens: no socket, or one left by a crash
    }
    socket.write(activateRequest);
    socket.waitForBytesWritten(timeoutMs);
    // The answer only confirms the request arrived; a busy instance that is slow to answer is
    // still the running one.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(std::function<void()> activate) {
    onActivate = std::move(activate);
    connect(&server, &QLocalServer::newConnection, this, [this] { answer(); });
    if (server.listen(path)) {
        return true;
    }
    // Nobody answered askRunningInstance, so a socket file here is stale.
    QLocalServer::removeServer(path);
    return server.listen(path);
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            const QByteArray request = socket->readLine();
            if (request == activateRequest) {
                socket->write(activateAnswer);
                socket->flush();
                if (onActivate) {
                    onActivate();
                }
            }
            socket->disconnectFromServer();
        });
    }
}

}  // namespace app
