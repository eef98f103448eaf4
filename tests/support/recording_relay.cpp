#include "recording_relay.h"

#include <QTcpSocket>

namespace torvex::test {

RecordingRelay::RecordingRelay(quint16 targetPort, QObject* parent)
    : QObject(parent), targetPort_(targetPort)
{
    connect(&server_, &QTcpServer::newConnection, this, &RecordingRelay::onNewConnection);
}

RecordingRelay::~RecordingRelay() = default;

bool RecordingRelay::listen()
{
    return server_.listen(QHostAddress::LocalHost, 0);
}

void RecordingRelay::onNewConnection()
{
    while (QTcpSocket* accepted = server_.nextPendingConnection()) {
        auto* client = accepted;
        client->setParent(nullptr);
        auto upstream = std::make_unique<QTcpSocket>();
        QTcpSocket* server = upstream.get();
        // Bytes from the client wait until the server's side is connected.
        connect(client, &QTcpSocket::readyRead, this, [this, client, server] {
            if (server->state() != QAbstractSocket::ConnectedState)
                return;
            const QByteArray data = client->readAll();
            fromClient += data;
            server->write(data);
        });
        connect(server, &QTcpSocket::connected, this, [this, client, server] {
            const QByteArray data = client->readAll();
            fromClient += data;
            server->write(data);
        });
        connect(server, &QTcpSocket::readyRead, this, [client, server] { client->write(server->readAll()); });
        connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
        connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        server->connectToHost(QHostAddress::LocalHost, targetPort_);
        sockets_.emplace_back(client);
        sockets_.push_back(std::move(upstream));
    }
}

}  // namespace torvex::test
