#include "common/telvane_info.h"
#include "tests/support/loopback_mail.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;
using test::DovecotServer;
using test::SmtpTestServer;

namespace {

// A plain-text TORVEX whose header and body hold lines a careless sender
// (or an attacker) writes: lines starting with ".", a lone "." line and SMTP
// commands after it. The receipt quotes the header.
QByteArray hostileTorvex(const QByteArray& subject)
{
    return "From: Sender Office <sender@127.0.0.1>\r\n"
           "To: torvex@127.0.0.1\r\n"
           "Subject: " + subject + "\r\n"
           "Date: Tue, 5 Mar 2024 10:00:00 +0100\r\n"
           "Message-Id: <" + subject + "@127.0.0.1>\r\n"
           "Disposition-Notification-To: Sender Office <sender@127.0.0.1>\r\n"
           "X-Trace: the next lines are the sender's\r\n"
           ".hidden-header\r\n"
           ".\r\n"
           "MAIL FROM:<x@example.org>\r\n"
           "\r\n"
           "Above the dot line.\r\n"
           ".hidden\r\n"
           ".\r\n"
           "MAIL FROM:<x@example.org>\r\n"
           "Below the dot line.\r\n";
}

}  // namespace

class TestMailRoundTrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString missing = test::missingMailServers(false); !missing.isEmpty())
            QSKIP(qPrintable(missing));
    }

    void init()
    {
        qputenv("TORVEX_TIME_SCALE", "600");
        env_ = std::make_unique<test::TestEnv>();
        pop_ = std::make_unique<DovecotServer>();
        QVERIFY(QDir().mkpath(env_->path(QStringLiteral("profiles/TORVEX"))));
        env_->writeFile(env_->iniPath(), "[TORVEX]\nTorvex_Addr=torvex@127.0.0.1\nPassword=secret\n"
                                         "Torvex_Profile=TORVEX\nPrinter_Type=TORVEX PDF\nwake_probes=0\n"
                                         "Confirm_Receipt=y\nVX_SMTP_Server=\nLast_Resort_SMTP_Server=\n");
    }
    void cleanup()
    {
        smtp_.reset();
        pop_.reset();
        env_.reset();
    }

    void testMessageIsFetchedBackAndPrinted()
    {
        // The SMTP server delivers into the mailbox Dovecot serves.
        startPop();
        startSmtp(pop_->maildir());
        QVERIFY(run(QStringLiteral("/2")));
        QCOMPARE(readTorvexKey(QStringLiteral("test_server")), QStringLiteral("127.0.0.1"));
        QCOMPARE(pop_->messages().size(), 1);
        pop_->adoptMaildir();

        QVERIFY(run(QStringLiteral("/0")));
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,0,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        QVERIFY(test::printedText(env_->path(QStringLiteral("Printouts"))).contains(QStringLiteral("WELCOME TO THE WONDERFULL WORLD OF TORVEX")));
        QVERIFY(pop_->messages().isEmpty());
    }

    // In the clear, and from a mailbox that takes log-ons over TLS only
    // (POP3S) with the receipt through the user's own submission server,
    // which wants STARTTLS and a log-on.
    void receiptOfAFetchedTorvexKeepsEveryLine_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::newRow("plain") << false;
        QTest::newRow("TLS only") << true;
    }
    void receiptOfAFetchedTorvexKeepsEveryLine()
    {
        QFETCH(bool, tls);
        static const test::TestCertificates certificates;
        if (tls) {
            QVERIFY2(certificates.ok(), "openssl could not make the test certificates");
            // TLS handshakes with a Python server on a loaded machine: ticks of 1 s.
            qputenv("TORVEX_TIME_SCALE", "60");
            pop_->useTls(certificates.server().cert, certificates.server().key);
            SmtpTestServer::Options options;
            options.tlsCert = certificates.server().cert;
            options.tlsKey = certificates.server().key;
            options.requireTls = true;
            options.auth = QStringLiteral("fax user:pass word");
            startPop();
            smtp_ = std::make_unique<SmtpTestServer>();
            QVERIFY(smtp_->start(QStringLiteral("127.0.0.1"), 0, options));
            // The recipient's own servers are not there.
            qputenv("TORVEX_SMTP_PORT", "1");
            const std::pair<const char*, QString> keys[] = {
                {"POP3_Security", QStringLiteral("tls")},
                {"POP3_Port", QString::number(pop_->tlsPort())},
                {"Trusted_Certificate_File", certificates.caFile()},
                {"Normal_EMail_Addr", QStringLiteral("me@home.example")},
                {"User_SMTP_Server", QStringLiteral("127.0.0.1")},
                {"User_SMTP_Security", QStringLiteral("starttls-required")},
                {"User_SMTP_Port", QString::number(smtp_->port())},
                {"User_SMTP_User", QStringLiteral("fax user")},
                {"User_SMTP_Password", QStringLiteral("pass word")}};
            for (const auto& [key, value] : keys)
                writeTorvexKey(QString::fromLatin1(key), value);
        } else {
            startPop();
            startSmtp();
        }
        pop_->deliver(hostileTorvex("figures"));
        QVERIFY(run(QStringLiteral("/0")));
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,0,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        if (tls) {
            QVERIFY2(pop_->log().contains(QStringLiteral(", TLS")), qPrintable(pop_->log()));
            QCOMPARE(smtp_->logOns(), QStringList{QStringLiteral("PLAIN fax user ok tls")});
        }

        // Printed with one dot, the sender's "." line and what is above it kept.
        const QString printed = test::printedText(env_->path(QStringLiteral("Printouts")));
        QVERIFY2(printed.contains(QStringLiteral("Above the dot line.")), qPrintable(printed));
        QVERIFY(printed.contains(QStringLiteral(".hidden")));
        QVERIFY(!printed.contains(QStringLiteral("..hidden")));

        const QList<SmtpTestServer::Delivery> delivered = smtp_->deliveries();
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(delivered.front().rcptTo, QStringList({"sender@127.0.0.1"}));
        const QByteArray& receipt = delivered.front().content;
        QVERIFY(receipt.startsWith("To:Sender Office <sender@127.0.0.1>\r\nFrom:torvex@127.0.0.1\r\n"));
        // The decoder's subject carries the sender after " From: ".
        QVERIFY(receipt.contains("\r\nSubject: RE: figures From: "));
        QVERIFY2(receipt.contains("X-Trace: the next lines are the sender's\r\n.hidden-header\r\n.\r\n"
                                  "MAIL FROM:<x@example.org>\r\n"),
                 receipt.constData());
        QVERIFY(receipt.endsWith("--\r\n\r\n"));
        QCOMPARE(smtp_->commands().filter(QStringLiteral("MAIL FROM")).size(), 1);
        QCOMPARE(smtp_->commands().filter(QStringLiteral("RCPT TO")), QStringList({"RCPT TO: <sender@127.0.0.1>"}));
        QVERIFY(QDir(env_->path(QStringLiteral("Out"))).isEmpty());
    }

    void receiptNoServerTookIsSentByTheNextRunFirst()
    {
        startPop();
        startSmtp();
        const quint16 smtpPort = smtp_->port();
        smtp_->stop();
        pop_->deliver(hostileTorvex("first"));
        QVERIFY(run(QStringLiteral("/0")));
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,0,0,0"));
        const QStringList waiting = QDir(env_->path(QStringLiteral("Out"))).entryList(QDir::Files);
        QCOMPARE(waiting.size(), 1);
        QVERIFY(!readTorvexKey(QStringLiteral("last_error")).isEmpty());

        QVERIFY(smtp_->start(QStringLiteral("127.0.0.1"), smtpPort));
        pop_->deliver(hostileTorvex("second"));
        QDir(env_->path(QStringLiteral("Printouts"))).removeRecursively();
        QVERIFY(run(QStringLiteral("/0")));
        QVERIFY(QDir(env_->path(QStringLiteral("Out"))).isEmpty());
        const QList<SmtpTestServer::Delivery> delivered = smtp_->deliveries();
        QCOMPARE(delivered.size(), 2);
        QVERIFY(delivered[0].content.contains("\r\nSubject: RE: first From: "));
        QVERIFY(delivered[1].content.contains("\r\nSubject: RE: second From: "));
        // The waiting receipt went out before this run printed anything.
        const QDateTime sent = QFileInfo(smtp_->maildir() + QStringLiteral("/new/") + deliveredName(0)).lastModified();
        const QFileInfoList printouts = QDir(env_->path(QStringLiteral("Printouts"))).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
        QVERIFY(!printouts.isEmpty());
        QVERIFY(sent <= printouts.front().lastModified());
    }

private:
    void startPop() { QVERIFY(test::startMailbox(*pop_)); }
    void startSmtp(const QString& maildir = QString())
    {
        smtp_ = std::make_unique<SmtpTestServer>(maildir);
        QVERIFY(test::startReceiptServer(*smtp_));
    }

    bool run(const QString& kind)
    {
        const test::ProcessResult result = test::runProgram(QStringLiteral("vxprintu"), {kind}, 120000);
        return result.finished && result.exitCode == 0
            && readTorvexKey(QStringLiteral("VXPrint")) == QLatin1String("quit");
    }

    // The file the server stored delivery i in.
    QString deliveredName(int i) const
    {
        QDir dir(smtp_->maildir() + QStringLiteral("/new"));
        const QStringList names = dir.entryList(QDir::Files, QDir::Time | QDir::Reversed);
        return names.value(i);
    }

    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<DovecotServer> pop_;
    std::unique_ptr<SmtpTestServer> smtp_;
};

QTEST_GUILESS_MAIN(TestMailRoundTrip)
#include "tst_mail_round_trip.moc"
