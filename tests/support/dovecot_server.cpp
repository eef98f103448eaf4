#include "dovecot_server.h"

#include "platform/maildir/maildir_store.h"
#include "tests/support/test_env.h"
#include "tools/dovecot_config.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace torvex::test {
namespace {

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

QStringList maildirMessageFiles(const QString& folder)
{
    QStringList files;
    for (const char* sub : {"/new", "/cur"}) {
        const QDir dir(folder + QLatin1String(sub));
        for (const QString& name : dir.entryList(QDir::Files))
            files << dir.filePath(name);
    }
    return files;
}

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
    return !tools::dovecotBinary().isEmpty();
}

QString DovecotServer::maildir() const
{
    return tools::dovecotMaildir(dir_.path(), user_);
}

bool DovecotServer::start()
{
    stop();
    const QString base = dir_.path();
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freeLoopbackPort();
        tlsPort_ = cert_.isEmpty() ? 0 : freeLoopbackPort();
        const QString config =
            tools::writeDovecotPop3Config({base, port_, user_, password_, cert_, key_, tlsPort_});
        if (config.isEmpty())
            return false;
        QProcess launch;
        launch.start(tools::dovecotBinary(), {QStringLiteral("-c"), config});
        if (!launch.waitForFinished(20000) || launch.exitCode() != 0)
            continue;
        // The daemon writes its pid file after the launcher has returned:
        // it is read once the server answers, so that stop() finds it.
        if (pollUntil(
                [&] {
                    masterPid_ = accepts(port_)
                        ? readWholeFile(base + QStringLiteral("/run/master.pid")).trimmed().toLongLong()
                        : 0;
                    return masterPid_ > 0;
                },
                15000))
            return true;
    }
    return false;
}

void DovecotServer::stop()
{
    if (masterPid_ <= 0)
        return;
    const pid_t pid = pid_t(masterPid_);
    masterPid_ = 0;
    if (::kill(pid, SIGTERM) == 0)
        pollUntil([pid] { return ::kill(pid, 0) != 0; }, 15000);
}

QString DovecotServer::deliver(const QByteArray& message)
{
    const QString name = newMaildirUniqueName();
    const QString tmp = maildir() + QStringLiteral("/tmp/") + name;
    const QString target = maildir() + QStringLiteral("/new/") + name;
    if (!writeWholeFile(tmp, message))
        return {};
    tools::adoptDovecotMail(tmp);
    QFile::rename(tmp, target);
    return target;
}

void DovecotServer::adoptMaildir()
{
    tools::adoptDovecotMail(dir_.filePath(QStringLiteral("mail")));
}

QList<QByteArray> DovecotServer::messages() const
{
    QList<QByteArray> found;
    for (const QString& path : maildirMessageFiles(maildir()))
        found.append(readWholeFile(path));
    return found;
}

QString DovecotServer::log() const
{
    return QString::fromUtf8(readWholeFile(dir_.filePath(QStringLiteral("dovecot.log"))));
}

}  // namespace torvex::test
