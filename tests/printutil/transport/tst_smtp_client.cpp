#include "common/mail_security.h"
#include "platform/settings/profile_api.h"
#include "printutil/receipt/mdn_sender.h"
#include "printutil/run/run_folders.h"
#include "printutil/transport/smtp_client.h"
#include "printutil/transport/smtp_client_text.h"
#include "printutil/transport/smtp_server_selection.h"
#include "scripted_mail_server.h"
#include "tests/support/recording_relay.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_env.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

using namespace torvex;
using test::ScriptedMailServer;
using test::SmtpTestServer;
using Script = ScriptedMailServer::Script;
using Delivery = ScriptedMailServer::Delivery;

Q_DECLARE_METATYPE(Script)

namespace {

const QString kMessage = QStringLiteral("To: <b@example.org>\r\nSubject: hello\r\n\r\nLine one\r\n\r\n.\r\n");

// A received TORVEX whose header carries what a careless sender (or an
// attacker) can put there: lines starting with ".", a lone "." line with
// SMTP commands after it. (Values holding line ends are the composer's
// test: what arrives here is what was composed.)
ReceiptRequest hostileRequest()
{
    ReceiptRequest r;
    r.disposition = ReceiptDisposition::Processed;
    r.fullMode = true;
    r.recipient = QStringLiteral("Sender Office <sender@127.0.0.1>");
    r.subject = QStringLiteral("Figures");
    r.sentDate = QStringLiteral("Tue, 5 Mar 2024 10:00:00 +0100");
    r.receivedId = QStringLiteral("<id@example.org>");
    r.fullHeader = QStringLiteral("From: Sender Office <sender@127.0.0.1>\r\n"
                                  "X-Note: the next lines are the sender's\r\n"
                                  ".hidden\r\n"
                                  ".\r\n"
                                  "MAIL FROM:<x@example.org>\r\n"
                                  "RCPT TO:<victim@example.org>\r\n"
                                  "\r\n");
    r.statusLines = QStringLiteral("\tFAX.TIF\tValid TORVEX Format\r\n\tFAX.TIF\tFile Processed\r\n");
    r.pageCount = QStringLiteral(" 2");
    return r;
}

}  // namespace

