#include "smtp_test_server.h"

#include "test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <signal.h>

namespace torvex::test {
namespace {

// Debian's interpreter, which has python3-aiosmtpd; a python3 earlier in
// PATH (a virtual environment) may lack it.
QString python()
{
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

}  // namespace

SmtpTestServer::~SmtpTestServer()
{
    stop();
}

bool SmtpTestServer::available()
{
    QProcess probe;
    probe.start(python(), {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit
        && probe.exitCode() == 0;
}

bool SmtpTestServer::start(const QString& host, quint16 port, const Options& options)
{
    QStringList args{sourceDir() + QStringLiteral("/tools/smtp_maildir_server.py"),
                     QStringLiteral("--host"),
                     host,
                     QStringLiteral("--port"),
                     QString::number(port),
                     QStringLiteral("--maildir"),
                     maildir_,
                     QStringLiteral("--log"),
                     dir_.filePath(QStringLiteral("smtp.log"))};
    for (const QString& address : options.refused)
        args << QStringLiteral("--refuse") << address;
    if (!options.tlsCert.isEmpty())
        args << QStringLiteral("--tls-cert") << options.tlsCert << QStringLiteral("--tls-key") << options.tlsKey;
    if (options.implicitTls)
        args << QStringLiteral("--implicit-tls");
    if (options.requireTls)
        args << QStringLiteral("--require-tls");
    if (!options.auth.isEmpty())
        args << QStringLiteral("--auth") << options.auth;
    for (const QString& mechanism : options.authExclude)
        args << QStringLiteral("--auth-exclude") << mechanism;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(python(), args);
    if (!process_.waitForStarted(10000))
        return false;
    QByteArray out;
    const QDeadlineTimer ready(20000);
    while (!out.contains('\n') && process_.waitForReadyRead(int(ready.remainingTime())))
        out += process_.readAllStandardOutput();
    if (!out.startsWith("READY "))
        return false;
    port_ = quint16(out.mid(6).trimmed().toUInt());
    return port_ != 0;
}

void SmtpTestServer::stop()
{
    endProcess(process_);
}

bool SmtpTestServer::pause()
{
    return process_.state() == QProcess::Running && ::kill(pid_t(process_.processId()), SIGSTOP) == 0;
}

bool SmtpTestServer::resume()
{
    return process_.state() == QProcess::Running && ::kill(pid_t(process_.processId()), SIGCONT) == 0;
}

QStringList SmtpTestServer::logged(QLatin1String prefix) const
{
    QStringList result;
    const QString log = QString::fromLatin1(readWholeFile(dir_.filePath(QStringLiteral("smtp.log"))));
    for (const QString& line : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(prefix))
            result << line.mid(prefix.size());
    }
    return result;
}

QStringList SmtpTestServer::commands() const
{
    return logged(QLatin1String("CMD "));
}

QStringList SmtpTestServer::logOns() const
{
    return logged(QLatin1String("AUTH "));
}

QList<SmtpTestServer::Delivery> SmtpTestServer::deliveries() const
{
    QList<Delivery> result;
    for (const QString& line : logged(QLatin1String("DELIVERED "))) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() != 3)
            continue;
        Delivery delivery;
        delivery.mailFrom = parts.at(0);
        delivery.rcptTo = parts.at(1).split(QLatin1Char(','));
        delivery.content = readWholeFile(maildir_ + QStringLiteral("/new/") + parts.at(2));
        result << delivery;
    }
    return result;
}

}  // namespace torvex::test
