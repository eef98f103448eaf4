#include "recording_relay.h"

#include <QTcpSocket>

#include <memory>

namespace torvex::test {

RecordingRelay::RecordingRelay(quint16 targetPort, QObject* parent)
    : QObject(parent), targetPort_(targetPort)
{
    connect(&server_, &QTcpServer::newConnection, this, &RecordingRelay::onNewConnection);
}

bool RecordingRelay::listen()
{
    return server_.listen(QHostAddress::LocalHost, 0);
}

void RecordingRelay::arm(Match client, Match server)
{
    holdClient_ = std::move(client);
    holdServer_ = std::move(server);
    held_ = false;
}

void RecordingRelay::onNewConnection()
{
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        auto* upstream = new QTcpSocket(client);
        upstream->connectToHost(QHostAddress::LocalHost, targetPort_);
        auto sent = std::make_shared<QByteArray>();
        auto answered = std::make_shared<QByteArray>();
        // Bytes from the client wait in its buffer until the server's side is connected.
        const auto fromTheClient = [this, client, upstream, sent] {
            pass(*client, *upstream, *sent, holdClient_, true);
        };
        connect(client, &QTcpSocket::readyRead, this, fromTheClient);
        connect(upstream, &QTcpSocket::connected, this, fromTheClient);
        connect(upstream, &QTcpSocket::readyRead, this, [this, client, upstream, answered] {
            pass(*upstream, *client, *answered, holdServer_, false);
        });
        // Either side gone: the other is cut off, as a dead process's peer is.
        connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::abort);
        connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }
}

void RecordingRelay::pass(QTcpSocket& from, QTcpSocket& to, QByteArray& recent, const Match& hold, bool clientSide)
{
    if (to.state() != QAbstractSocket::ConnectedState || (held_ && hold))
        return;  // stays in from's buffer
    const QByteArray data = from.readAll();
    recent = (recent + data).right(512);
    if (hold && hold(recent)) {
        held_ = true;
        return;  // dropped: the peer never sees it
    }
    if (clientSide)
        fromClient += data;
    to.write(data);
}

}  // namespace torvex::test