// The SMTP client: the text it puts on the wire, its conversations with a
// scripted server on loopback for the faults a real one will not produce,
// and a receipt through a real submission server (aiosmtpd).
class TestSmtpClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.3")), 0));
        port_ = probe.serverPort();
    }

    void init()
    {
        qputenv("TORVEX_TIME_SCALE", "600");  // a one-minute tick takes 100 ms
        qputenv("TORVEX_SMTP_PORT", QByteArray::number(port_));
        env_ = std::make_unique<test::TestEnv>();
        ctx_ = RunContext();
        ctx_.programFolder = env_->home();
        ctx_.folders = runFoldersIn(ctx_.programFolder);
        prepareRunFolders(ctx_.folders, true);
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
    // a greeting other than 220 or a dropped connection. STARTTLS and the
    // log-on where the server falls short each end with their own code and
    // never send the password in the clear. The recipient holds a line break
    // and a command: it stays on the RCPT line.
    void conversationEndsWithItsCode_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("error");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<QString>("log");
        const QByteArray helo = "HELO 127.0.0.3";
        const QByteArray ehlo = "EHLO 127.0.0.3";
        const QByteArray mail = "MAIL FROM: <a@example.org>";
        const QByteArray rcpt = "RCPT TO: <b@example.org> RSET>";
        const int none = int(MailSecurity::None);
        const QString u = QStringLiteral("user");
        QTest::newRow("continued greeting")
            << Script{.greeting = {"220-scripted.example ESMTP\r\n", "220-no UCE\r\n", "220 ready\r\n"}} << none
            << QString() << int(SMTP_OK) << QList<QByteArray>{helo, mail, rcpt, "DATA", "QUIT"}
            << QStringLiteral("SMTP_CONFIRM_QUIT + Alles OK + 221 Bye, ");
        QTest::newRow("greeting without 220") << Script{.greeting = {"554 not today\r\n"}} << none << QString()
                                              << int(SMTP_ServiceUnavailable) << QList<QByteArray>{} << QString();
        QTest::newRow("no greeting") << Script{.greeting = {""}} << none << QString() << int(SMTP_NoConnection)
                                     << QList<QByteArray>{} << QString();
        // The log names the refusal, not the goodbye that followed it.
        QTest::newRow("RCPT") << Script{.replies = {{"RCPT", "550 5.1.1 No such user here\r\n"}}} << none << QString()
                              << int(SMTP_RecipientRefused) << QList<QByteArray>{helo, mail, rcpt, "QUIT"}
                              << QStringLiteral("SMTP_RCPT + The SMTP server replied - 5.1.1 No such user here + 550 "
                                                "5.1.1 No such user here, ");
        QTest::newRow("HELO") << Script{.replies = {{"HELO", "501 who?\r\n"}}} << none << QString() << 1
                              << QList<QByteArray>{helo, "QUIT"} << QString();
        QTest::newRow("MAIL") << Script{.replies = {{"MAIL", "553 no relay\r\n"}}} << none << QString() << 1
                              << QList<QByteArray>{helo, mail, "QUIT"} << QString();
        QTest::newRow("DATA") << Script{.replies = {{"DATA", "451 later\r\n"}}} << none << QString() << 3
                              << QList<QByteArray>{helo, mail, rcpt, "DATA", "QUIT"} << QString();
        QTest::newRow("message") << Script{.replies = {{".", "554 spam\r\n"}}} << none << QString() << 4
                                 << QList<QByteArray>{helo, mail, rcpt, "DATA", "QUIT"} << QString();
        // Noticed as the drop it is, not as a wait that ran out (7).
        QTest::newRow("dropped on DATA") << Script{.delivery = {{"DATA", Delivery::Drop}}} << none << QString()
                                         << int(SMTP_Disconnected) << QList<QByteArray>{helo, mail, rcpt, "DATA"}
                                         << QStringLiteral("Server Disconnected");
        QTest::newRow("dropped after the message")
            << Script{.delivery = {{".", Delivery::Drop}}} << none << QString() << int(SMTP_Disconnected)
            << QList<QByteArray>{helo, mail, rcpt, "DATA"} << QStringLiteral("Server Disconnected");

        const std::pair<QByteArray, QByteArray> offered{"EHLO", "250-scripted\r\n250-AUTH PLAIN LOGIN\r\n250 STARTTLS\r\n"};
        const std::pair<QByteArray, QByteArray> plain{"EHLO", "250-scripted\r\n250 AUTH PLAIN LOGIN\r\n"};
        const std::pair<QByteArray, QByteArray> refusal{"STARTTLS", "454 4.7.0 TLS not available\r\n"};
        const auto required = int(MailSecurity::StartTlsRequired);
        const auto whenOffered = int(MailSecurity::StartTlsWhenOffered);
        QTest::newRow("STARTTLS offered, then refused")
            << Script{.replies = {offered, refusal}} << required << u << int(SMTP_TlsUnavailable)
            << QList<QByteArray>{ehlo, "STARTTLS", "QUIT"}
            << QStringLiteral("No secure connection - the server refused STARTTLS: 454 4.7.0 TLS not available");
        QTest::newRow("STARTTLS refused when only wanted if offered")
            << Script{.replies = {offered, refusal}} << whenOffered << QString() << int(SMTP_TlsUnavailable)
            << QList<QByteArray>{ehlo, "STARTTLS", "QUIT"} << QStringLiteral("refused STARTTLS");
        QTest::newRow("STARTTLS not offered but required")
            << Script{.replies = {plain}} << required << u << int(SMTP_TlsUnavailable) << QList<QByteArray>{ehlo, "QUIT"}
            << QStringLiteral("No secure connection - the server does not offer STARTTLS");
        QTest::newRow("dropped in the TLS handshake")
            << Script{.replies = {offered, {"STARTTLS", "220 2.0.0 Ready\r\n"}},
                      .delivery = {{"STARTTLS", Delivery::DropOnNextRead}}}
            << required << u << int(SMTP_TlsFailed) << QList<QByteArray>{ehlo, "STARTTLS"}
            << QStringLiteral("Secure connection failed - the server closed the connection during the TLS handshake");
        QTest::newRow("log-on without TLS")
            << Script{.replies = {plain}} << none << u << int(SMTP_TlsUnavailable) << QList<QByteArray>{ehlo, "QUIT"}
            << QStringLiteral("No secure connection - the log-on needs STARTTLS or TLS");
        QTest::newRow("STARTTLS not offered, wanted only if offered")
            << Script{.replies = {plain}} << whenOffered << QString() << int(SMTP_OK)
            << QList<QByteArray>{ehlo, mail, rcpt, "DATA", "QUIT"} << QString();
    }
    void conversationEndsWithItsCode()
    {
        QFETCH(Script, script);
        QFETCH(int, security);
        QFETCH(QString, user);
        QFETCH(int, error);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(QString, log);
        ScriptedMailServer& server = serve(QStringLiteral("127.0.0.3"), script);
        smtp_.gSMTPAccess.security = MailSecurity(security);
        smtp_.gSMTPAccess.user = user;
        smtp_.gSMTPAccess.password = QStringLiteral("s3cret");
        smtp_.gSMTPRecipAddr = QStringLiteral("b@example.org>\r\nRSET");
        send(QStringLiteral("127.0.0.3"));
        QCOMPARE(result_.gSMTP_Error, error);
        QCOMPARE(server.commands, commands);
        QVERIFY2(smtp_.gSMTPLog.contains(log), qPrintable(smtp_.gSMTPLog));
        // What the log says is the error the conversation ended with.
        QVERIFY2(smtp_.gSMTPLog.contains(SMTPErrorText(result_)), qPrintable(SMTPErrorText(result_)));
        if (error == SMTP_OK)
            QCOMPARE(server.messages.value(0), QByteArray("To: <b@example.org>\r\nSubject: hello\r\n\r\nLine one\r\n\r\n"));
    }

    void silentServerTimesOut()
    {
        ScriptedMailServer& server = serve(QStringLiteral("127.0.0.3"), {.replies = {{"HELO", ""}}});
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

    // Once the message went out whole, its final reply decides: taken (even
    // when the goodbye is lost) or refused in words, the next server may
    // try; no reply at all, and the message may have arrived, so no second
    // server gets a copy now.
    void finalReplyDecidesWhetherAnotherServerTries_data()
    {
        QTest::addColumn<Script>("first");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<int>("atSecond");
        QTest::newRow("taken, goodbye lost") << Script{.replies = {{".", "250 queued\r\n"}, {"QUIT", ""}}} << true << 0;
        QTest::newRow("refused") << Script{.replies = {{".", "554 no\r\n"}}} << true << 1;
        QTest::newRow("no reply, silence") << Script{.replies = {{".", ""}}} << false << 0;
        QTest::newRow("no reply, dropped") << Script{.delivery = {{".", Delivery::Drop}}} << false << 0;
    }
    void finalReplyDecidesWhetherAnotherServerTries()
    {
        QFETCH(Script, first);
        QFETCH(bool, sent);
        QFETCH(int, atSecond);
        ScriptedMailServer& one = serve(QStringLiteral("127.0.0.4"), first);
        ScriptedMailServer& two = serve(QStringLiteral("127.0.0.6"), {});
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

    // A receipt through the user's own submission server, found by the
    // server selection: STARTTLS (or TLS from the first byte) and AUTH,
    // with the certificate checked against 127.0.0.1 and the test CA.
    void secureSubmission_data()
    {
        QTest::addColumn<QString>("security");
        QTest::addColumn<QString>("certificate");  // the server's: server, expired, other-host, unknown-issuer
        QTest::addColumn<QString>("trusted");      // ca, or server (that certificate alone)
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("loginOnly");       // the server offers AUTH LOGIN only
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("logText");      // in [log] SMTP_State
        QTest::addColumn<QStringList>("logOns");   // as the server saw them
        const QString ok = QStringLiteral("SMTP_CONFIRM_QUIT + Alles OK + 221 Bye");
        const QString sr = QStringLiteral("starttls-required");
        const QString u = QStringLiteral("fax user");
        const QString pw = QStringLiteral("pass word");
        QTest::newRow("STARTTLS, AUTH PLAIN") << sr << "server" << "ca" << u << pw << false << 0 << ok
                                              << QStringList{"PLAIN fax user ok tls"};
        QTest::newRow("TLS from the first byte") << "tls" << "server" << "ca" << u << pw << false << 0 << ok
                                                 << QStringList{"PLAIN fax user ok tls"};
        QTest::newRow("AUTH LOGIN") << sr << "server" << "ca" << u << pw << true << 0 << ok
                                    << QStringList{"LOGIN fax user ok tls"};
        QTest::newRow("trusted server certificate") << "tls" << "server" << "server" << u << pw << false << 0
                                                    << ok << QStringList{"PLAIN fax user ok tls"};
        QTest::newRow("wrong password")
            << sr << "server" << "ca" << u << "wrong" << false << int(SMTP_AuthRefused)
            << QStringLiteral("SMTP_HELO + The SMTP server refused the log-on - 5.7.8 Authentication credentials invalid")
            << QStringList{"PLAIN fax user refused tls"};
        QTest::newRow("no log-on given")
            << sr << "server" << "ca" << QString() << QString() << false << int(SMTP_AuthRequired)
            << QStringLiteral("SMTP_MAIL + The SMTP server requires a log-on - 5.7.0 Authentication required")
            << QStringList{};
        QTest::newRow("certificate for another host")
            << "tls" << "other-host" << "ca" << u << pw << false << int(SMTP_TlsFailed)
            << QStringLiteral("Secure connection failed - the server's certificate is for another host")
            << QStringList{};
        QTest::newRow("unknown CA")
            << sr << "unknown-issuer" << "ca" << u << pw << false << int(SMTP_TlsFailed)
            << QStringLiteral("Secure connection failed - the server's certificate comes from an unknown issuer")
            << QStringList{};
    }
    void secureSubmission()
    {
        QFETCH(QString, security);
        QFETCH(QString, certificate);
        QFETCH(QString, trusted);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, loginOnly);
        QFETCH(int, error);
        QFETCH(QString, logText);
        QFETCH(QStringList, logOns);
        if (!SmtpTestServer::available())
            QSKIP("python3-aiosmtpd is not installed");
        QVERIFY2(certificates_.ok(), "openssl could not make the test certificates");
        // TLS handshakes with a Python server on a loaded machine: a wait of
        // 2 s, not 200 ms.
        qputenv("TORVEX_TIME_SCALE", "60");
        ctx_.info.gTimoutMinutes = 2;
        ctx_.info.Torvex_Addr = QStringLiteral("user@127.0.0.1");
        smtp_ = SmtpContext();  // the receipt sender fills it in

        SmtpTestServer::Options options;
        options.tlsCert = certificates_.pair(certificate).cert;
        options.tlsKey = certificates_.pair(certificate).key;
        options.implicitTls = security == QLatin1String("tls");
        options.requireTls = !options.implicitTls;
        options.auth = QStringLiteral("fax user:pass word");
        options.authExclude = loginOnly ? QStringList{QStringLiteral("PLAIN")} : QStringList{};
        SmtpTestServer submission;
        QVERIFY(submission.start(QStringLiteral("127.0.0.1"), 0, options));
        test::RecordingRelay wire(submission.port());
        QVERIFY(wire.listen());

        // The recipient's own servers take nothing: rows 1 and 2 fail.
        qputenv("TORVEX_SMTP_PORT", "1");
        ctx_.info.Normal_EMail_Addr = QStringLiteral("me@home.example");
        ctx_.info.gUserSMTPServer = QStringLiteral("127.0.0.1");
        ctx_.info.User_SMTP_Security = security;
        ctx_.info.User_SMTP_Port = QString::number(wire.port());
        ctx_.info.User_SMTP_User = user;
        ctx_.info.User_SMTP_Password = password;
        ctx_.info.Trusted_Certificate_File = trusted == QLatin1String("ca") ? certificates_.caFile()
                                                                            : certificates_.server().cert;
        ctx_.info.VX_SMTP_Server.clear();
        ctx_.info.gLastResortSMTPServer.clear();
        MdnReceiptSender receipts(ctx_, smtp_, *client_);
        const bool sent = receipts.SendMDN(hostileRequest());

        const QString account = ctx_.accountFilePath();
        const QString log = GetPrivateProfileStringA(QStringLiteral("log"), QStringLiteral("SMTP_State"), QString(), account);
        QVERIFY2(sent == (error == 0) && log.contains(logText), qPrintable(log));
        // One attempt: the same server is not tried again with the other sender.
        QCOMPARE(submission.logOns(), logOns);
        QCOMPARE(submission.deliveries().size(), error == 0 ? 1 : 0);
        // Everything composed arrives, up to the end-of-data line.
        if (error == 0)
            QCOMPARE(submission.deliveries().front().content, smtp_.gSMTPMessage.toUtf8().chopped(3));
        if (error != 0)
            QCOMPARE(ctx_.gLastError, QString::number(error));
        if (error == 0) {
            QCOMPARE(GetPrivateProfileStringA(QStringLiteral("log"), QStringLiteral("SMTP_Servers"), QString(), account),
                     QStringLiteral("127.0.0.1 + user@127.0.0.1 , mail.127.0.0.1 + user@127.0.0.1 , "
                                    "127.0.0.1 + me@home.example , "));
            QCOMPARE(submission.commands().mid(0, options.implicitTls ? 2 : 4),
                     options.implicitTls
                         ? QStringList({"EHLO 127.0.0.1", loginOnly ? "AUTH LOGIN" : "AUTH PLAIN ***"})
                         : QStringList({"EHLO 127.0.0.1", "STARTTLS", "EHLO 127.0.0.1",
                                        loginOnly ? "AUTH LOGIN" : "AUTH PLAIN ***"}));
        }

        // Nothing of the log-on crossed the wire or reached a file in the clear.
        const QByteArray plain = '\0' + user.toUtf8() + '\0' + password.toUtf8();
        for (const QByteArray& secret : {password.toUtf8(), plain.toBase64(), password.toUtf8().toBase64()}) {
            if (password.isEmpty())
                break;
            QVERIFY(!wire.fromClient.contains(secret));
            QVERIFY(!env_->readFile(QStringLiteral("account.ini")).contains(secret));
        }
        QVERIFY(!wire.fromClient.contains("AUTH"));
        QVERIFY(!wire.fromClient.contains("MAIL FROM"));
    }

private:
    ScriptedMailServer& serve(const QString& address, Script script)
    {
        servers_.push_back(std::make_unique<ScriptedMailServer>(ScriptedMailServer::Protocol::Smtp, std::move(script),
                                                                QHostAddress(address), port_));
        if (!servers_.back()->isListening())
            qFatal("cannot listen on %s:%u", qPrintable(address), unsigned(port_));
        return *servers_.back();
    }

    void send(const QString& server)
    {
        smtp_.gSMTPSendToServer = server;
        result_ = client_->SendEMail();
    }

    quint16 port_ = 0;
    test::TestCertificates certificates_;
    std::unique_ptr<test::TestEnv> env_;
    RunContext ctx_;
    SmtpContext smtp_;
    SmtpResult result_;
    std::unique_ptr<SmtpClient> client_;
    std::vector<std::unique_ptr<ScriptedMailServer>> servers_;
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtp_client.moc"
