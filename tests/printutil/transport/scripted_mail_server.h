#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <map>

namespace torvex::test {

// How a reply goes out.
enum class ScriptedDelivery {
    Whole,
    Drop,            // not at all: the connection closes
    StallAfterHalf,  // half, then silence
    DropAfterHalf,   // half, then the connection closes
    Trickle,         // one byte at a time, never quite stalling
    DropOnNextRead,  // whole, then the connection closes as the client writes again (its TLS hello)
};

// What a scripted mail server does instead of what its protocol would.
struct MailScript {
    QList<QByteArray> greeting{};  // sent piece by piece, a little apart; empty: the protocol's own
    // By command line, else by command word ("." for the end of an SMTP
    // message): the reply instead of the protocol's own. An empty one is
    // never sent.
    std::map<QByteArray, QByteArray> replies{};
    std::map<QByteArray, ScriptedDelivery> delivery{};  // looked up as the replies; Whole when absent
};

// A POP3 or SMTP server on loopback that reads command lines and answers
// each from a script, for the faults a real server will not produce: odd
// greetings, refusals, stalls, drops, trickles and replies without end. It
// runs on the test's own event loop, which the client's waits process.
class ScriptedMailServer : public QObject {
    Q_OBJECT

public:
    enum class Protocol { Pop3, Smtp };

    using Delivery = ScriptedDelivery;
    using Script = MailScript;

    explicit ScriptedMailServer(Protocol protocol, Script script = {},
                                const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 0);

    [[nodiscard]] bool isListening() const { return server_.isListening(); }
    [[nodiscard]] quint16 port() const { return server_.serverPort(); }

    Script script;
    // POP3: the mailbox (CR LF text, unstuffed), which deletions a QUIT
    // commits take messages from. SMTP: each message's data as it came,
    // without its "." line.
    QList<QByteArray> messages;
    QList<QByteArray> commands;  // every command line, without its CR LF, across connections
    QList<int> deleted;          // POP3: messages whose DELE a QUIT committed (that session's numbers)

private:
    struct Session;
    void onLine(QTcpSocket* peer, Session& session, const QByteArray& line);
    [[nodiscard]] QByteArray ownReply(Session& session, const QByteArray& line, const QByteArray& word);
    void send(QTcpSocket* peer, Session& session, const QByteArray& reply, Delivery how);
    void trickle(QTcpSocket* peer, const QByteArray& rest);

    const Protocol protocol_;
    QTcpServer server_;
};

}  // namespace torvex::test
