#include "single_instance.h"

#include "platform/settings/app_paths.h"
#include "platform/settings/profile_api.h"

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
    lockPath_ = QFile::encodeName(runtime + QStringLiteral("/torvex-") + key_ + QStringLiteral(".lock"));
    fd_ = ::open(lockPath_.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0)
        return;
    started_ = QDateTime::currentDateTime();
    setTimeBound({});

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

void SingleInstance::setTimeBound(const QDateTime& until) const
{
    if (fd_ < 0)
        return;
    const QByteArray text = "started " + QByteArray::number(started_.toSecsSinceEpoch()) + "\nuntil "
        + QByteArray::number(until.isValid() ? until.toSecsSinceEpoch() : 0) + "\n";
    if (::ftruncate(fd_, 0) == 0)
        (void)!::pwrite(fd_, text.constData(), size_t(text.size()), 0);
}

SingleInstance::Bound SingleInstance::previousBound() const
{
    Bound bound;
    QFile file(QFile::decodeName(lockPath_));
    if (!file.open(QIODevice::ReadOnly))
        return bound;
    for (const QByteArray& line : file.read(256).split('\n')) {
        const qint64 seconds = line.split(' ').value(1).toLongLong();
        if (seconds <= 0)
            continue;
        if (line.startsWith("started "))
            bound.started = QDateTime::fromSecsSinceEpoch(seconds);
        else if (line.startsWith("until "))
            bound.until = QDateTime::fromSecsSinceEpoch(seconds);
    }
    return bound;
}

bool SingleInstance::activatePrevious(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    return socket.waitForConnected(timeoutMs);
}

}  // namespace torvex
