#include "sim_process.h"

#include "tests/support/test_env.h"

#include <QFile>
#include <QTcpServer>
#include <QSslSocket>
#include <QUrl>

namespace torvex::test {

SimProcess::SimProcess(const QStringList& extraArgs) : https_(extraArgs.contains(QStringLiteral("--tls-cert")))
{
    process_.setProgram(binDir() + QStringLiteral("/torvex-service-sim"));
    process_.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                      QStringLiteral("--accounts"), accountsPath(),
                                      QStringLiteral("--log"), dir_.filePath(QStringLiteral("requests.log"))}
                          + extraArgs);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted(10000))
        return;
    QByteArray line;
    while (!line.contains('\n') && process_.waitForReadyRead(10000))
        line += process_.readAllStandardOutput();
    const qsizetype colon = line.lastIndexOf(':');
    if (line.startsWith("listening on ") && colon > 0)
        port_ = quint16(line.mid(colon + 1).trimmed().toUInt());
}

SimProcess::~SimProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

QString SimProcess::address() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(port_);
}

QStringList SimProcess::requests() const
{
    QFile file(dir_.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void SimProcess::writeAccounts(const QByteArray& json) const
{
    QFile file(accountsPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(json);
}

QByteArray SimProcess::accounts() const
{
    QFile file(accountsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SimProcess::control(const QByteArray& target) const
{
    QSslSocket socket;
    if (https_) {
        socket.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port_);
        if (!socket.waitForEncrypted(5000))
            return false;
    } else {
        socket.connectToHost(QStringLiteral("127.0.0.1"), port_);
        if (!socket.waitForConnected(5000))
            return false;
    }
    socket.write("GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    reply += socket.readAll();
    return reply.startsWith("HTTP/1.1 200");
}

bool SimProcess::setMode(const QString& mode) const
{
    return control("/sim/mode?set=" + QUrl::toPercentEncoding(mode));
}

bool SimProcess::setNextReply(const QString& html) const
{
    return control("/sim/next?html=" + QUrl::toPercentEncoding(html));
}

quint16 unusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();  // closed again when server goes
}

}  // namespace torvex::test
