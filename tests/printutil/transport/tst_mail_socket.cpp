#include "printutil/transport/mail_socket.h"

#include <QTcpServer>
#include <QtTest>

using namespace torvex;

// The shared socket set-up, against a server in this process. (That its
// own close is no disconnect by the server, and that a reply arriving in
// pieces is one reply, the SMTP tests' conversations show.)
class TestMailSocket : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        qputenv("TORVEX_TIME_SCALE", "600");  // a one-minute tick takes 100 ms
    }
    void cleanup() { qunsetenv("TORVEX_TIME_SCALE"); }

    void portsDefaultAndOverride()
    {
        qunsetenv("TORVEX_POP3_PORT");
        qunsetenv("TORVEX_SMTP_PORT");
        QCOMPARE(mailPort(MailService::POP), quint16(110));
        QCOMPARE(mailPort(MailService::SMTP), quint16(25));
        qputenv("TORVEX_POP3_PORT", "2110");
        qputenv("TORVEX_SMTP_PORT", "junk");
        QCOMPARE(mailPort(MailService::POP), quint16(2110));
        QCOMPARE(mailPort(MailService::SMTP), quint16(25));
        qunsetenv("TORVEX_POP3_PORT");
        qunsetenv("TORVEX_SMTP_PORT");
    }

    void resolveNamesAndDottedAddresses()
    {
        MailSocket s;
        s.InitMailSocket(MailService::POP);
        QVERIFY(s.ResolveHost(QStringLiteral("127.0.0.1"), MailService::POP));
        QCOMPARE(s.hostAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(s.gSocketState, SocketState::DataReceived);
        QVERIFY(s.ResolveHost(QStringLiteral("localhost"), MailService::POP));
        QCOMPARE(s.hostAddress, QStringLiteral("127.0.0.1"));
        // Only a dotted quad is an address; other numbers (a Fax-To telephone
        // number taken for a domain) name no host at all.
        for (const char* none : {"300.1.1.1", "5551234", "127.1", "0x7f000001", "1.2.3.4.5"}) {
            QVERIFY2(!s.ResolveHost(QString::fromLatin1(none), MailService::POP), none);
            QVERIFY(s.hostAddress.isEmpty());
        }
        QVERIFY(s.ResolveHost(QStringLiteral("::1"), MailService::POP));
        QVERIFY(!s.ResolveHost(QStringLiteral("no-such-host.invalid"), MailService::POP));
    }

    void writeOutSendsEverythingAndKeepsTheWait()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QByteArray received;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* peer = server.nextPendingConnection();
            peer->write("+OK\r\n");
            connect(peer, &QTcpSocket::readyRead, peer, [peer, &received] { received += peer->readAll(); });
        });
        MailSocket s;
        s.InitMailSocket(MailService::POP);
        QVERIFY(s.ResolveHost(QStringLiteral("127.0.0.1"), MailService::POP));
        s.OpenMailConnection(server.serverPort());
        s.gSocketState = SocketState::AwaitingReply;
        const QByteArray big(300000, 'x');
        QVERIFY(s.writeOut(big + "\r\n"));
        QCOMPARE(s.gSocketState, SocketState::AwaitingReply);
        QTRY_COMPARE(received.size(), big.size() + 2);
    }
};

QTEST_GUILESS_MAIN(TestMailSocket)
#include "tst_mail_socket.moc"
