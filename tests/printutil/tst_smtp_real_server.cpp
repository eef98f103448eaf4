#include "common/telvane_info.h"
#include "platform/profile_api.h"
#include "printutil/mdn_sender.h"
#include "printutil/run_folders.h"
#include "printutil/smtp_client.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;
using test::SmtpTestServer;

namespace {

// A received TORVEX whose header carries what a careless sender (or an
// attacker) can put there: lines starting with ".", a lone "." line with
// SMTP commands after it, and values holding line ends.
ReceiptRequest hostileRequest()
{
    ReceiptRequest r;
    r.disposition = QStringLiteral("Processed");
    r.fullMode = true;
    r.recipient = QStringLiteral("Sender Office <sender@127.0.0.1>");
    r.subject = QStringLiteral("Figures\r\nBcc: victim@example.org");
    r.sentDate = QStringLiteral("Tue, 5 Mar 2024 10:00:00 +0100");
    r.receivedId = QStringLiteral("<id@example.org>\r\n.\r\nRCPT TO:<victim@example.org>");
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
        qputenv("TORVEX_TIME_SCALE", "600");
    }

    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        server_ = std::make_unique<SmtpTestServer>();
        QVERIFY(server_->start());
        qputenv("TORVEX_SMTP_PORT", QByteArray::number(server_->port()));
        ctx_ = RunContext();
        ctx_.programFolder = env_->home();
        ctx_.folders = runFoldersIn(ctx_.programFolder);
        prepareRunFolders(ctx_.folders, true);
        ctx_.info.Torvex_Addr = QStringLiteral("user@127.0.0.1");
        ctx_.info.gTimoutMinutes = 2;
        ctx_.info.Save_MDNs = true;
        smtp_ = SmtpContext();
        client_ = std::make_unique<SmtpClient>(ctx_, smtp_);
    }
    void cleanup()
    {
        client_.reset();
        server_.reset();
        env_.reset();
    }

    void receiptArrivesAsComposed()
    {
        MdnReceiptSender receipts(ctx_, smtp_, *client_);
        QVERIFY(receipts.SendMDN(hostileRequest()));
        const QList<SmtpTestServer::Delivery> delivered = server_->deliveries();
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(delivered.front().rcptTo, QStringList({"sender@127.0.0.1"}));
        QCOMPARE(delivered.front().mailFrom, QStringLiteral("user@127.0.0.1"));
        // Everything composed arrives, up to the end-of-data line.
        const QByteArray composed = smtp_.gSMTPMessage.toUtf8();
        QVERIFY(composed.endsWith("\r\n\r\n.\r\n"));
        QCOMPARE(delivered.front().content, composed.chopped(3));
        QVERIFY(delivered.front().content.contains(
            "\r\n.hidden\r\n.\r\nMAIL FROM:<x@example.org>\r\nRCPT TO:<victim@example.org>\r\n"));
        QVERIFY(delivered.front().content.contains(
            "\r\nSubject: RE: Figures Bcc: victim@example.org : TORVEX confirmation.\r\n"));
        QVERIFY(delivered.front().content.contains(
            "\r\nOriginal-Message-ID: <id@example.org> . RCPT TO:<victim@example.org>\r\n"));
        QVERIFY(!delivered.front().content.contains("\nBcc:"));
        // One envelope, no command smuggled in.
        QCOMPARE(server_->commands(),
                 QStringList({"HELO 127.0.0.1", "MAIL FROM: <user@127.0.0.1>",
                              "RCPT TO: <sender@127.0.0.1>", "DATA", "QUIT"}));
        QVERIFY(QDir(ctx_.folders.out).isEmpty());
        QCOMPARE(QDir(ctx_.folders.mdns).entryList(QDir::Files).size(), 1);
    }

    void receiptLeftInOutGoesOutWithTheNextFlush()
    {
        server_->stop();
        MdnReceiptSender receipts(ctx_, smtp_, *client_);
        QVERIFY(!receipts.SendMDN(hostileRequest()));
        const QStringList waiting = QDir(ctx_.folders.out).entryList(QDir::Files);
        QCOMPARE(waiting.size(), 1);
        const QByteArray stored = env_->readFile(ctx_.folders.out + waiting.front());
        // Row 1 (127.0.0.1) refused the connection, row 2 ("mail.127.0.0.1") has no address.
        QCOMPARE(ctx_.gLastError, QStringLiteral("5"));
        QVERIFY(QDir(ctx_.folders.mdns).isEmpty());

        // The next run: the server is back on the same port.
        QVERIFY(server_->start(QStringLiteral("127.0.0.1"), quint16(qEnvironmentVariableIntValue("TORVEX_SMTP_PORT"))));
        SmtpContext nextRun;
        SmtpClient nextClient(ctx_, nextRun);
        MdnReceiptSender nextReceipts(ctx_, nextRun, nextClient);
        nextReceipts.FlushOutFolder();
        const QList<SmtpTestServer::Delivery> delivered = server_->deliveries();
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(delivered.front().rcptTo, QStringList({"sender@127.0.0.1"}));
        QCOMPARE(delivered.front().mailFrom, QStringLiteral("user@127.0.0.1"));
        // The stored file is the composed text and a line end.
        QCOMPARE(delivered.front().content, stored.chopped(5));
        QVERIFY(QDir(ctx_.folders.out).isEmpty());
        QCOMPARE(env_->readFile(ctx_.folders.mdns + waiting.front()), stored);
        QCOMPARE(server_->commands().filter(QStringLiteral("MAIL FROM")).size(), 1);
    }

    void testMessageRun()
    {
        env_->writeFile(env_->iniPath(), "[TORVEX]\nTorvex_Addr=user@127.0.0.1\nVX_SMTP_Server=\n"
                                         "Last_Resort_SMTP_Server=\ntest_server=old\n");
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/2")});
        QVERIFY(run.finished);
        QCOMPARE(readTorvexKey(QStringLiteral("test_server")), QStringLiteral("127.0.0.1"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
        const QList<SmtpTestServer::Delivery> delivered = server_->deliveries();
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(delivered.front().rcptTo, QStringList({"user@127.0.0.1"}));
        const QByteArray& text = delivered.front().content;
        QVERIFY(text.startsWith("To: <user@127.0.0.1>\r\nMessage-Id: <VXTEST."));
        QVERIFY(text.contains("\r\nSubject: Test TORVEX\r\n\r\n>>>-------This PERFECTLY TORVEX is printed"));
        QVERIFY(text.contains("\r\n             WELCOME TO THE WONDERFULL WORLD OF TORVEX\r\n"));
        QVERIFY(text.endsWith("WWW.TORVEX.NET----------<<<\r\n\r\n\r\n\r\n"));
        const QString account = env_->path(QStringLiteral("account.ini"));
        QCOMPARE(GetPrivateProfileStringA(QStringLiteral("log"), QStringLiteral("SMTP_Type"), QString(), account),
                 QStringLiteral("Test_TORVEX_OK"));
        QCOMPARE(GetPrivateProfileStringA(QStringLiteral("log"), QStringLiteral("SMTP_Servers"), QString(), account),
                 QStringLiteral("127.0.0.1 + user@127.0.0.1 , "));
    }

    void testMessageToAnUnknownAddress()
    {
        server_->stop();
        QVERIFY(server_->start(QStringLiteral("127.0.0.1"), server_->port(), {QStringLiteral("user@127.0.0.1")}));
        // Another server would take it, but the own domain's refusal ends the test.
        env_->writeFile(env_->iniPath(), "[TORVEX]\nTorvex_Addr=user@127.0.0.1\nVX_SMTP_Server=\n"
                                         "Last_Resort_SMTP_Server=127.0.0.1\ntest_server=old\n");
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/2")});
        QVERIFY(run.finished);
        QCOMPARE(readTorvexKey(QStringLiteral("test_server"), QStringLiteral("absent")), QString());
        QCOMPARE(readTorvexKey(QStringLiteral("last_error")), QStringLiteral("2"));
        QVERIFY(server_->deliveries().isEmpty());
        QCOMPARE(server_->commands(),
                 QStringList({"HELO 127.0.0.1", "MAIL FROM: <user@127.0.0.1>", "RCPT TO: <user@127.0.0.1>", "QUIT"}));
        QCOMPARE(GetPrivateProfileStringA(QStringLiteral("log"), QStringLiteral("SMTP_Type"), QString(),
                                          env_->path(QStringLiteral("account.ini"))),
                 QStringLiteral("Test_TORVEX_NOT_OK"));
    }

private:
    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<SmtpTestServer> server_;
    RunContext ctx_;
    SmtpContext smtp_;
    std::unique_ptr<SmtpClient> client_;
};

QTEST_GUILESS_MAIN(TestSmtpRealServer)
#include "tst_smtp_real_server.moc"
