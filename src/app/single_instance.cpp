#include "app/single_instance.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace app {

namespace {

QString perUserName(const QString& suffix) {
    return QStringLiteral("/lirveto-") + QString::number(::getuid()) + suffix;
}

}  // namespace

SingleInstance::SingleInstance(QString runtimeFolder) : folder(std::move(runtimeFolder)) {
    server.setSocketOptions(QLocalServer::UserAccessOption);
}

QString SingleInstance::socketPath() const {
    return folder + perUserName(QStringLiteral(".socket"));
}

QString SingleInstance::lockPath() const {
    return folder + perUserName(QStringLiteral(".lock"));
}

SingleInstance::Start SingleInstance::start(std::function<void()> activate, int waitMs) {
    onActivate = std::move(activate);
    if (folder.isEmpty()) {
        error = QStringLiteral("no runtime folder");
        return Start::unguarded;
    }
    lock = std::make_unique<platform::InstanceLock>(lockPath().toStdString());
    if (!lock->openError().empty()) {
        error = lockPath() + QStringLiteral(": ") + QString::fromStdString(lock->openError());
        return Start::unguarded;
    }
    // The holder may still be on its way to listening or to its event loop: keep asking, and
    // keep trying the lock in case the holder ends meanwhile.
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (lock->tryTake()) {
            listen();
            return Start::first;
        }
        const int left = static_cast<int>(deadline.remainingTime());
        if (askRunningInstance(std::min(left, 1000))) {
            return Start::asked;
        }
        if (deadline.hasExpired()) {
            return Start::silent;
        }
        QThread::msleep(50);
    }
}

bool SingleInstance::askRunningInstance(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(activateRequest);
    socket.waitForBytesWritten(timeoutMs);
    // A socket that takes the connection but never answers is no running Lirveto.
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine() && !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
    }
    const bool answered = socket.canReadLine() && socket.readLine() == activateAnswer;
    socket.abort();
    return answered;
}

bool SingleInstance::listen() {
    connect(&server, &QLocalServer::newConnection, this, [this] { answer(); });
    // Only the lock's holder gets here, so a socket file in the way was left by a run that ended.
    QLocalServer::removeServer(socketPath());
    if (!server.listen(socketPath())) {
        error = server.errorString();
        return false;
    }
    return true;
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
