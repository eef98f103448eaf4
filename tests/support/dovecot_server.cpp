#include "dovecot_server.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvex::test {
namespace {

constexpr uid_t kNobody = 65534;

QString dovecotBinary()
{
    return QStandardPaths::findExecutable(QStringLiteral("dovecot"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                           QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
}

QString userName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group* entry = getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

void chownTree(const QString& path, uid_t uid, gid_t gid)
{
    if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
        return;
    const QDir dir(path);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isDir())
            chownTree(entry.filePath(), uid, gid);
        else
            (void)::chown(QFile::encodeName(entry.filePath()).constData(), uid, gid);
    }
}

bool accepts(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    const bool up = probe.waitForConnected(200) && probe.waitForReadyRead(2000)
        && probe.readAll().startsWith("+OK");
    probe.abort();
    return up;
}

}  // namespace

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

DovecotServer::DovecotServer()
{
    // Dovecot's own users must reach the run and mail folders.
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
}

DovecotServer::~DovecotServer()
{
    stop();
}

bool DovecotServer::available()
{
    return !dovecotBinary().isEmpty();
}

QString DovecotServer::maildir() const
{
    return dir_.filePath(QStringLiteral("mail/") + user_ + QStringLiteral("/Maildir"));
}

bool DovecotServer::start(const QString& user, const QString& password)
{
    stop();
    user_ = user;
    password_ = password;
    const QString base = dir_.path();
    for (const char* sub : {"run", "state", "mail"})
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
    for (const char* sub : {"cur", "new", "tmp"})
        QDir().mkpath(maildir() + QLatin1Char('/') + QLatin1String(sub));

    QFile passwd(base + QStringLiteral("/passwd"));
    if (!passwd.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    passwd.write((user + QStringLiteral(":{PLAIN}") + password + QLatin1Char('\n')).toUtf8());
    passwd.close();

    const bool root = ::geteuid() == 0;
    const uid_t mailUid = root ? kNobody : ::geteuid();
    const gid_t mailGid = root ? kNobody : ::getegid();
    if (root)
        chownTree(base + QStringLiteral("/mail"), mailUid, mailGid);
    const QString internalUser = root ? QStringLiteral("dovecot") : userName(::geteuid());
    const QString internalGroup = root ? QStringLiteral("dovecot") : groupName(::getegid());
    const QString loginUser = root ? QStringLiteral("dovenull") : userName(::geteuid());

    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freeLoopbackPort();
        const QString config = QStringLiteral(
            "protocols = pop3\n"
            "listen = 127.0.0.1\n"
            "base_dir = %1/run\n"
            "state_dir = %1/state\n"
            "log_path = %1/dovecot.log\n"
            "ssl = no\n"
            "disable_plaintext_auth = no\n"
            "auth_mechanisms = plain\n"
            "auth_failure_delay = 0\n"
            "default_internal_user = %2\n"
            "default_internal_group = %3\n"
            "default_login_user = %4\n"
            "first_valid_uid = 1\n"
            "first_valid_gid = 1\n"
            "mail_location = maildir:%1/mail/%u/Maildir\n"
            "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u %1/passwd\n}\n"
            "userdb {\n  driver = static\n  args = uid=%5 gid=%6 home=%1/mail/%u\n}\n"
            "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    address = 127.0.0.1\n    port = %7\n  }\n}\n"
            "service anvil {\n  chroot =\n}\n")
                                   .arg(base, internalUser, internalGroup, loginUser)
                                   .arg(mailUid)
                                   .arg(mailGid)
                                   .arg(port_);
        QFile file(base + QStringLiteral("/dovecot.conf"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(config.toUtf8());
        file.close();

        QProcess launch;
        launch.start(dovecotBinary(), {QStringLiteral("-c"), file.fileName()});
        if (!launch.waitForFinished(20000) || launch.exitCode() != 0)
            continue;
        QFile pidFile(base + QStringLiteral("/run/master.pid"));
        if (pidFile.open(QIODevice::ReadOnly))
            masterPid_ = pidFile.readAll().trimmed().toLongLong();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            if (accepts(port_))
                return true;
            QThread::msleep(100);
        }
        stop();
    }
    return false;
}

void DovecotServer::stop()
{
    if (masterPid_ <= 0)
        return;
    const pid_t pid = pid_t(masterPid_);
    masterPid_ = 0;
    if (::kill(pid, SIGTERM) != 0)
        return;
    QElapsedTimer clock;
    clock.start();
    while (::kill(pid, 0) == 0 && clock.elapsed() < 15000)
        QThread::msleep(50);
}

QString DovecotServer::deliver(const QByteArray& message)
{
    const QString name = QStringLiteral("%1.M%2P%3.torvex-test")
                             .arg(QDateTime::currentSecsSinceEpoch())
                             .arg(++delivered_)
                             .arg(QCoreApplication::applicationPid());
    const QString tmp = maildir() + QStringLiteral("/tmp/") + name;
    const QString target = maildir() + QStringLiteral("/new/") + name;
    QFile file(tmp);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(message);
    file.close();
    if (::geteuid() == 0)
        (void)::chown(QFile::encodeName(tmp).constData(), kNobody, kNobody);
    QFile::rename(tmp, target);
    return target;
}

void DovecotServer::adoptMaildir()
{
    if (::geteuid() == 0)
        chownTree(dir_.filePath(QStringLiteral("mail")), kNobody, kNobody);
}

QList<QByteArray> DovecotServer::messages() const
{
    QList<QByteArray> found;
    for (const char* sub : {"new", "cur"}) {
        const QDir dir(maildir() + QLatin1Char('/') + QLatin1String(sub));
        for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
            QFile file(entry.filePath());
            if (file.open(QIODevice::ReadOnly))
                found.append(file.readAll());
        }
    }
    return found;
}

QString DovecotServer::log() const
{
    QFile file(dir_.filePath(QStringLiteral("dovecot.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace torvex::test
