#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <map>

namespace torvex::test {

// An SMTP server on loopback that answers from a script, for the faults a
// real server will not produce: odd greetings, refusals, drops, silence.
// It runs on the test's own event loop, which the client's waits process.
class ScriptedSmtpServer : public QObject {
    Q_OBJECT

public:
    enum class Drop { Never, OnDataCommand, AfterMessage, SilentAfterMessage, InTlsHandshake };

    struct Script {
        QList<QByteArray> greeting{QByteArrayLiteral("220 scripted ready\r\n")};  // sent piece by piece
        std::map<QByteArray, QByteArray> replies;  // command word -> reply (defaults below)
        QByteArray afterMessage = QByteArrayLiteral("250 2.0.0 queued\r\n");
        Drop drop = Drop::Never;
        bool silentAfterGreeting = false;
    };

    explicit ScriptedSmtpServer(Script script, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    [[nodiscard]] quint16 port() const { return server_.serverPort(); }

    QList<QByteArray> commands;  // every command line, without its CR LF
    QList<QByteArray> messages;  // the data of each message as sent, without the final "." line

    // The data as the sender wrote it: one leading dot removed from each line.
    [[nodiscard]] static QByteArray unstuffed(const QByteArray& data);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    [[nodiscard]] QByteArray replyTo(const QByteArray& word) const;

    Script script_;
    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
    std::map<QTcpSocket*, bool> inData_;
    std::map<QTcpSocket*, bool> handshaking_;  // STARTTLS was answered: the client's hello comes next
    QByteArray currentMessage_;
};

}  // namespace torvex::test
