#include "common/mail_security.h"
#include "platform/settings/profile_api.h"
#include "printutil/receipt/mdn_sender.h"
#include "printutil/receipt/test_message.h"
#include "printutil/run/run_folders.h"
#include "printutil/transport/smtp_client.h"
#include "printutil/transport/smtp_client_text.h"
#include "printutil/transport/smtp_server_selection.h"
#include "scripted_mail_server.h"
#include "tests/support/recording_relay.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

#include <map>
#include <memory>

using namespace torvex;
using test::ScriptedMailServer;
using test::SmtpTestServer;
using Script = ScriptedMailServer::Script;
using Delivery = ScriptedMailServer::Delivery;
using TextFunction = QString (*)(const QString&);

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

// Answers each conversation from a table of servers instead of the network.
class ScriptedConversation final : public SmtpConversation {
public:
    explicit ScriptedConversation(SmtpContext& smtp) : smtp_(smtp) {}

    struct Attempt {
        QString server, sender, recipient, message;
    };

    void InitMailSocket() override { ++inits; }
    SmtpResult SendEMail() override
    {
        attempts.push_back({smtp_.gSMTPSendToServer, smtp_.gSMTPSenderAddr, smtp_.gSMTPRecipAddr,
                            smtp_.gSMTPMessage});
        const auto it = outcome.find(smtp_.gSMTPSendToServer);
        SmtpResult result;
        result.gSMTP_Error = it == outcome.end() ? SMTP_NoConnection : it->second;
        result.senderRefused = refuseSenders && it == outcome.end();
        if (result.senderRefused)
            result.gSMTP_Error = SMTP_ServiceUnavailable;
        smtp_.gSMTPLog += smtp_.gSMTPSendToServer + QStringLiteral(", ");
        return result;
    }

    QStringList servers() const
    {
        QStringList list;
        for (const Attempt& a : attempts)
            list << a.server;
        return list;
    }

    std::map<QString, qint32> outcome;  // server -> gSMTP_Error; others cannot be reached
    bool refuseSenders = false;         // ... or refuse the sender instead
    std::vector<Attempt> attempts;
    int inits = 0;

private:
    SmtpContext& smtp_;
};

// The rows' servers and the service's settings, as a test gives them.
struct Servers {
    QString domain = QStringLiteral("torvex.net");  // gVXDomainName
    QString ip{};                                   // gVXIPAddress
    QString user{};                                 // gUserSMTPServer
    QString second{};                               // gSMTPServer2
    QString normal{};                               // Normal_EMail_Addr
    QString vx{};                                   // VX_SMTP_Server
    QString last{};                                 // gLastResortSMTPServer
};

// A message to send: the servers, the recipient and what each server
// does with it, and the rows the selection must try.
struct Route {
    Servers servers{};
    QString recipient{};
    QString envelope{};  // the recipient as sent, when not as given
    QStringList taking{};
    QStringList refusing{};
    bool refuseSenders = false;  // the others cannot be reached, or refuse the sender
    QString tag = QStringLiteral("T");
    QStringList tried{};  // server|sender
    QString lastError = QStringLiteral("6");
};

QString logValue(const RunContext& ctx, const QString& key)
{
    return GetPrivateProfileStringA(QStringLiteral("log"), key, QStringLiteral("absent"),
                                    ctx.accountFilePath());
}

// A receipt through the user's own submission server, and what it must
// come to.
struct Submission {
    QString security = QStringLiteral("starttls-required");
    QString certificate = QStringLiteral("server");  // the server's: server, expired, other-host, unknown-issuer
    QString trusted = QStringLiteral("ca");          // ca, or server (that certificate alone)
    QString user = QStringLiteral("fax user");
    QString password = QStringLiteral("pass word");
    bool loginOnly = false;  // the server offers AUTH LOGIN only
    int error = 0;
    QString logText = QStringLiteral("SMTP_CONFIRM_QUIT + Alles OK + 221 Bye");  // in [log] SMTP_State
    QStringList logOns{};                                                       // as the server saw them
};

}  // namespace

