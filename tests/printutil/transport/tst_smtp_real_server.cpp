#include "common/telvane_info.h"
#include "platform/settings/profile_api.h"
#include "printutil/receipt/mdn_sender.h"
#include "printutil/run/run_folders.h"
#include "printutil/transport/smtp_client.h"
#include "tests/support/recording_relay.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_env.h"

#include <QtTest>

#include <memory>

using namespace torvex;
using test::SmtpTestServer;

namespace {

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

class TestSmtpRealServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!SmtpTestServer::available())
            QSKIP("python3-aiosmtpd is not installed");
        QVERIFY2(certificates_.ok(), "openssl could not make the test certificates");
    }

    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        ctx_ = RunContext();
        ctx_.programFolder = env_->home();
        ctx_.folders = runFoldersIn(ctx_.programFolder);
        prepareRunFolders(ctx_.folders, true);
        ctx_.info.Torvex_Addr = QStringLiteral("user@127.0.0.1");
        ctx_.info.gTimoutMinutes = 2;
        smtp_ = SmtpContext();
        client_ = std::make_unique<SmtpClient>(ctx_, smtp_);
    }
    void cleanup()
    {
        client_.reset();
        env_.reset();
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
        // TLS handshakes with a Python server on a loaded machine: a wait of
        // 2 s, not 200 ms.
        qputenv("TORVEX_TIME_SCALE", "60");

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
    test::TestCertificates certificates_;
    std::unique_ptr<test::TestEnv> env_;
    RunContext ctx_;
    SmtpContext smtp_;
    std::unique_ptr<SmtpClient> client_;
};

QTEST_GUILESS_MAIN(TestSmtpRealServer)
#include "tst_smtp_real_server.moc"
