#include "platform/settings/profile_api.h"
#include "printutil/receipt/mdn_sender.h"
#include "printutil/receipt/out_folder.h"
#include "printutil/run/run_folders.h"
#include "printutil/transport/smtp_server_selection.h"
#include "printutil/receipt/test_message.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace torvex;

namespace {

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

QString logValue(const RunContext& ctx, const QString& key)
{
    return GetPrivateProfileStringA(QStringLiteral("log"), key, QStringLiteral("absent"),
                                    ctx.accountFilePath());
}

}  // namespace

class TestSmtpServerSelection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        ctx_ = RunContext();
        ctx_.programFolder = env_->home();
        ctx_.folders = runFoldersIn(ctx_.programFolder);
        prepareRunFolders(ctx_.folders, true);
        ctx_.info.Torvex_Addr = QStringLiteral("user@torvex.net");
        ctx_.info.gVXDomainName = QStringLiteral("torvex.net");
        ctx_.info.gLastResortSMTPServer.clear();
        ctx_.info.VX_SMTP_Server.clear();
        smtp_ = SmtpContext();
        conversation_ = std::make_unique<ScriptedConversation>(smtp_);
    }
    void cleanup() { env_.reset(); }

    void bareAddressTakesTheAngleBrackets_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-word name") << "Sender <sender@example.org>" << "sender@example.org";
        QTest::newRow("bare") << "sender@example.org" << "sender@example.org";
        QTest::newRow("two-word name") << "Sender Office <sender@127.0.0.1>" << "sender@127.0.0.1";
        QTest::newRow("quoted name with <") << "\"a <b>\" <c@example.org>" << "c@example.org";
        QTest::newRow("brackets only") << "<d@example.org>" << "d@example.org";
        QTest::newRow("unclosed") << "Name <e@example.org" << "e@example.org";
    }
    void bareAddressTakesTheAngleBrackets()
    {
        QFETCH(QString, recipient);
        QFETCH(QString, expected);
        QCOMPARE(bareAddress(recipient), expected);
    }

    void tableRowsAndSkippedRows()
    {
        ctx_.info.gLastResortSMTPServer = QStringLiteral("last.example.net");
        smtp_.gSMTPRecipAddr = QStringLiteral("Far Away <someone@unreachable.example>");
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        QVERIFY(!SendMessageFile(ctx_, smtp_, *conversation_, QStringLiteral("MDN+Processed")));
        // Only rows 1, 2 and 9 have a server; all fail.
        QCOMPARE(conversation_->servers(),
                 QStringList({"unreachable.example", "mail.unreachable.example", "last.example.net"}));
        QCOMPARE(conversation_->attempts.front().recipient, QStringLiteral("someone@unreachable.example"));
        QCOMPARE(conversation_->inits, 1);
        QCOMPARE(ctx_.gLastError, QStringLiteral("6"));
        QCOMPARE(logValue(ctx_, QStringLiteral("Version")), QStringLiteral("TORVEX Print v 0.8.1"));
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Type")), QStringLiteral("MDN+Processed_NOT_OK"));
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Servers")),
                 QStringLiteral("unreachable.example + user@torvex.net , mail.unreachable.example + "
                                "user@torvex.net , last.example.net + user@torvex.net , "));
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_State")),
                 QStringLiteral("unreachable.example, mail.unreachable.example, last.example.net, "));
    }

    // A host named by several rows is tried once, unless it refused only
    // the sender, which a later row gives it another.
    void rowsInOrderEachHostOnce_data()
    {
        QTest::addColumn<bool>("refuseSenders");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("senders refused") << true
                                         << QStringList({"10.1.2.3|user@torvex.net", "mail.b.example|user@torvex.net",
                                                         "smtp.home.example|me@home.example",
                                                         "smtp2.home.example|me@home.example",
                                                         "smtp.home.example|user@torvex.net",
                                                         "smtp2.home.example|user@torvex.net",
                                                         "smtp.torvex.net|user@torvex.net", "torvex.org|user@torvex.net"});
        QTest::newRow("hosts unreachable") << false
                                           << QStringList({"10.1.2.3|user@torvex.net", "mail.b.example|user@torvex.net",
                                                           "smtp.home.example|me@home.example",
                                                           "smtp2.home.example|me@home.example",
                                                           "smtp.torvex.net|user@torvex.net", "torvex.org|user@torvex.net"});
    }
    void rowsInOrderEachHostOnce()
    {
        QFETCH(bool, refuseSenders);
        QFETCH(QStringList, expected);
        conversation_->refuseSenders = refuseSenders;
        // The recipient is at the service: its address is rows 1 and 7.
        ctx_.info.gVXDomainName = QStringLiteral("b.example");
        ctx_.info.Normal_EMail_Addr = QStringLiteral("me@home.example");
        ctx_.info.gUserSMTPServer = QStringLiteral("smtp.home.example");
        ctx_.info.gSMTPServer2 = QStringLiteral("smtp2.home.example");
        ctx_.info.gVXIPAddress = QStringLiteral(" 10.1.2.3:8080 ");  // the web server's port
        ctx_.info.VX_SMTP_Server = QStringLiteral("smtp.torvex.net");
        ctx_.info.gLastResortSMTPServer = QStringLiteral("torvex.org");
        smtp_.gSMTPRecipAddr = QStringLiteral("a@b.example");
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        QVERIFY(!SendMessageFile(ctx_, smtp_, *conversation_, QStringLiteral("T")));
        QStringList pairs;
        for (const auto& a : conversation_->attempts)
            pairs << a.server + QLatin1Char('|') + a.sender;
        QCOMPARE(pairs, expected);
        // The sender of the last row tried stays.
        QCOMPARE(smtp_.gSMTPSenderAddr, QStringLiteral("user@torvex.net"));
    }

    void userRowsNeedTheUsersAddress()
    {
        ctx_.info.gUserSMTPServer = QStringLiteral("smtp.home.example");
        smtp_.gSMTPRecipAddr = QStringLiteral("a@b.example");
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        (void)SendMessageFile(ctx_, smtp_, *conversation_, QStringLiteral("T"));
        QCOMPARE(conversation_->servers(),
                 QStringList({"b.example", "mail.b.example", "smtp.home.example"}));
        QCOMPARE(conversation_->attempts.back().sender, QStringLiteral("user@torvex.net"));
    }

    void serviceDomainGoesToTheServiceAddress()
    {
        ctx_.info.gVXIPAddress = QStringLiteral("10.9.8.7:8080");
        conversation_->outcome[QStringLiteral("10.9.8.7")] = SMTP_OK;
        smtp_.gSMTPRecipAddr = QStringLiteral("friend@torvex.net");
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        QVERIFY(SendMessageFile(ctx_, smtp_, *conversation_, QStringLiteral("Test_TORVEX")));
        QCOMPARE(conversation_->servers(), QStringList({"10.9.8.7"}));
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Type")), QStringLiteral("Test_TORVEX_OK"));
        QCOMPARE(ctx_.gLastError, QString());
    }

    void recipientWithoutAtIsTheDomain()
    {
        smtp_.gSMTPRecipAddr = QStringLiteral("localhost");
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        (void)SendMessageFile(ctx_, smtp_, *conversation_, QStringLiteral("T"));
        QCOMPARE(conversation_->servers(), QStringList({"localhost", "mail.localhost"}));
    }

    void refusedEverywhereGivesTwo()
    {
        ctx_.info.gLastResortSMTPServer = QStringLiteral("last.example.net");
        for (const char* s : {"b.example", "mail.b.example", "last.example.net"})
            conversation_->outcome[QString::fromLatin1(s)] = SMTP_RecipientRefused;
        smtp_.gSMTPRecipAddr = QStringLiteral("a@b.example");
        smtp_.gSMTPSenderAddr = QStringLiteral("user@torvex.net");
        QVERIFY(!SendMessageFile(ctx_, smtp_, *conversation_, QStringLiteral("MDN+Failed")));
        QCOMPARE(conversation_->servers().size(), 3);  // not test mode: every row is tried
        QCOMPARE(ctx_.gLastError, QStringLiteral("2"));
    }

    void testMessageStopsWhenTheOwnDomainRefuses()
    {
        ctx_.info.Torvex_Addr = QStringLiteral("nobody@b.example");
        ctx_.info.gLastResortSMTPServer = QStringLiteral("last.example.net");
        conversation_->outcome[QStringLiteral("b.example")] = SMTP_RecipientRefused;
        conversation_->outcome[QStringLiteral("last.example.net")] = SMTP_OK;
        writeTorvexKey(QStringLiteral("test_server"), QStringLiteral("old.example"));
        TestTorvexSender sender(ctx_, smtp_, *conversation_);
        sender.SendTestTorvex();
        QCOMPARE(conversation_->servers(), QStringList({"b.example"}));
        QCOMPARE(ctx_.gLastError, QStringLiteral("2"));
        QCOMPARE(readTorvexKey(QStringLiteral("test_server"), QStringLiteral("absent")), QString());
        QVERIFY(!smtp_.gTestMode);
        QVERIFY(conversation_->attempts.front().message.startsWith(QStringLiteral("To: <nobody@b.example>\r\n")));
    }

    void testMessageRecordsTheServerThatTookIt()
    {
        ctx_.info.Torvex_Addr = QStringLiteral("me@b.example");
        ctx_.info.gLastResortSMTPServer = QStringLiteral("last.example.net");
        conversation_->outcome[QStringLiteral("b.example")] = SMTP_TimedOut;
        conversation_->outcome[QStringLiteral("last.example.net")] = SMTP_OK;
        TestTorvexSender sender(ctx_, smtp_, *conversation_);
        sender.SendTestTorvex();
        QCOMPARE(conversation_->servers(),
                 QStringList({"b.example", "mail.b.example", "last.example.net"}));
        QCOMPARE(readTorvexKey(QStringLiteral("test_server")), QStringLiteral("last.example.net"));
        QCOMPARE(conversation_->attempts.back().sender, QStringLiteral("me@b.example"));
    }

    void receiptStaysInOutUntilAServerTakesIt()
    {
        ctx_.info.Save_MDNs = true;
        MdnReceiptSender receipts(ctx_, smtp_, *conversation_);
        ReceiptRequest r;
        r.disposition = ReceiptDisposition::Processed;
        r.recipient = QStringLiteral("Sender Office <sender@b.example>");
        r.subject = QStringLiteral("Figures");
        QVERIFY(!receipts.SendMDN(r));
        QCOMPARE(smtp_.gSMTPSenderAddr, QStringLiteral("user@torvex.net"));  // defaulted
        const QStringList waiting = QDir(ctx_.folders.out).entryList(QDir::Files);
        QCOMPARE(waiting.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{14}\\.MDN$")).match(waiting.front()).hasMatch());
        const QByteArray stored = env_->readFile(ctx_.folders.out + waiting.front());
        QVERIFY(stored.startsWith("To:Sender Office <sender@b.example>\r\nFrom:user@torvex.net\r\n"));
        QVERIFY(stored.endsWith("--\r\n\r\n.\r\n\r\n"));
        QCOMPARE(conversation_->attempts.front().recipient, QStringLiteral("sender@b.example"));
        QCOMPARE(mailBytesOf(conversation_->attempts.front().message) + "\r\n", stored);
        QVERIFY(QDir(ctx_.folders.mdns).isEmpty());

        // The next pass sends it, keeps a copy and empties the out folder.
        conversation_->attempts.clear();
        conversation_->outcome[QStringLiteral("b.example")] = SMTP_OK;
        smtp_ = SmtpContext();  // a new run: no sender set yet
        receipts.FlushOutFolder();
        QCOMPARE(conversation_->servers(), QStringList({"b.example"}));
        QCOMPARE(conversation_->attempts.front().recipient, QStringLiteral("sender@b.example"));
        QCOMPARE(conversation_->attempts.front().sender, QStringLiteral("user@torvex.net"));
        // The message goes out as composed: the stored line end after the
        // end-of-data line is not sent.
        QCOMPARE(mailBytesOf(conversation_->attempts.front().message) + "\r\n", stored);
        QCOMPARE(logValue(ctx_, QStringLiteral("SMTP_Type")), QStringLiteral("MDN+_OK"));
        QVERIFY(QDir(ctx_.folders.out).isEmpty());
        QCOMPARE(env_->readFile(ctx_.folders.mdns + waiting.front()), stored);
    }

    void sentReceiptLeavesNoFile()
    {
        conversation_->outcome[QStringLiteral("b.example")] = SMTP_OK;
        MdnReceiptSender receipts(ctx_, smtp_, *conversation_);
        ReceiptRequest r;
        r.disposition = ReceiptDisposition::Failed;
        r.recipient = QStringLiteral("sender@b.example");
        QVERIFY(receipts.SendMDN(r));
        QVERIFY(QDir(ctx_.folders.out).isEmpty());
        QVERIFY(QDir(ctx_.folders.mdns).isEmpty());  // Save_MDNs is off
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
    static QByteArray mailBytesOf(const QString& text) { return text.toUtf8(); }

    std::unique_ptr<test::TestEnv> env_;
    RunContext ctx_;
    SmtpContext smtp_;
    std::unique_ptr<ScriptedConversation> conversation_;
};

QTEST_GUILESS_MAIN(TestSmtpServerSelection)
#include "tst_smtp_server_selection.moc"
