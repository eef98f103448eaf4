#include "scripted_smtp_server.h"

#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace torvex::test {

ScriptedSmtpServer::ScriptedSmtpServer(Script script, QObject* parent)
    : QObject(parent), script_(std::move(script))
{
    connect(&server_, &QTcpServer::newConnection, this, &ScriptedSmtpServer::onNewConnection);
}

bool ScriptedSmtpServer::listen(const QHostAddress& address, quint16 port)
{
    return server_.listen(address, port);
}

QByteArray ScriptedSmtpServer::unstuffed(const QByteArray& data)
{
    QByteArray result;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf("\r\n", start);
        end = end < 0 ? data.size() : end + 2;
        const QByteArray line = data.mid(start, end - start);
        result += line.startsWith('.') ? line.mid(1) : line;
        start = end;
    }
    return result;
}

void ScriptedSmtpServer::onNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        buffers_[socket];
        inData_[socket] = false;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        // The greeting goes out in pieces, a little apart, as a slow server
        // sends a multi-line reply.
        int delay = 0;
        for (const QByteArray& piece : std::as_const(script_.greeting)) {
            QTimer::singleShot(delay, socket, [socket, piece] { socket->write(piece); });
            delay += 40;
        }
    }
}

QByteArray ScriptedSmtpServer::replyTo(const QByteArray& word) const
{
    const auto it = script_.replies.find(word);
    if (it != script_.replies.end())
        return it->second;
    if (word == "DATA")
        return QByteArrayLiteral("354 End data with <CR><LF>.<CR><LF>\r\n");
    if (word == "QUIT")
        return QByteArrayLiteral("221 Bye\r\n");
    return QByteArrayLiteral("250 OK\r\n");
}

void ScriptedSmtpServer::onReadyRead(QTcpSocket* socket)
{
    if (handshaking_[socket]) {
        socket->abort();  // gone in the middle of the TLS handshake
        return;
    }
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    qsizetype end = 0;
    while ((end = buffer.indexOf("\r\n")) >= 0) {
        const QByteArray line = buffer.left(end);
        buffer.remove(0, end + 2);
        if (inData_[socket]) {
            if (line == ".") {
                inData_[socket] = false;
                messages.append(currentMessage_);
                currentMessage_.clear();
                if (script_.drop == Drop::AfterMessage) {
                    socket->abort();
                    return;
                }
                if (script_.drop == Drop::SilentAfterMessage)
                    return;
                socket->write(script_.afterMessage);
            } else {
                currentMessage_ += line + "\r\n";
            }
            continue;
        }
        commands.append(line);
        if (script_.silentAfterGreeting)
            continue;
        const QByteArray word = line.split(' ').front().toUpper();
        if (word == "DATA" && script_.drop == Drop::OnDataCommand) {
            socket->abort();
            return;
        }
        const QByteArray reply = replyTo(word);
        socket->write(reply);
        if (word == "DATA" && reply.startsWith("354"))
            inData_[socket] = true;
        if (word == "STARTTLS" && script_.drop == Drop::InTlsHandshake)
            handshaking_[socket] = true;
        if (word == "QUIT")
            socket->disconnectFromHost();
    }
}

}  // namespace torvex::test
