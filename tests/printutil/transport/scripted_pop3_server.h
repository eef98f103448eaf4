#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <map>

namespace torvex::test {

// A POP3 server on loopback that answers from a script, for the faults a
// real server will not produce: odd greetings, refusals, stalls, drops,
// trickles and replies without end. It runs on the test's own event loop,
// which the client's waits process. Deletions a QUIT commits take the
// messages away, as a real server does.
class ScriptedPop3Server : public QObject {
    Q_OBJECT

public:
    // What the server does with RETR of one message.
    enum class Delivery {
        Whole,
        StallAfterHalf,  // half, then silence
        DropAfterHalf,   // half, then the connection closes
        Trickle,         // one byte at a time, never quite stalling
        Overrun,         // far more than its status line announces
    };

    ScriptedPop3Server();

    [[nodiscard]] quint16 port() const { return server_.serverPort(); }

    QByteArray greeting = "+OK scripted ready\r\n";  // empty: never greets
    QList<QByteArray> messages;        // CR LF text, unstuffed
    std::map<int, Delivery> delivery;  // by message number; Whole when absent
    QByteArray statReply;              // empty: from the messages
    bool offersUidl = true;            // else UIDL is refused, as RFC 1939 allows
    bool endlessUidl = false;          // the UIDL listing never ends
    QByteArray capaReply;              // empty: CAPA is unknown
    QByteArray stlsReply;              // empty: STLS is unknown

    // Every command line received, in order, across connections.
    QList<QByteArray> commands;
    // Messages whose DELE a QUIT committed (numbers of that session).
    QList<int> deleted;

    // The id UIDL gives a message: stable across sessions.
    [[nodiscard]] static QByteArray uidOf(const QByteArray& message);

private:
    void onConnection();
    void onCommand(QTcpSocket* peer, const QByteArray& line);
    void trickle(QTcpSocket* peer, const QByteArray& rest);

    QTcpServer server_;
};

}  // namespace torvex::test
