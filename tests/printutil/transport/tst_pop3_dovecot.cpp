#include "pop3_test_support.h"

#include "common/telvane_info.h"
#include "printutil/transport/pop3_client.h"
#include "printutil/transport/pop3_uidl_record.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/test_certificates.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;

namespace {

const QByteArray kDotted = "From: Sender Office <sender@example.org>\r\n"
                           "Subject: dots\r\n"
                           "\r\n"
                           "above\r\n"
                           ".hidden\r\n"
                           ".\r\n"
                           "MAIL FROM:<x@example.org>\r\n";

}  // namespace

// The fetch against Debian's Dovecot on loopback, the server users meet.
class TestPop3Dovecot : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!test::DovecotServer::available())
            QSKIP("dovecot is not installed (tools/debian-packages.txt lists dovecot-pop3d)");
    }
    void init()
    {
        qputenv("TORVEX_TIME_SCALE", "30");  // a tick of 2 s
        env_ = std::make_unique<test::TestEnv>();
        dovecot_ = std::make_unique<test::DovecotServer>();
    }
    void cleanup()
    {
        dovecot_.reset();
        env_.reset();
    }

    // In the clear, and from a mailbox that takes log-ons over TLS only:
    // STLS on the plain port and POP3S, the certificate checked against
    // the test CA.
    void fetchesEveryMessageAndEmptiesTheMailbox_data()
    {
        QTest::addColumn<QString>("security");
        QTest::newRow("plain") << QStringLiteral("none");
        QTest::newRow("STLS") << QStringLiteral("starttls");
        QTest::newRow("POP3S") << QStringLiteral("tls");
    }
    void fetchesEveryMessageAndEmptiesTheMailbox()
    {
        QFETCH(QString, security);
        const test::TestCertificates& certificates = certificates_;
        const bool tls = security != QLatin1String("none");
        if (tls) {
            QVERIFY2(certificates.ok(), "openssl could not make the test certificates");
            dovecot_->useTls(certificates.server().cert, certificates.server().key);
        }
        QVERIFY2(dovecot_->start(), qPrintable(dovecot_->log()));
        dovecot_->deliver(kDotted);
        dovecot_->deliver(kDotted);
        RunContext ctx = context(dovecot_->password());
        ctx.info.POP3_Security = security;
        ctx.info.Trusted_Certificate_File = certificates.caFile();
        if (security == QLatin1String("tls"))
            ctx.info.POP3_Port = QString::number(dovecot_->tlsPort());
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QVERIFY2(client.gPOP_Error() == MailError::None || client.gPOP_Error() == MailError::Disconnected,
                 qPrintable(dovecot_->log()));
        QVERIFY2(ctx.gLastError.isEmpty(), qPrintable(dovecot_->log()));
        QCOMPARE(client.numberOfMessages(), 2);
        QCOMPARE(client.lengthOfMessages(), 2 * kDotted.size());
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral("Downloading 2 TORVEXes"));
        QTRY_VERIFY(dovecot_->messages().isEmpty());
        // Dovecot takes no log-on in the clear here: this one was encrypted.
        if (tls)
            QVERIFY2(dovecot_->log().contains(QStringLiteral(", TLS")), qPrintable(dovecot_->log()));

        // Stored with every line as the sender wrote it, nothing half-written
        // left, and what QUIT deleted no longer on record.
        QCOMPARE(QDir(env_->path(QStringLiteral("In"))).entryList(QDir::Files),
                 QStringList({QStringLiteral("1.TXT"), QStringLiteral("2.TXT")}));
        QCOMPARE(env_->readFile(uidlRecordPathFor(ctx.folders.in)).count('\n'), 1);
        const QByteArray first = env_->readFile(QStringLiteral("In/1.TXT"));
        QCOMPARE(first, "+OK " + QByteArray::number(kDotted.size()) + " octets\r\n" + kDotted + ".\r\n");

        test::CollectingInbox inbox;
        client.ProcessPOPFiles(inbox);
        QCOMPARE(inbox.messages.size(), size_t(2));
        for (const NewInboxMessage& dotted : inbox.messages) {
            QCOMPARE(dotted.subject, QStringLiteral("dots From: Sender Office <sender@example.org>"));
            QVERIFY(dotted.text.contains(QStringLiteral("\r\nabove\r\n.hidden\r\n.\r\nMAIL FROM:<x@example.org>\r\n.\r\n")));
        }
        QVERIFY(QDir(env_->path(QStringLiteral("In"))).isEmpty());

        Pop3Client again(ctx);
        again.CHECKMAIL_Click();
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral("No new TORVEXes"));
        QVERIFY(QDir(env_->path(QStringLiteral("In"))).isEmpty());
        QVERIFY(ctx.gLastError.isEmpty());
        // Each session ended with QUIT: two retrieved and deleted, then none.
        QTRY_COMPARE(dovecot_->log().count(QStringLiteral("Disconnected: Logged out")), 2);
        QVERIFY2(dovecot_->log().contains(QStringLiteral("retr=2/")) && dovecot_->log().contains(QStringLiteral("del=2/2")),
                 qPrintable(dovecot_->log()));
        QVERIFY(dovecot_->log().contains(QStringLiteral("retr=0/0, del=0/0")));
    }

    // A mailbox whose certificate has expired: the fetch ends with the
    // reason before the log-on, and the message stays.
    void expiredCertificateEndsTheFetch()
    {
        QVERIFY2(certificates_.ok(), "openssl could not make the test certificates");
        dovecot_->useTls(certificates_.pair(QStringLiteral("expired")).cert, certificates_.pair(QStringLiteral("expired")).key);
        QVERIFY2(dovecot_->start(), qPrintable(dovecot_->log()));
        dovecot_->deliver(kDotted);
        RunContext ctx = context(dovecot_->password());
        ctx.info.POP3_Security = QStringLiteral("starttls");
        ctx.info.Trusted_Certificate_File = certificates_.caFile();
        Pop3Client(ctx).CHECKMAIL_Click();
        QCOMPARE(ctx.gLastError,
                 QStringLiteral("Retrieval Error : Secure connection failed - the server's certificate has expired"));
        QCOMPARE(dovecot_->messages().size(), 1);
        QVERIFY2(!dovecot_->log().contains(QStringLiteral("Login:")), qPrintable(dovecot_->log()));
    }

    void wrongPasswordReportsTheServersWords()
    {
        QVERIFY2(dovecot_->start(), qPrintable(dovecot_->log()));
        dovecot_->deliver(kDotted);
        RunContext ctx = context(QStringLiteral("wrong"));
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.gPOP_Error(), MailError::Disconnected);
        QVERIFY2(ctx.gLastError.startsWith(QStringLiteral("Retrieval Error :  ")), qPrintable(ctx.gLastError));
        QVERIFY(ctx.gLastError.contains(QStringLiteral("Authentication failed")));
        QVERIFY(ctx.gLastError.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(dovecot_->messages().size(), 1);
    }

private:
    RunContext context(const QString& password)
    {
        return test::popContext(*env_, dovecot_->port(), dovecot_->user(), password);
    }

    const test::TestCertificates certificates_;
    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<test::DovecotServer> dovecot_;
};

QTEST_GUILESS_MAIN(TestPop3Dovecot)
#include "tst_pop3_dovecot.moc"
