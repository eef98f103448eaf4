#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>

namespace torvex::test {

// A POP3 server on loopback that answers from a script, for the faults a
// real server will not produce: odd greetings, refusals, stalls and drops.
// It runs on the test's own event loop, which the client's waits process.
class ScriptedPop3Server : public QObject {
    Q_OBJECT

public:
    // What the server does with RETR of one message.
    enum class Delivery { Whole, StallAfterHalf, DropAfterHalf };

    ScriptedPop3Server();

    [[nodiscard]] quint16 port() const { return server_.serverPort(); }

    QByteArray greeting = "+OK scripted ready\r\n";
    QByteArray passReply = "+OK logged in\r\n";
    QList<QByteArray> messages;        // CR LF text, unstuffed
    std::map<int, Delivery> delivery;  // by message number; Whole when absent
    QByteArray statReply;              // empty: from the messages

    // Every command line received, in order, across connections.
    QList<QByteArray> commands;
    // Messages whose DELE was committed by a QUIT.
    QList<int> deleted;

private:
    void onConnection();
    void onCommand(QTcpSocket* peer, const QByteArray& line);

    QTcpServer server_;
};

// The message as a server sends it after RETR: dot-stuffed, terminated.
[[nodiscard]] QByteArray retrReply(const QByteArray& message);

}  // namespace torvex::test
