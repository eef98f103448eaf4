#include "sim_process.h"

#include "tests/support/test_env.h"

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
    endProcess(process_);
}

QString SimProcess::address() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(port_);
}

QStringList SimProcess::requests() const
{
    return QString::fromUtf8(readWholeFile(dir_.filePath(QStringLiteral("requests.log"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void SimProcess::writeAccounts(const QByteArray& json) const
{
    writeWholeFile(accountsPath(), json);
}

QByteArray SimProcess::accounts() const
{
    return readWholeFile(accountsPath());
}

bool SimProcess::control(const QByteArray& target) const
{
    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone);
    if (https_)
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port_);
    else
        socket.connectToHost(QStringLiteral("127.0.0.1"), port_);
    if (!(https_ ? socket.waitForEncrypted(5000) : socket.waitForConnected(5000)))
        return false;
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
