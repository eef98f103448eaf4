#include "platform/settings/profile_api.h"
#include "printutil/receipt/mdn_sender.h"
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

// The rows' servers and the service's settings, as a test gives them.
struct Servers {
    QString domain = QStringLiteral("torvex.net");  // gVXDomainName
    QString ip;                                     // gVXIPAddress
    QString user;                                   // gUserSMTPServer
    QString second;                                 // gSMTPServer2
    QString normal;                                 // Normal_EMail_Addr
    QString vx;                                     // VX_SMTP_Server
    QString last;                                   // gLastResortSMTPServer

    [[nodiscard]] Servers with(QString Servers::*field, const QString& value) const
    {
        Servers changed = *this;
        changed.*field = value;
        return changed;
    }
};

QString logValue(const RunContext& ctx, const QString& key)
{
    return GetPrivateProfileStringA(QStringLiteral("log"), key, QStringLiteral("absent"),
                                    ctx.accountFilePath());
}

}  // namespace

Q_DECLARE_METATYPE(Servers)

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

    // The rows in order, each host once unless it refused only the sender,
    // which a later row gives it another; rows without a server or a
    // sender are skipped. The log names the rows tried and their outcome.
    void rowsInOrderEachHostOnce_data()
    {
        QTest::addColumn<Servers>("servers");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("envelope");  // the recipient as sent
        QTest::addColumn<QStringList>("taking");
        QTest::addColumn<QStringList>("refusing");
        QTest::addColumn<bool>("refuseSenders");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QStringList>("tried");  // server|sender
        QTest::addColumn<QString>("lastError");
        const QString u = QStringLiteral("|user@torvex.net");
        const QString me = QStringLiteral("|me@home.example");
        // The recipient is at the service: its address is rows 1 and 7.
        const Servers all{QStringLiteral("b.example"), QStringLiteral(" 10.1.2.3:8080 "),
                          QStringLiteral("smtp.home.example"), QStringLiteral("smtp2.home.example"),
                          QStringLiteral("me@home.example"), QStringLiteral("smtp.torvex.net"),
                          QStringLiteral("torvex.org")};
        const QStringList unreachable{"10.1.2.3" + u, "mail.b.example" + u, "smtp.home.example" + me,
                                      "smtp2.home.example" + me};
        const QStringList lastRows{"smtp.torvex.net" + u, "torvex.org" + u};
        const Servers lastResort = Servers().with(&Servers::last, QStringLiteral("last.example.net"));
        const QStringList none;
        QTest::newRow("none reached") << lastResort << "Far Away <someone@unreachable.example>"
                                      << "someone@unreachable.example" << none << none << false << "MDN+Processed"
                                      << QStringList{"unreachable.example" + u, "mail.unreachable.example" + u,
                                                     "last.example.net" + u}
                                      << "6";
        const QStringList userRowsAgain{"smtp.home.example" + u, "smtp2.home.example" + u};
        QTest::newRow("senders refused") << all << "a@b.example" << "a@b.example" << none << none << true << "T"
                                         << unreachable + userRowsAgain + lastRows << "1";
        QTest::newRow("hosts unreachable") << all << "a@b.example" << "a@b.example" << none << none << false << "T"
                                           << unreachable + lastRows << "6";
        QTest::newRow("user rows need the user's address")
            << Servers().with(&Servers::user, QStringLiteral("smtp.home.example")) << "a@b.example" << "a@b.example"
            << none << none << false << "T"
            << QStringList{"b.example" + u, "mail.b.example" + u, "smtp.home.example" + u} << "6";
        QTest::newRow("service domain to the service address")
            << Servers().with(&Servers::ip, QStringLiteral("10.9.8.7:8080")) << "friend@torvex.net"
            << "friend@torvex.net" << QStringList{"10.9.8.7"} << none << false << "Test_TORVEX"
            << QStringList{"10.9.8.7" + u} << "";
        QTest::newRow("no @: the domain") << Servers() << "localhost" << "localhost" << none << none << false << "T"
                                          << QStringList{"localhost" + u, "mail.localhost" + u} << "6";
        // Not test mode: every row is tried.
        QTest::newRow("refused everywhere")
            << lastResort << "a@b.example" << "a@b.example" << none
            << QStringList{"b.example", "mail.b.example", "last.example.net"} << false << "MDN+Failed"
            << QStringList{"b.example" + u, "mail.b.example" + u, "last.example.net" + u} << "2";
    }
    void rowsInOrderEachHostOnce()
    {
        QFETCH(Servers, servers);
        QFETCH(QString, recipient);
        QFETCH(QString, envelope);
        QFETCH(QStringList, taking);
        QFETCH(QStringList, refusing);
        QFETCH(bool, refuseSenders);
        QFETCH(QString, tag);
        QFETCH(QStringList, tried);
        QFETCH(QString, lastError);
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
            QCOMPARE(a.recipient, envelope);
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
    std::unique_ptr<test::TestEnv> env_;
    RunContext ctx_;
    SmtpContext smtp_;
    std::unique_ptr<ScriptedConversation> conversation_;
};

QTEST_GUILESS_MAIN(TestSmtpServerSelection)
#include "tst_smtp_server_selection.moc"
