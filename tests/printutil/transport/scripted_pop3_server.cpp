#include "scripted_pop3_server.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <set>

namespace torvex::test {
namespace {

// The message as a server sends it after RETR: dot-stuffed, terminated.
QByteArray retrReply(const QByteArray& message)
{
    QByteArray stuffed;
    const QList<QByteArray> lines = message.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break;
        if (lines[i].startsWith('.'))
            stuffed += '.';
        stuffed += lines[i] + '\n';
    }
    return "+OK " + QByteArray::number(message.size()) + " octets\r\n" + stuffed + ".\r\n";
}

}  // namespace

QByteArray ScriptedPop3Server::uidOf(const QByteArray& message)
{
    return "U" + QCryptographicHash::hash(message, QCryptographicHash::Sha1).toHex().left(16);
}

ScriptedPop3Server::ScriptedPop3Server()
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &ScriptedPop3Server::onConnection);
}

void ScriptedPop3Server::onConnection()
{
    QTcpSocket* peer = server_.nextPendingConnection();
    auto buffer = std::make_shared<QByteArray>();
    auto marked = std::make_shared<std::set<int>>();
    connect(peer, &QTcpSocket::readyRead, this, [this, peer, buffer, marked] {
        *buffer += peer->readAll();
        qsizetype end;
        while ((end = buffer->indexOf("\r\n")) >= 0) {
            const QByteArray line = buffer->left(end);
            buffer->remove(0, end + 2);
            commands.append(line);
            if (line.startsWith("DELE "))
                marked->insert(line.mid(5).toInt());
            if (line == "QUIT") {
                deleted.append(QList<int>(marked->begin(), marked->end()));
                for (auto n = marked->rbegin(); n != marked->rend(); ++n)
                    messages.removeAt(*n - 1);
                peer->write("+OK bye\r\n");
                peer->disconnectFromHost();
                return;
            }
            onCommand(peer, line);
        }
    });
    connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
    peer->write(greeting);
}

void ScriptedPop3Server::trickle(QTcpSocket* peer, const QByteArray& rest)
{
    QPointer<QTcpSocket> alive(peer);
    QTimer::singleShot(20, this, [this, alive, rest] {
        if (!alive || alive->state() != QAbstractSocket::ConnectedState || rest.isEmpty())
            return;
        alive->write(rest.left(1));
        trickle(alive, rest.mid(1));
    });
}

void ScriptedPop3Server::onCommand(QTcpSocket* peer, const QByteArray& line)
{
    if (line.startsWith("USER ") || line.startsWith("PASS ")) {
        peer->write("+OK\r\n");
    } else if (line == "STAT") {
        qsizetype total = 0;
        for (const QByteArray& m : messages)
            total += m.size();
        peer->write(statReply.isEmpty()
                        ? "+OK " + QByteArray::number(messages.size()) + ' ' + QByteArray::number(total) + "\r\n"
                        : statReply);
    } else if (line == "UIDL") {
        if (!offersUidl) {
            peer->write("-ERR no UIDL here\r\n");
            return;
        }
        QByteArray listing = "+OK\r\n";
        for (qsizetype i = 0; i < messages.size(); ++i)
            listing += QByteArray::number(i + 1) + ' ' + uidOf(messages[i]) + "\r\n";
        if (endlessUidl) {
            for (int i = 0; i < 100000; ++i)
                listing += "1 again" + QByteArray::number(i) + "\r\n";
        }
        peer->write(listing + ".\r\n");
    } else if (line == "LIST") {
        QByteArray listing = "+OK\r\n";
        for (qsizetype i = 0; i < messages.size(); ++i)
            listing += QByteArray::number(i + 1) + ' ' + QByteArray::number(messages[i].size()) + "\r\n";
        peer->write(listing + ".\r\n");
    } else if (line.startsWith("RETR ")) {
        const int n = line.mid(5).toInt();
        if (n < 1 || n > messages.size()) {
            peer->write("-ERR no such message\r\n");
            return;
        }
        const QByteArray reply = retrReply(messages.at(n - 1));
        const auto how = delivery.count(n) ? delivery.at(n) : Delivery::Whole;
        switch (how) {
        case Delivery::Whole:
            peer->write(reply);
            return;
        case Delivery::Trickle:
            trickle(peer, reply);
            return;
        case Delivery::Overrun:
            peer->write("+OK 100 octets\r\n");
            for (int i = 0; i < 64; ++i)
                peer->write(QByteArray(16 * 1024 - 2, 'o') + "\r\n");
            return;
        case Delivery::StallAfterHalf:
        case Delivery::DropAfterHalf:
            peer->write(reply.left(reply.size() / 2));
            peer->flush();
            if (how == Delivery::DropAfterHalf)
                peer->disconnectFromHost();
            return;
        }
    } else if (line.startsWith("DELE ")) {
        peer->write("+OK marked\r\n");
    } else if (line == "CAPA" && !capaReply.isEmpty()) {
        peer->write(capaReply);
    } else if (line == "STLS" && !stlsReply.isEmpty()) {
        peer->write(stlsReply);
    } else {
        peer->write("-ERR unknown command\r\n");
    }
}

}  // namespace torvex::test
