#include "single_instance.h"

#include "app_paths.h"
#include "profile_api.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace torvex {

SingleInstance::SingleInstance(const QString& programName, QObject* parent) : QObject(parent)
{
    const QByteArray scope = (programFolder() + QLatin1Char('\n') + userIniPath()).toUtf8();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(scope, QCryptographicHash::Sha1).toHex().left(16));
    key_ = programName + QLatin1Char('-') + hash;

    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    const QByteArray lockPath = QFile::encodeName(runtime + QStringLiteral("/torvex-") + key_
                                                  + QStringLiteral(".lock"));
    fd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0)
        return;

    // We own the lock, so any socket left under this name is stale.
    QLocalServer::removeServer(key_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (server_->listen(key_)) {
        connect(server_.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                socket->disconnectFromServer();
                Q_EMIT activationRequested();
            }
        });
    }
}

SingleInstance::~SingleInstance()
{
    server_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

bool SingleInstance::activatePrevious(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    return socket.waitForConnected(timeoutMs);
}

}  // namespace torvex
