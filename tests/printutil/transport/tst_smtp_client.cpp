#include "common/mail_security.h"
#include "printutil/transport/smtp_client.h"
#include "printutil/transport/smtp_client_text.h"
#include "printutil/transport/smtp_server_selection.h"
#include "scripted_smtp_server.h"
#include "tests/support/test_env.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

using namespace torvex;
using test::ScriptedSmtpServer;

namespace {

const QString kMessage = QStringLiteral("To: <b@example.org>\r\nSubject: hello\r\n\r\nLine one\r\n\r\n.\r\n");

}  // namespace

// The SMTP client: the text it puts on the wire, and its conversations
// with a scripted server on loopback for the faults a real one will not
// produce.
class TestSmtpClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // A one-minute tick takes 100 ms.
        qputenv("TORVEX_TIME_SCALE", "600");
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.3")), 0));
        port_ = probe.serverPort();
        qputenv("TORVEX_SMTP_PORT", QByteArray::number(port_));
    }

    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        ctx_ = RunContext();
        ctx_.programFolder = env_->home();
        // Waits of 2 s, which a loaded machine's replies never outlast; the
        // test of the wait itself shortens them.
        ctx_.info.gTimoutMinutes = 20;
        smtp_ = SmtpContext();
        smtp_.gSMTPSenderAddr = QStringLiteral("a@example.org");
        smtp_.gSMTPRecipAddr = QStringLiteral("b@example.org");
        smtp_.gSMTPMessage = kMessage;
        client_ = std::make_unique<SmtpClient>(ctx_, smtp_);
        client_->InitMailSocket();
    }
    void cleanup()
    {
        client_.reset();
        servers_.clear();
        env_.reset();
    }

    void oneLineKeepsValuesOnTheirLine_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Fax from office" << "Fax from office";
        QTest::newRow("folded") << "Fax from\r\n\toffice" << "Fax from\toffice";
        QTest::newRow("folded blank") << "Fax from\r\n office" << "Fax from office";
        QTest::newRow("smuggled header") << "Hello\r\nBcc: victim@example.org"
                                         << "Hello Bcc: victim@example.org";
        QTest::newRow("bare lf") << "Hello\nRCPT TO:<x@example.org>" << "Hello RCPT TO:<x@example.org>";
        QTest::newRow("bare cr") << "a\rb" << "a b";
        QTest::newRow("trailing break") << "a\r\n" << "a";
        QTest::newRow("terminal controls") << "Fax\x1b[2J\a from\x7f office\x01" << "Fax[2J from office";
    }
    void oneLineKeepsValuesOnTheirLine()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(oneLine(value), expected);
        QVERIFY(!oneLine(value).contains(QLatin1Char('\r')));
        QVERIFY(!oneLine(value).contains(QLatin1Char('\n')));
    }

    // The message as it goes out after DATA: the end-of-data line added
    // only where it is missing, every line break CR LF, a leading "."
    // doubled, so nothing the sender wrote ends the data or becomes a command.
    void dataOnTheWire_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("ended") << "Body\r\n\r\n.\r\n" << QByteArray("Body\r\n\r\n.\r\n");
        // One ending with a single line end gets an empty line and the "." line.
        QTest::newRow("one line end") << "Body\r\n" << QByteArray("Body\r\n\r\n\r\n.\r\n");
        QTest::newRow("no line end") << "Body" << QByteArray("Body\r\n\r\n.\r\n");
        QTest::newRow("dots and commands")
            << "Subject: x\r\n\r\n.hidden\r\n.\r\nMAIL FROM:<x@example.org>\r\nDATA\r\nbare\n.\r\n..two\r\nlast.\rend\r\n"
            << QByteArray("Subject: x\r\n\r\n..hidden\r\n..\r\nMAIL FROM:<x@example.org>\r\nDATA\r\nbare\r\n..\r\n"
                          "...two\r\nlast.\r\nend\r\n\r\n\r\n.\r\n");
    }
    void dataOnTheWire()
    {
        QFETCH(QString, message);
        QFETCH(QByteArray, data);
        QCOMPARE(smtpData(message), data);
    }

    void dataGoesOutIn256ByteChunks()
    {
        const QString message = QString(593, QLatin1Char('x')) + QString::fromLatin1(kEndOfData);
        const QByteArray data = smtpData(message);
        QCOMPARE(data.size(), 600);
        const QList<QByteArray> chunks = chunksOf(data);
        QCOMPARE(chunks.size(), 3);
        QCOMPARE(chunks.at(0).size(), 256);
        QCOMPARE(chunks.at(1).size(), 256);
        QCOMPARE(chunks.at(2).size(), 88);
        QCOMPARE(chunks.at(0) + chunks.at(1) + chunks.at(2), data);
        QCOMPARE(chunksOf(QByteArray(512, 'y')).size(), 2);
    }

    // Each way a conversation ends, with its code, the commands the server
    // saw and what the log says: QUIT after a refusal in words, none after
    // a greeting other than 220 or a dropped connection. The recipient holds
    // a line break and a command: it stays on the RCPT line.
    void conversationEndsWithItsCode_data()
    {
        QTest::addColumn<QList<QByteArray>>("greeting");
        QTest::addColumn<QByteArray>("word");  // the command refused; empty: the message itself
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("drop");
        QTest::addColumn<int>("error");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<QString>("log");
        const QList<QByteArray> ready{"220 ready\r\n"};
        const int never = int(ScriptedSmtpServer::Drop::Never);
        const QByteArray helo = "HELO 127.0.0.3";
        const QByteArray mail = "MAIL FROM: <a@example.org>";
        const QByteArray rcpt = "RCPT TO: <b@example.org> RSET>";
        QTest::newRow("continued greeting")
            << QList<QByteArray>{"220-scripted.example ESMTP\r\n", "220-no UCE\r\n", "220 ready\r\n"} << QByteArray()
            << QByteArray("250 queued\r\n") << never << int(SMTP_OK)
            << QList<QByteArray>{helo, mail, rcpt, "DATA", "QUIT"}
            << QStringLiteral("SMTP_CONFIRM_QUIT + Alles OK + 221 Bye, ");
        QTest::newRow("greeting without 220") << QList<QByteArray>{"554 not today\r\n"} << QByteArray() << QByteArray()
                                              << never << int(SMTP_ServiceUnavailable) << QList<QByteArray>{}
                                              << QString();
        QTest::newRow("no greeting") << QList<QByteArray>{} << QByteArray() << QByteArray() << never
                                     << int(SMTP_NoConnection) << QList<QByteArray>{} << QString();
        // The log names the refusal, not the goodbye that followed it.
        QTest::newRow("RCPT") << ready << QByteArray("RCPT") << QByteArray("550 5.1.1 No such user here\r\n") << never
                              << int(SMTP_RecipientRefused) << QList<QByteArray>{helo, mail, rcpt, "QUIT"}
                              << QStringLiteral("SMTP_RCPT + The SMTP server replied - 5.1.1 No such user here + 550 "
                                                "5.1.1 No such user here, ");
        QTest::newRow("HELO") << ready << QByteArray("HELO") << QByteArray("501 who?\r\n") << never << 1
                              << QList<QByteArray>{helo, "QUIT"} << QString();
        QTest::newRow("MAIL") << ready << QByteArray("MAIL") << QByteArray("553 no relay\r\n") << never << 1
                              << QList<QByteArray>{helo, mail, "QUIT"} << QString();
        QTest::newRow("DATA") << ready << QByteArray("DATA") << QByteArray("451 later\r\n") << never << 3
                              << QList<QByteArray>{helo, mail, rcpt, "DATA", "QUIT"} << QString();
        QTest::newRow("message") << ready << QByteArray() << QByteArray("554 spam\r\n") << never << 4
                                 << QList<QByteArray>{helo, mail, rcpt, "DATA", "QUIT"} << QString();
        // Noticed as the drop it is, not as a wait that ran out (7).
        QTest::newRow("dropped on DATA") << ready << QByteArray() << QByteArray("250 queued\r\n")
                                         << int(ScriptedSmtpServer::Drop::OnDataCommand) << int(SMTP_Disconnected)
                                         << QList<QByteArray>{helo, mail, rcpt, "DATA"}
                                         << QStringLiteral("Server Disconnected");
        QTest::newRow("dropped after the message")
            << ready << QByteArray() << QByteArray("250 queued\r\n") << int(ScriptedSmtpServer::Drop::AfterMessage)
            << int(SMTP_Disconnected) << QList<QByteArray>{helo, mail, rcpt, "DATA"}
            << QStringLiteral("Server Disconnected");
    }
    void conversationEndsWithItsCode()
    {
        QFETCH(QList<QByteArray>, greeting);
        QFETCH(QByteArray, word);
        QFETCH(QByteArray, reply);
        QFETCH(int, drop);
        QFETCH(int, error);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(QString, log);
        ScriptedSmtpServer::Script script;
        script.greeting = greeting;
        script.drop = ScriptedSmtpServer::Drop(drop);
        if (word.isEmpty())
            script.afterMessage = reply;
        else
            script.replies[word] = reply;
        ScriptedSmtpServer& server = serve(QStringLiteral("127.0.0.3"), script);
        smtp_.gSMTPRecipAddr = QStringLiteral("b@example.org>\r\nRSET");
        send(QStringLiteral("127.0.0.3"));
        QCOMPARE(result_.gSMTP_Error, error);
        QCOMPARE(server.commands, commands);
        QVERIFY2(smtp_.gSMTPLog.contains(log), qPrintable(smtp_.gSMTPLog));
        if (error == SMTP_OK)
            QCOMPARE(ScriptedSmtpServer::unstuffed(server.messages.value(0)),
                     QByteArray("To: <b@example.org>\r\nSubject: hello\r\n\r\nLine one\r\n\r\n"));
    }

    void silentServerTimesOut()
    {
        ScriptedSmtpServer::Script script;
        script.silentAfterGreeting = true;
        ScriptedSmtpServer& server = serve(QStringLiteral("127.0.0.3"), script);
        ctx_.info.gTimoutMinutes = 2;
        QElapsedTimer clock;
        clock.start();
        send(QStringLiteral("127.0.0.3"));
        QCOMPARE(result_.gSMTP_Error, qint32(SMTP_TimedOut));
        // Two one-minute ticks (gTimoutMinutes) at 100 ms each; a coarse
        // timer may end each a little early.
        QVERIFY2(clock.elapsed() >= 150 && clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(server.commands, QList<QByteArray>({"HELO 127.0.0.3"}));
        QVERIFY(smtp_.gSMTPLog.startsWith(QStringLiteral("SMTP_OpenConnection + The connection timed out + ")));
    }

    void noServer()
    {
        send(QStringLiteral("127.0.0.4"));  // nobody listens there
        QCOMPARE(result_.gSMTP_Error, qint32(SMTP_NoConnection));
        QVERIFY(smtp_.gSMTPLog.endsWith(QStringLiteral("SMTP_CallHost + Unable to connect to the server -  + , ")));

        send(QStringLiteral("no-such-host.invalid"));
        QCOMPARE(result_.gSMTP_Error, qint32(SMTP_NoAddress));
        QVERIFY(smtp_.gSMTPLog.endsWith(
            QStringLiteral("SMTP_CallHost + Unable to obtain an Internet Address for the server -  + , ")));
    }

    // STARTTLS and the log-on where the server falls short: each row ends
    // with its own code and never sends the password in the clear.
    void secureConnectionFaults_data()
    {
        QTest::addColumn<QByteArray>("ehlo");
        QTest::addColumn<QByteArray>("startTls");
        QTest::addColumn<bool>("dropInHandshake");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QList<QByteArray>>("commands");
        const QByteArray offered = "250-scripted\r\n250-AUTH PLAIN LOGIN\r\n250 STARTTLS\r\n";
        const QByteArray plain = "250-scripted\r\n250 AUTH PLAIN LOGIN\r\n";
        const QByteArray ehlo = "EHLO 127.0.0.3";
        const auto required = int(MailSecurity::StartTlsRequired);
        const auto whenOffered = int(MailSecurity::StartTlsWhenOffered);
        QTest::newRow("offered, then refused")
            << offered << QByteArray("454 4.7.0 TLS not available\r\n") << false << required
            << QStringLiteral("user") << int(SMTP_TlsUnavailable)
            << QStringLiteral("No secure connection - the server refused STARTTLS: 454 4.7.0 TLS not available")
            << QList<QByteArray>{ehlo, "STARTTLS", "QUIT"};
        QTest::newRow("refused when only wanted if offered")
            << offered << QByteArray("454 4.7.0 TLS not available\r\n") << false << whenOffered << QString()
            << int(SMTP_TlsUnavailable) << QStringLiteral("refused STARTTLS")
            << QList<QByteArray>{ehlo, "STARTTLS", "QUIT"};
        QTest::newRow("not offered but required")
            << plain << QByteArray() << false << required << QStringLiteral("user") << int(SMTP_TlsUnavailable)
            << QStringLiteral("No secure connection - the server does not offer STARTTLS")
            << QList<QByteArray>{ehlo, "QUIT"};
        QTest::newRow("dropped in the handshake")
            << offered << QByteArray("220 2.0.0 Ready\r\n") << true << required << QStringLiteral("user")
            << int(SMTP_TlsFailed)
            << QStringLiteral("Secure connection failed - the server closed the connection during the TLS handshake")
            << QList<QByteArray>{ehlo, "STARTTLS"};
        QTest::newRow("log-on without TLS")
            << plain << QByteArray() << false << int(MailSecurity::None) << QStringLiteral("user")
            << int(SMTP_TlsUnavailable) << QStringLiteral("No secure connection - the log-on needs STARTTLS or TLS")
            << QList<QByteArray>{ehlo, "QUIT"};
        QTest::newRow("not offered, wanted only if offered")
            << plain << QByteArray() << false << whenOffered << QString() << int(SMTP_OK) << QString()
            << QList<QByteArray>{ehlo, "MAIL FROM: <a@example.org>", "RCPT TO: <b@example.org>", "DATA", "QUIT"};
    }
    void secureConnectionFaults()
    {
        QFETCH(QByteArray, ehlo);
        QFETCH(QByteArray, startTls);
        QFETCH(bool, dropInHandshake);
        QFETCH(int, security);
        QFETCH(QString, user);
        QFETCH(int, error);
        QFETCH(QString, reason);
        QFETCH(QList<QByteArray>, commands);
        ScriptedSmtpServer::Script script;
        script.replies["EHLO"] = ehlo;
        script.replies["STARTTLS"] = startTls;
        if (dropInHandshake)
            script.drop = ScriptedSmtpServer::Drop::InTlsHandshake;
        ScriptedSmtpServer& server = serve(QStringLiteral("127.0.0.3"), script);
        smtp_.gSMTPAccess.security = MailSecurity(security);
        smtp_.gSMTPAccess.user = user;
        smtp_.gSMTPAccess.password = QStringLiteral("s3cret");
        send(QStringLiteral("127.0.0.3"));
        QCOMPARE(result_.gSMTP_Error, error);
        QCOMPARE(server.commands, commands);
        QVERIFY2(SMTPErrorText(result_).contains(reason),
                 qPrintable(SMTPErrorText(result_)));
        QVERIFY(smtp_.gSMTPLog.contains(reason));
    }

    // Once the message went out whole, its final reply decides: taken (even
    // when the goodbye is lost) or refused in words, the next server may
    // try; no reply at all, and the message may have arrived, so no second
    // server gets a copy now.
    void finalReplyDecidesWhetherAnotherServerTries_data()
    {
        QTest::addColumn<int>("drop");
        QTest::addColumn<QByteArray>("afterMessage");
        QTest::addColumn<bool>("quitAnswered");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<int>("atSecond");
        QTest::newRow("taken, goodbye lost") << int(ScriptedSmtpServer::Drop::Never) << QByteArray("250 queued\r\n")
                                             << false << true << 0;
        QTest::newRow("refused") << int(ScriptedSmtpServer::Drop::Never) << QByteArray("554 no\r\n") << true
                                 << true << 1;
        QTest::newRow("no reply, silence") << int(ScriptedSmtpServer::Drop::SilentAfterMessage) << QByteArray()
                                           << true << false << 0;
        QTest::newRow("no reply, dropped") << int(ScriptedSmtpServer::Drop::AfterMessage) << QByteArray() << true
                                           << false << 0;
    }
    void finalReplyDecidesWhetherAnotherServerTries()
    {
        QFETCH(int, drop);
        QFETCH(QByteArray, afterMessage);
        QFETCH(bool, quitAnswered);
        QFETCH(bool, sent);
        QFETCH(int, atSecond);
        ScriptedSmtpServer::Script first;
        first.drop = ScriptedSmtpServer::Drop(drop);
        first.afterMessage = afterMessage;
        if (!quitAnswered)
            first.replies["QUIT"] = QByteArray();
        ScriptedSmtpServer& one = serve(QStringLiteral("127.0.0.4"), first);
        ScriptedSmtpServer& two = serve(QStringLiteral("127.0.0.6"), {});
        ctx_.info.gLastResortSMTPServer = QStringLiteral("127.0.0.6");
        smtp_.gSMTPRecipAddr = QStringLiteral("sender@127.0.0.4");
        int accepted = 0;
        smtp_.onAccepted = [&accepted] { ++accepted; };
        QCOMPARE(SendMessageFile(ctx_, smtp_, *client_, QStringLiteral("MDN+Processed")), sent);
        smtp_.onAccepted = nullptr;
        QCOMPARE(one.messages.size(), 1);
        QCOMPARE(int(two.messages.size()), atSecond);
        QCOMPARE(accepted, sent ? 1 : 0);
    }

private:
    ScriptedSmtpServer& serve(const QString& address, ScriptedSmtpServer::Script script)
    {
        servers_.push_back(std::make_unique<ScriptedSmtpServer>(std::move(script)));
        if (!servers_.back()->listen(QHostAddress(address), port_))
            qFatal("cannot listen on %s:%u", qPrintable(address), unsigned(port_));
        return *servers_.back();
    }

    void send(const QString& server)
    {
        smtp_.gSMTPSendToServer = server;
        result_ = client_->SendEMail();
    }

    quint16 port_ = 0;
    std::unique_ptr<test::TestEnv> env_;
    RunContext ctx_;
    SmtpContext smtp_;
    SmtpResult result_;
    std::unique_ptr<SmtpClient> client_;
    std::vector<std::unique_ptr<ScriptedSmtpServer>> servers_;
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtp_client.moc"