Q_DECLARE_METATYPE(Route)
Q_DECLARE_METATYPE(Submission)
Q_DECLARE_METATYPE(TextFunction)

// Sending mail: the text the SMTP client puts on the wire, its
// conversations with a scripted server on loopback for the faults a real
// one will not produce, a receipt through a real submission server
// (aiosmtpd), and the order in which the servers are tried.
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
        ctx_.info.Torvex_Addr = QStringLiteral("user@torvex.net");
        ctx_.info.gVXDomainName = QStringLiteral("torvex.net");
        ctx_.info.gLastResortSMTPServer.clear();
        ctx_.info.VX_SMTP_Server.clear();
        smtp_ = SmtpContext();
        smtp_.gSMTPSenderAddr = QStringLiteral("a@example.org");
        smtp_.gSMTPRecipAddr = QStringLiteral("b@example.org");
        smtp_.gSMTPMessage = kMessage;
        client_ = std::make_unique<SmtpClient>(ctx_, smtp_);
        client_->InitMailSocket();
        conversation_ = std::make_unique<ScriptedConversation>(smtp_);
    }
    void cleanup()
    {
        client_.reset();
        servers_.clear();
        env_.reset();
    }

    // What goes on a command or header line: a value kept on its line
    // (line breaks and terminal controls out), an address taken out of its
    // angle brackets.
    void valuesForTheWire_data()
    {
        QTest::addColumn<TextFunction>("function");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << &oneLine << "Fax from office" << "Fax from office";
        QTest::newRow("folded") << &oneLine << "Fax from\r\n\toffice" << "Fax from\toffice";
        QTest::newRow("folded blank") << &oneLine << "Fax from\r\n office" << "Fax from office";
        QTest::newRow("smuggled header") << &oneLine << "Hello\r\nBcc: victim@example.org"
                                         << "Hello Bcc: victim@example.org";
        QTest::newRow("bare lf") << &oneLine << "Hello\nRCPT TO:<x@example.org>" << "Hello RCPT TO:<x@example.org>";
        QTest::newRow("bare cr") << &oneLine << "a\rb" << "a b";
        QTest::newRow("trailing break") << &oneLine << "a\r\n" << "a";
        QTest::newRow("terminal controls") << &oneLine << "Fax\x1b[2J\a from\x7f office\x01" << "Fax[2J from office";
        QTest::newRow("bare address") << &bareAddress << "sender@example.org" << "sender@example.org";
        QTest::newRow("two-word name") << &bareAddress << "Sender Office <sender@127.0.0.1>" << "sender@127.0.0.1";
        QTest::newRow("quoted name with <") << &bareAddress << "\"a <b>\" <c@example.org>" << "c@example.org";
        QTest::newRow("brackets only") << &bareAddress << "<d@example.org>" << "d@example.org";
        QTest::newRow("unclosed") << &bareAddress << "Name <e@example.org" << "e@example.org";
    }
    void valuesForTheWire()
    {
        QFETCH(TextFunction, function);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(function(value), expected);
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
        QCOMPARE(chunks, QList<QByteArray>({data.left(256), data.mid(256, 256), data.mid(512)}));
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
        QTest::addColumn<Submission>("row");
        const QStringList plain{"PLAIN fax user ok tls"};
        QTest::newRow("STARTTLS, AUTH PLAIN") << Submission{.logOns = plain};
        QTest::newRow("TLS from the first byte") << Submission{.security = "tls", .logOns = plain};
        QTest::newRow("AUTH LOGIN") << Submission{.loginOnly = true, .logOns = {"LOGIN fax user ok tls"}};
        QTest::newRow("trusted server certificate") << Submission{.security = "tls", .trusted = "server",
                                                                  .logOns = plain};
        QTest::newRow("wrong password")
            << Submission{.password = "wrong", .error = int(SMTP_AuthRefused),
                          .logText = "SMTP_HELO + The SMTP server refused the log-on - 5.7.8 Authentication credentials invalid",
                          .logOns = {"PLAIN fax user refused tls"}};
        QTest::newRow("no log-on given")
            << Submission{.user = "", .password = "", .error = int(SMTP_AuthRequired),
                          .logText = "SMTP_MAIL + The SMTP server requires a log-on - 5.7.0 Authentication required"};
        QTest::newRow("certificate for another host")
            << Submission{.security = "tls", .certificate = "other-host", .error = int(SMTP_TlsFailed),
                          .logText = "Secure connection failed - the server's certificate is for another host"};
        QTest::newRow("unknown CA")
            << Submission{.certificate = "unknown-issuer", .error = int(SMTP_TlsFailed),
                          .logText = "Secure connection failed - the server's certificate comes from an unknown issuer"};
    }
    void secureSubmission()
    {
        QFETCH(Submission, row);
        const auto& [security, certificate, trusted, user, password, loginOnly, error, logText, logOns] = row;
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
        MdnReceiptSender receipts(ctx_, smtp_, *client_);
        const bool sent = receipts.SendMDN(hostileRequest());

        const QString account = ctx_.accountFilePath();
        const QString log = GetPrivateProfileStringA(QStringLiteral("log"), QStringLiteral("SMTP_State"), QString(), account);
        QVERIFY2(sent == (error == 0) && log.contains(logText), qPrintable(log));
        // One attempt: the same server is not tried again with the other sender.
        QCOMPARE(submission.logOns(), logOns);
        QCOMPARE(submission.deliveries().size(), error == 0 ? 1 : 0);
        if (error != 0)
            QCOMPARE(ctx_.gLastError, QString::number(error));
        if (error == 0) {
            // Everything composed arrives, up to the end-of-data line.
            QCOMPARE(submission.deliveries().front().content, smtp_.gSMTPMessage.toUtf8().chopped(3));
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

    // The rows in order, each host once unless it refused only the sender,
    // which a later row gives it another; rows without a server or a
    // sender are skipped. The log names the rows tried and their outcome.
    void rowsInOrderEachHostOnce_data()
    {
        QTest::addColumn<Route>("route");
        const QString u = QStringLiteral("|user@torvex.net");
        const QString me = QStringLiteral("|me@home.example");
        // The recipient is at the service: its address is rows 1 and 7.
        const Servers all{"b.example", " 10.1.2.3:8080 ", "smtp.home.example", "smtp2.home.example",
                          "me@home.example", "smtp.torvex.net", "torvex.org"};
        const QStringList unreachable{"10.1.2.3" + u, "mail.b.example" + u, "smtp.home.example" + me,
                                      "smtp2.home.example" + me};
        const QStringList lastRows{"smtp.torvex.net" + u, "torvex.org" + u};
        const Servers lastResort{.last = "last.example.net"};
        const QStringList userRowsAgain{"smtp.home.example" + u, "smtp2.home.example" + u};
        QTest::newRow("none reached") << Route{.servers = lastResort, .recipient = "Far Away <someone@unreachable.example>",
                                               .envelope = "someone@unreachable.example", .tag = "MDN+Processed",
                                               .tried = {"unreachable.example" + u, "mail.unreachable.example" + u,
                                                         "last.example.net" + u}};
        QTest::newRow("senders refused") << Route{.servers = all, .recipient = "a@b.example", .refuseSenders = true,
                                                  .tried = unreachable + userRowsAgain + lastRows, .lastError = "1"};
        QTest::newRow("hosts unreachable") << Route{.servers = all, .recipient = "a@b.example",
                                                    .tried = unreachable + lastRows};
        QTest::newRow("user rows need the user's address")
            << Route{.servers = {.user = "smtp.home.example"}, .recipient = "a@b.example",
                     .tried = {"b.example" + u, "mail.b.example" + u, "smtp.home.example" + u}};
        QTest::newRow("service domain to the service address")
            << Route{.servers = {.ip = "10.9.8.7:8080"}, .recipient = "friend@torvex.net", .taking = {"10.9.8.7"},
                     .tag = "Test_TORVEX", .tried = {"10.9.8.7" + u}, .lastError = ""};
        QTest::newRow("no @: the domain") << Route{.recipient = "localhost",
                                                   .tried = {"localhost" + u, "mail.localhost" + u}};
        // Not test mode: every row is tried.
        QTest::newRow("refused everywhere")
            << Route{.servers = lastResort, .recipient = "a@b.example",
                     .refusing = {"b.example", "mail.b.example", "last.example.net"}, .tag = "MDN+Failed",
                     .tried = {"b.example" + u, "mail.b.example" + u, "last.example.net" + u}, .lastError = "2"};
    }
    void rowsInOrderEachHostOnce()
    {
        QFETCH(Route, route);
        const auto& [servers, recipient, envelope, taking, refusing, refuseSenders, tag, tried, lastError] = route;
        ctx_.info.gVXDomainName = servers.domain;
        ctx_.info.gVXIPAddress = servers.ip;
        ctx_.info.gUserSMTPServer = servers.user;
        ctx_.info.gSMTPServer2 = servers.second;
        ctx_.info.Normal_EMail_Addr = servers.normal;
        ctx_.info.VX_SMTP_Server = servers.vx;
        ctx_.info.gLastResortSMTPServer = servers.last;
        for (const QString& host : taking)
            conversation_->outcome[host] = SMTP_OK;
        for (const QString& host : refusing)
            conversation_->outcome[host] = SMTP_RecipientRefused;
        conversation_->refuseSenders = refuseSenders;
        smtp_.gSMTPRecipAddr = recipient;
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        QCOMPARE(SendMessageFile(ctx_, smtp_, *conversation_, tag), !taking.isEmpty());
        QStringList pairs;
        QString logged;
        QString state;
        for (const auto& a : conversation_->attempts) {
            pairs << a.server + QLatin1Char('|') + a.sender;
            logged += a.server + QStringLiteral(" + ") + a.sender + QStringLiteral(" , ");
            state += a.server + QStringLiteral(", ");
            QCOMPARE(a.recipient, envelope.isEmpty() ? recipient : envelope);
        }
        QCOMPARE(pairs, tried);
        // The sender of the last row tried stays.
        QCOMPARE(smtp_.gSMTPSenderAddr, tried.last().section(QLatin1Char('|'), 1));
        QCOMPARE(conversation_->inits, 1);
        QCOMPARE(ctx_.gLastError, lastError);
        QCOMPARE(logValue(ctx_, QStringLiteral("Version")), QStringLiteral("TORVEX Print v 0.8.1"));
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Type")), tag + (taking.isEmpty() ? "_NOT_OK" : "_OK"));
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Servers")), logged.left(254));  // what a read gives
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_State")), state);
    }

    // The test message goes to the user's own address: a refusal there ends
    // it at row 1 and clears the server on record; otherwise the rows go on
    // and the server that took it is recorded.
    void testMessageRecordsTheServerThatTookIt_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<qint32>("atDomain");  // the reply of row 1
        QTest::addColumn<QStringList>("tried");
        QTest::addColumn<QString>("testServer");
        QTest::addColumn<QString>("lastError");
        QTest::newRow("own domain refuses") << "nobody@b.example" << qint32(SMTP_RecipientRefused)
                                            << QStringList{"b.example"} << "" << "2";
        QTest::newRow("taken by the last row") << "me@b.example" << qint32(SMTP_TimedOut)
                                               << QStringList{"b.example", "mail.b.example", "last.example.net"}
                                               << "last.example.net" << "";
    }
    void testMessageRecordsTheServerThatTookIt()
    {
        QFETCH(QString, address);
        QFETCH(qint32, atDomain);
        QFETCH(QStringList, tried);
        QFETCH(QString, testServer);
        QFETCH(QString, lastError);
        ctx_.info.Torvex_Addr = address;
        ctx_.info.gLastResortSMTPServer = QStringLiteral("last.example.net");
        conversation_->outcome[QStringLiteral("b.example")] = atDomain;
        conversation_->outcome[QStringLiteral("last.example.net")] = SMTP_OK;
        writeTorvexKey(QStringLiteral("test_server"), QStringLiteral("old.example"));
        TestTorvexSender sender(ctx_, smtp_, *conversation_);
        sender.SendTestTorvex();
        QCOMPARE(conversation_->servers(), tried);
        QCOMPARE(ctx_.gLastError, lastError);
        QCOMPARE(readTorvexKey(QStringLiteral("test_server"), QStringLiteral("absent")), testServer);
        QVERIFY(!smtp_.gTestMode);
        QVERIFY(conversation_->attempts.front().message.startsWith("To: <" + address + ">\r\n"));
        QCOMPARE(conversation_->attempts.back().sender, address);
    }

    // A receipt a server took leaves Out/; its copy is kept with Save_MDNs.
    void sentReceiptLeavesNoFile_data()
    {
        QTest::addColumn<bool>("saveMdns");
        QTest::newRow("no copy") << false;
        QTest::newRow("copy kept") << true;
    }
    void sentReceiptLeavesNoFile()
    {
        QFETCH(bool, saveMdns);
        ctx_.info.Save_MDNs = saveMdns;
        conversation_->outcome[QStringLiteral("b.example")] = SMTP_OK;
        MdnReceiptSender receipts(ctx_, smtp_, *conversation_);
        ReceiptRequest r;
        r.disposition = ReceiptDisposition::Failed;
        r.recipient = QStringLiteral("sender@b.example");
        QVERIFY(receipts.SendMDN(r));
        QVERIFY(QDir(ctx_.folders.out).isEmpty());
        const QStringList kept = QDir(ctx_.folders.mdns).entryList(QDir::Files);
        QCOMPARE(kept.size(), saveMdns ? 1 : 0);
        if (saveMdns)
            QCOMPARE(env_->readFile(ctx_.folders.mdns + kept.front()), conversation_->attempts.front().message.toUtf8() + "\r\n");
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Type")), QStringLiteral("MDN+Failed_OK"));
    }

    // Receipts of one second: each its own file and Message-Id, whether the
    // one before is still waiting, was sent and kept, or is gone.
    void receiptsOfOneSecondKeepTheirOwnNames()
    {
        ReceiptRequest r;
        r.disposition = ReceiptDisposition::Processed;
        r.recipient = QStringLiteral("sender@b.example");
        const QDateTime now(QDate(2024, 3, 5), QTime(14, 7, 9));
        env_->writeFile(ctx_.folders.mdns + QStringLiteral("20240305140710.MDN"), "kept by an earlier run");
        QDateTime lastNamed;
        QStringList names;
        for (const char* subject : {"one", "two", "three"}) {
            r.subject = QString::fromLatin1(subject);
            QString name;
            const QString text = ComposeMDN(ctx_, smtp_, r, now, name, lastNamed);
            QVERIFY(text.contains(QStringLiteral("\r\nMessage-Id: MDN.") + name.chopped(4) + QStringLiteral(".user@torvex.net\r\n")));
            QVERIFY(env_->readFile(ctx_.folders.out + name).contains("RE: " + QByteArray(subject)));
            names << name;
            if (names.size() == 2)
                QVERIFY(QFile::remove(ctx_.folders.out + name));  // sent, no copy kept
        }
        QCOMPARE(names, QStringList({"20240305140709.MDN", "20240305140711.MDN", "20240305140712.MDN"}));
    }

    void flushKeepsWhatNoServerTook()
    {
        env_->writeFile(ctx_.folders.out + QStringLiteral("20240101000000.MDN"),
                        "To:a@b.example\r\nSubject: x\r\n\r\nbody\r\n\r\n.\r\n\r\n");
        MdnReceiptSender receipts(ctx_, smtp_, *conversation_);
        receipts.FlushOutFolder();
        QCOMPARE(conversation_->servers(), QStringList({"b.example", "mail.b.example"}));
        QVERIFY(QFile::exists(ctx_.folders.out + QStringLiteral("20240101000000.MDN")));
        QCOMPARE(ctx_.gLastError, QStringLiteral("6"));
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
    std::unique_ptr<ScriptedConversation> conversation_;  // for the server selection, without the network
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtp_client.moc"
