#include "scripted_mail_server.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <set>
#include <utility>

namespace torvex::test {

struct ScriptedMailServer::Session {
    QByteArray buffer;
    std::set<int> marked;     // POP3: the messages DELE marked
    bool inData = false;      // SMTP: between DATA and the "." line
    QByteArray data;
    bool dropOnRead = false;
};

namespace {

// The message as a POP3 server sends it after RETR: dot-stuffed, terminated.
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

// The entry for the command line, else for its word.
template <typename Value>
const Value* lookUp(const std::map<QByteArray, Value>& map, const QByteArray& line, const QByteArray& word)
{
    auto it = map.find(line);
    if (it == map.end())
        it = map.find(word);
    return it == map.end() ? nullptr : &it->second;
}

}  // namespace

ScriptedMailServer::ScriptedMailServer(Protocol protocol, Script script, const QHostAddress& address, quint16 port)
    : script(std::move(script)), protocol_(protocol)
{
    server_.listen(address, port);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* peer = server_.nextPendingConnection()) {
            auto session = std::make_shared<Session>();
            connect(peer, &QTcpSocket::readyRead, this, [this, peer, session] {
                if (session->dropOnRead) {
                    peer->abort();
                    return;
                }
                session->buffer += peer->readAll();
                qsizetype end;
                while (peer->state() == QAbstractSocket::ConnectedState
                       && (end = session->buffer.indexOf("\r\n")) >= 0) {
                    const QByteArray line = session->buffer.left(end);
                    session->buffer.remove(0, end + 2);
                    onLine(peer, *session, line);
                }
            });
            connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
            QList<QByteArray> greeting = this->script.greeting;
            if (greeting.isEmpty())
                greeting = {protocol_ == Protocol::Pop3 ? "+OK scripted ready\r\n" : "220 scripted ready\r\n"};
            // In pieces, a little apart, as a slow server sends a multi-line reply.
            int delay = 0;
            for (const QByteArray& piece : std::as_const(greeting)) {
                QTimer::singleShot(delay, peer, [peer, piece] { peer->write(piece); });
                delay += 40;
            }
        }
    });
}

void ScriptedMailServer::onLine(QTcpSocket* peer, Session& session, const QByteArray& line)
{
    if (session.inData && line != ".") {
        session.data += line + "\r\n";
        return;
    }
    if (session.inData) {
        session.inData = false;
        messages.append(std::exchange(session.data, {}));
    } else {
        commands.append(line);
    }
    const QByteArray word = line.split(' ').front().toUpper();
    const QByteArray* scripted = lookUp(script.replies, line, word);
    const QByteArray reply = scripted ? *scripted : ownReply(session, line, word);
    const Delivery* how = lookUp(script.delivery, line, word);
    send(peer, session, reply, how ? *how : Delivery::Whole);
    if (protocol_ == Protocol::Smtp && word == "DATA" && reply.startsWith("354"))
        session.inData = true;
    if (word == "QUIT")
        peer->disconnectFromHost();
}

QByteArray ScriptedMailServer::ownReply(Session& session, const QByteArray& line, const QByteArray& word)
{
    if (protocol_ == Protocol::Smtp) {
        if (word == "DATA")
            return "354 End data with <CR><LF>.<CR><LF>\r\n";
        return word == "QUIT" ? "221 Bye\r\n" : word == "." ? "250 2.0.0 queued\r\n" : "250 OK\r\n";
    }
    const int n = line.mid(5).toInt();
    if (word == "USER" || word == "PASS")
        return "+OK\r\n";
    if (word == "STAT") {
        qsizetype total = 0;
        for (const QByteArray& m : std::as_const(messages))
            total += m.size();
        return "+OK " + QByteArray::number(messages.size()) + ' ' + QByteArray::number(total) + "\r\n";
    }
    if (word == "UIDL" || word == "LIST") {
        // The id UIDL gives a message is stable across sessions.
        QByteArray listing = "+OK\r\n";
        for (qsizetype i = 0; i < messages.size(); ++i) {
            const QByteArray uid = "U" + QCryptographicHash::hash(messages[i], QCryptographicHash::Sha1).toHex().left(16);
            listing += QByteArray::number(i + 1) + ' '
                + (word == "UIDL" ? uid : QByteArray::number(messages[i].size())) + "\r\n";
        }
        return listing + ".\r\n";
    }
    if (word == "RETR" && n >= 1 && n <= messages.size())
        return retrReply(messages.at(n - 1));
    if (word == "DELE") {
        session.marked.insert(n);
        return "+OK marked\r\n";
    }
    if (word == "QUIT") {
        deleted.append(QList<int>(session.marked.begin(), session.marked.end()));
        for (auto m = session.marked.rbegin(); m != session.marked.rend(); ++m)
            messages.removeAt(*m - 1);
        return "+OK bye\r\n";
    }
    return "-ERR unknown command\r\n";
}

void ScriptedMailServer::send(QTcpSocket* peer, Session& session, const QByteArray& reply, Delivery how)
{
    switch (how) {
    case Delivery::Whole:
        peer->write(reply);
        return;
    case Delivery::Drop:
        peer->abort();
        return;
    case Delivery::Trickle:
        trickle(peer, reply);
        return;
    case Delivery::DropOnNextRead:
        peer->write(reply);
        session.dropOnRead = true;
        return;
    case Delivery::StallAfterHalf:
    case Delivery::DropAfterHalf:
        peer->write(reply.left(reply.size() / 2));
        peer->flush();
        if (how == Delivery::DropAfterHalf)
            peer->disconnectFromHost();
        return;
    }
}

void ScriptedMailServer::trickle(QTcpSocket* peer, const QByteArray& rest)
{
    QPointer<QTcpSocket> alive(peer);
    QTimer::singleShot(20, this, [this, alive, rest] {
        if (!alive || alive->state() != QAbstractSocket::ConnectedState || rest.isEmpty())
            return;
        alive->write(rest.left(1));
        trickle(alive, rest.mid(1));
    });
}

}  // namespace torvex::test
