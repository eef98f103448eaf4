#include "common/telvane_info.h"
#include "platform/maildir/maildir_store.h"
#include "printutil/decode/inbox_message.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "printutil/run/run_context.h"
#include "printutil/transport/pop3_client.h"
#include "printutil/transport/pop3_client_store.h"
#include "printutil/transport/pop3_uidl_record.h"
#include "scripted_mail_server.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

#include <memory>
#include <vector>

using namespace torvex;
using test::ScriptedMailServer;
using Script = ScriptedMailServer::Script;
using Delivery = ScriptedMailServer::Delivery;

Q_DECLARE_METATYPE(Script)

namespace {

const QByteArray kDotted = "From: Sender Office <sender@example.org>\r\n"
                           "Subject: dots\r\n"
                           "\r\n"
                           "above\r\n"
                           ".hidden\r\n"
                           ".\r\n"
                           "MAIL FROM:<x@example.org>\r\n";

// Keeps every message the decoder stores.
class CollectingInbox final : public InboxWriter {
public:
    bool addToInbox(const NewInboxMessage& message) override
    {
        messages.push_back(message);
        return true;
    }
    std::vector<NewInboxMessage> messages;
};

}  // namespace

// The POP3 dialogue against Debian's Dovecot on loopback, the server users
// meet, and against a scripted server for the replies, refusals, stalls,
// drops and trickles a real server does not produce on request.
class TestPop3Client : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        qputenv("TORVEX_TIME_SCALE", "200");  // a one-minute tick takes 300 ms
        env_ = std::make_unique<test::TestEnv>();
        server_ = std::make_unique<ScriptedMailServer>(ScriptedMailServer::Protocol::Pop3);
        dovecot_ = std::make_unique<test::DovecotServer>();
    }
    void cleanup()
    {
        dovecot_.reset();
        server_.reset();
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
        if (!test::DovecotServer::available())
            QSKIP("dovecot is not installed (tools/debian-packages.txt lists dovecot-pop3d)");
        qputenv("TORVEX_TIME_SCALE", "30");  // a tick of 2 s
        const test::TestCertificates& certificates = certificates_;
        const bool tls = security != QLatin1String("none");
        if (tls) {
            QVERIFY2(certificates.ok(), "openssl could not make the test certificates");
            dovecot_->useTls(certificates.server().cert, certificates.server().key);
        }
        QVERIFY2(dovecot_->start(), qPrintable(dovecot_->log()));
        dovecot_->deliver(kDotted);
        dovecot_->deliver(kDotted);
        RunContext ctx = dovecotContext(dovecot_->password());
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

        CollectingInbox inbox;
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
        if (!test::DovecotServer::available())
            QSKIP("dovecot is not installed (tools/debian-packages.txt lists dovecot-pop3d)");
        qputenv("TORVEX_TIME_SCALE", "30");  // a tick of 2 s
        QVERIFY2(certificates_.ok(), "openssl could not make the test certificates");
        dovecot_->useTls(certificates_.pair(QStringLiteral("expired")).cert, certificates_.pair(QStringLiteral("expired")).key);
        QVERIFY2(dovecot_->start(), qPrintable(dovecot_->log()));
        dovecot_->deliver(kDotted);
        RunContext ctx = dovecotContext(dovecot_->password());
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
        if (!test::DovecotServer::available())
            QSKIP("dovecot is not installed (tools/debian-packages.txt lists dovecot-pop3d)");
        qputenv("TORVEX_TIME_SCALE", "30");  // a tick of 2 s
        QVERIFY2(dovecot_->start(), qPrintable(dovecot_->log()));
        dovecot_->deliver(kDotted);
        RunContext ctx = dovecotContext(QStringLiteral("wrong"));
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.gPOP_Error(), MailError::Disconnected);
        QVERIFY2(ctx.gLastError.startsWith(QStringLiteral("Retrieval Error :  ")), qPrintable(ctx.gLastError));
        QVERIFY(ctx.gLastError.contains(QStringLiteral("Authentication failed")));
        QVERIFY(ctx.gLastError.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(dovecot_->messages().size(), 1);
    }

    // Every way a server can fail ends the fetch within its bound with a
    // clear error, no DELE for the message it was on, and no partial file.
    void hostilePeersEndWithAClearError_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("host");
        QTest::addColumn<Pop3Failure>("failure");
        QTest::addColumn<QString>("lastError");

        const QString local = QStringLiteral("127.0.0.1");
        const QString timedOut = QStringLiteral("Retrieval Error : The connection timed out");
        const QString endless = QStringLiteral("Retrieval Error : The POP server sent a line without end");
        QByteArray endlessUidl = "+OK\r\n";
        for (int i = 0; i < 100000; ++i)
            endlessUidl += "1 again" + QByteArray::number(i) + "\r\n";
        // Far more than its status line announces.
        const QByteArray overrun = "+OK 100 octets\r\n" + (QByteArray(16 * 1024 - 2, 'o') + "\r\n").repeated(64);
        // Waits for a greeting it takes, as for one that never comes.
        QTest::newRow("greeting without blank") << Script{.greeting = {"+OK\r\n"}} << local << Pop3Failure::TimedOut
                                                << timedOut;
        QTest::newRow("garbage greeting")
            << Script{.greeting = {"HTTP/1.0 400 Bad Request\r\n"}} << local << Pop3Failure::Garbled
            << QStringLiteral("Retrieval Error : The POP server replied - HTTP/1.0 400 Bad Request");
        QTest::newRow("endless greeting") << Script{.greeting = {QByteArray(200 * 1024, 'g')}} << local
                                          << Pop3Failure::Overlong << endless;
        // Nothing listens there: the server listens on 127.0.0.1 only.
        QTest::newRow("refused") << Script{} << QStringLiteral("127.0.0.2") << Pop3Failure::NoConnection
                                 << QStringLiteral("Retrieval Error : Unable to connect to the server - 127.0.0.2");
        QTest::newRow("no address") << Script{} << QStringLiteral("no-such-host.invalid") << Pop3Failure::NoAddress
                                    << QStringLiteral("Retrieval Error : Unable to obtain an Internet Address for the server - no-such-host.invalid");
        QTest::newRow("huge STAT") << Script{.replies = {{"STAT", "+OK 999999999 5\r\n"}}} << local
                                   << Pop3Failure::TooManyMessages
                                   << QStringLiteral("Retrieval Error : The POP server announced 999999999 messages, more than 100000");
        QTest::newRow("garbage STAT") << Script{.replies = {{"STAT", "+OK many\r\n"}}} << local << Pop3Failure::Garbled
                                      << QStringLiteral("Retrieval Error : The POP server replied - +OK many");
        QTest::newRow("endless UIDL") << Script{.replies = {{"UIDL", endlessUidl + ".\r\n"}}} << local
                                      << Pop3Failure::Overlong << endless;
        QTest::newRow("stall") << Script{.delivery = {{"RETR 1", Delivery::StallAfterHalf}}} << local
                               << Pop3Failure::TimedOut << timedOut;
        QTest::newRow("drop") << Script{.delivery = {{"RETR 1", Delivery::DropAfterHalf}}} << local
                              << Pop3Failure::Disconnected << QStringLiteral("Retrieval Error : Disconnected by the server");
        QTest::newRow("overrun") << Script{.replies = {{"RETR 1", overrun}}} << local << Pop3Failure::MessageOverran
                                 << QStringLiteral("Retrieval Error : TORVEX 1 grew past the size the server announced");
        QTest::newRow("trickle") << Script{.delivery = {{"RETR 1", Delivery::Trickle}}} << local
                                 << Pop3Failure::SessionTooLong
                                 << QStringLiteral("Retrieval Error : The session with 127.0.0.1 ran past its time limit of 9 minutes");
    }

    void hostilePeersEndWithAClearError()
    {
        QFETCH(Script, script);
        QFETCH(QString, host);
        QFETCH(Pop3Failure, failure);
        QFETCH(QString, lastError);
        server_->script = script;
        server_->messages = {"Subject: one\r\n\r\n" + QByteArray(3000, 'a') + "\r\n", "Subject: two\r\n\r\nsecond\r\n"};
        RunContext ctx = context();
        ctx.gPOPServer = host;
        // Short waits where the wait is what ends the session; elsewhere
        // waits a loaded machine's replies never outlast, so the fault
        // itself ends it.
        const bool endsByTime = failure == Pop3Failure::TimedOut || failure == Pop3Failure::SessionTooLong;
        ctx.info.gTimoutMinutes = endsByTime ? 1 : 10;
        QElapsedTimer took;
        took.start();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        // The longest bound here: the trickle's 9 minutes, 2.7 s scaled.
        QVERIFY2(took.elapsed() < 6000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(client.failure(), failure);
        QCOMPARE(ctx.gLastError, lastError);
        QVERIFY(client.gPOP_Error() != MailError::None);
        QVERIFY(!server_->commands.contains("DELE 1"));
        QVERIFY(server_->deleted.isEmpty());
        QCOMPARE(QDir(env_->path(QStringLiteral("In"))).entryList(QDir::Files), QStringList());
    }

    // STLS the server refuses ends the fetch before the log-on; a server
    // without CAPA is fetched from in the clear. (A failed handshake is the
    // mail socket's, which SMTP shares: the real servers' tests and the
    // scripted SMTP server's.)
    void secureConnection_data()
    {
        QTest::addColumn<QString>("security");
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("lastError");
        QTest::addColumn<QList<QByteArray>>("commands");
        const QString offered = QStringLiteral("starttls");
        const QString refused = QStringLiteral("Retrieval Error : No secure connection - the server refused STLS: ");
        QTest::newRow("listed, then refused")
            << offered << Script{.replies = {{"CAPA", "+OK\r\nUSER\r\nSTLS\r\nUIDL\r\n.\r\n"}, {"STLS", "-ERR not now\r\n"}}}
            << refused + QStringLiteral("-ERR not now") << QList<QByteArray>{"CAPA", "STLS"};
        QTest::newRow("required, unknown") << QStringLiteral("starttls-required") << Script{}
                                           << refused + QStringLiteral("-ERR unknown command")
                                           << QList<QByteArray>{"STLS"};
        QTest::newRow("no CAPA: plain") << offered << Script{} << QStringLiteral("unchanged")
                                        << QList<QByteArray>{"CAPA", "USER user", "PASS secret", "STAT", "QUIT"};
    }
    void secureConnection()
    {
        QFETCH(QString, security);
        QFETCH(Script, script);
        QFETCH(QString, lastError);
        QFETCH(QList<QByteArray>, commands);
        server_->script = script;
        RunContext ctx = context();
        ctx.info.POP3_Security = security;
        ctx.info.POP3_Port = QString::number(server_->port());
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(ctx.gLastError, lastError);
        QCOMPARE(server_->commands, commands);
    }

    // A session that ends before QUIT leaves every message on the server.
    // What it stored whole is on record: the next session only deletes it.
    // Without UIDL it is fetched again, as it always was.
    void nextSessionFetchesOnlyWhatWasNotStored_data()
    {
        QTest::addColumn<bool>("uidl");
        QTest::addColumn<QList<QByteArray>>("again");
        QTest::newRow("UIDL") << true << QList<QByteArray>{"DELE 1", "RETR 2", "DELE 2"};
        // Refused, as RFC 1939 allows.
        QTest::newRow("no UIDL") << false << QList<QByteArray>{"RETR 1", "DELE 1", "RETR 2", "DELE 2"};
    }

    void nextSessionFetchesOnlyWhatWasNotStored()
    {
        QFETCH(bool, uidl);
        QFETCH(QList<QByteArray>, again);
        if (!uidl)
            server_->script.replies["UIDL"] = "-ERR no UIDL here\r\n";
        server_->messages = {"Subject: one\r\n\r\nfirst\r\n", "Subject: two\r\n\r\n" + QByteArray(5000, 'b') + "\r\n"};
        server_->script.delivery["RETR 2"] = Delivery::DropAfterHalf;
        RunContext ctx = context();
        Pop3Client(ctx).CHECKMAIL_Click();
        // The stored one reaches the Inbox before the next fetch, as in a
        // run; a part of the other would be one message too many there.
        auto mailbox = maildirInbox();
        Pop3Client(ctx).ProcessPOPFiles(*mailbox);
        server_->script.delivery.clear();
        server_->commands.clear();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QList<QByteArray> transactions;
        for (const QByteArray& command : server_->commands) {
            if (command.startsWith("RETR") || command.startsWith("DELE"))
                transactions << command;
        }
        QCOMPARE(transactions, again);
        QVERIFY(server_->messages.isEmpty());
        client.ProcessPOPFiles(*mailbox);
        QCOMPARE(mailbox->Inbox()->MessageCount(), uidl ? 2 : 3);
        QVERIFY(QDir(env_->path(QStringLiteral("In"))).isEmpty());
    }

    // Ended between the steps that make a download and its hand-over to the
    // Inbox: a file whose id was recorded counts as stored, one whose
    // message already reached the Inbox is only deleted.
    void endedStepsAreFinishedOnce()
    {
        RunContext ctx = context();
        const QByteArray raw = "+OK 30 octets\r\nSubject: kept\r\n\r\nbody\r\n.\r\n";
        UidlRecord record(uidlRecordPathFor(ctx.folders.in), ctx.info.Torvex_Addr);
        record.load();
        QVERIFY(record.add("recorded"));
        env_->writeFile(QStringLiteral("In/1.TXT"), raw);
        env_->writeFile(QStringLiteral("In/1.TXT.partial"), "recorded");
        env_->writeFile(QStringLiteral("In/2.TXT"), raw.left(20));
        env_->writeFile(QStringLiteral("In/2.TXT.partial"), "not-recorded");
        env_->writeFile(QStringLiteral("In/3.TXT"), raw);
        env_->writeFile(QStringLiteral("In/3.TXT.inbox"), "1700000000.M1P1Q1.host");
        env_->writeFile(QStringLiteral("In/4.TXT.inbox"), "1700000000.M2P1Q1.host");
        auto mailbox = maildirInbox();
        NewInboxMessage already;
        already.subject = QStringLiteral("already stored");
        already.deliveryName = QStringLiteral("1700000000.M1P1Q1.host");
        QVERIFY(mailbox->addToInbox(already));
        QVERIFY(mailbox->addToInbox(already));  // a second time changes nothing

        Pop3Client(ctx).ProcessPOPFiles(*mailbox);
        std::unique_ptr<MailFolder> inbox = mailbox->Inbox();
        QCOMPARE(inbox->MessageCount(), 2);
        QStringList subjects;
        for (int i = 1; i <= 2; ++i)
            subjects << inbox->Message(i)->Subject();
        QVERIFY2(subjects.contains(QStringLiteral("already stored")), qPrintable(subjects.join(',')));
        QVERIFY2(subjects.filter(QStringLiteral("kept")).size() == 1, qPrintable(subjects.join(',')));
        QCOMPARE(QDir(env_->path(QStringLiteral("In"))).entryList(QDir::Files), QStringList());
    }

    void oversizedMessageStaysAndTheOthersArrive()
    {
        writeTorvexKey(QStringLiteral("max_message_mb"), QStringLiteral("1"));
        server_->messages = {"Subject: big\r\n\r\n" + QByteArray(1100 * 1024, 'x') + "\r\n", "Subject: small\r\n\r\nok\r\n"};
        RunContext ctx = context();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QVERIFY(!server_->commands.contains("RETR 1"));
        QCOMPARE(server_->deleted, QList<int>{2});
        QCOMPARE(server_->messages.size(), 1);
        QCOMPARE(ctx.gLastError, QStringLiteral("Retrieval Error : TORVEX 1 is larger than 1 MB and stays on the server"));
        QCOMPARE(QDir(env_->path(QStringLiteral("In"))).entryList(QDir::Files), QStringList{QStringLiteral("2.TXT")});
    }

    void inFolderFilesMatchWithoutRegardToCase()
    {
        RunContext ctx = context();
        env_->writeFile(QStringLiteral("In/1.TXT"), "+OK 9 octets\r\nSubject: a\r\n\r\nx\r\n.\r\n");
        env_->writeFile(QStringLiteral("In/2.txt"), "+OK 9 octets\r\nSubject: b\r\n\r\ny\r\n.\r\n");
        env_->writeFile(QStringLiteral("In/10.Txt"), "+OK 9 octets\r\nSubject: c\r\n\r\nz\r\n.\r\n");
        env_->writeFile(QStringLiteral("In/notes.doc"), "other");
        CollectingInbox inbox;
        Pop3Client(ctx).ProcessPOPFiles(inbox);
        QCOMPARE(inbox.messages.size(), size_t(3));
        QVERIFY(inbox.messages[0].subject.startsWith(QStringLiteral("a From")));
        QVERIFY(inbox.messages[1].subject.startsWith(QStringLiteral("b From")));
        QVERIFY(inbox.messages[2].subject.startsWith(QStringLiteral("c From")));
        QCOMPARE(QDir(env_->path(QStringLiteral("In"))).entryList(QDir::Files), QStringList{QStringLiteral("notes.doc")});
    }

    void storeKeepsLongLinesAndSplitTerminators()
    {
        // Fed one byte at a time, and with a line far longer than the buffer.
        const QString path = env_->path(QStringLiteral("1.TXT"));
        const QByteArray longLine = "." + QByteArray(20000, 'q');
        const QByteArray reply = "+OK 20012 octets\r\n." + longLine + "\r\n..\r\nend\r\n.\r\n";
        {
            RetrievedMessageFile file(path, "id1", 1 << 20);
            RetrievedMessageFile::Progress progress = RetrievedMessageFile::Progress::More;
            for (const char c : reply)
                progress = file.feed(QByteArrayView(&c, 1));
            QCOMPARE(progress, RetrievedMessageFile::Progress::Complete);
            QVERIFY(file.commit(nullptr));
        }
        QCOMPARE(env_->readFile(path), "+OK 20012 octets\r\n" + longLine + "\r\n.\r\nend\r\n.\r\n");

        RetrievedMessageFile refused(path, {}, 1 << 20);
        QCOMPARE(refused.feed("-ERR no such message\r\n"), RetrievedMessageFile::Progress::Refused);
        RetrievedMessageFile sizeless(path, {}, 1 << 20);
        QCOMPARE(sizeless.feed("+OK\r\nFrom: x\r\n"), RetrievedMessageFile::Progress::Refused);
        RetrievedMessageFile tooLarge(path, {}, 1 << 20);
        QCOMPARE(tooLarge.feed("+OK 2000000 octets\r\n"), RetrievedMessageFile::Progress::Oversized);
    }

private:
    // A run context over the test's program folder, fetching at 127.0.0.1
    // on the given port.
    RunContext context(quint16 port, const QString& login, const QString& password)
    {
        qputenv("TORVEX_POP3_PORT", QByteArray::number(port));
        RunContext ctx;
        ctx.programFolder = env_->home();
        ctx.folders = runFoldersIn(env_->home());
        prepareRunFolders(ctx.folders, false);
        ctx.gLogin = login;
        ctx.gPOPServer = QStringLiteral("127.0.0.1");
        ctx.info.Password = password;
        ctx.info.Torvex_Addr = login + QStringLiteral("@torvex.example");
        ctx.info.gTimoutMinutes = 2;
        return ctx;
    }
    RunContext context()
    {
        RunContext ctx = context(server_->port(), QStringLiteral("user"), QStringLiteral("secret"));
        ctx.gLastError = QStringLiteral("unchanged");
        return ctx;
    }
    RunContext dovecotContext(const QString& password)
    {
        return context(dovecot_->port(), dovecot_->user(), password);
    }

    std::unique_ptr<MaildirMailboxSystem> maildirInbox()
    {
        QDir().mkpath(env_->path(QStringLiteral("profiles/TORVEX")));
        auto mailbox = std::make_unique<MaildirMailboxSystem>(env_->home());
        if (!mailbox->SessionLogIn(QStringLiteral("TORVEX")))
            return nullptr;
        return mailbox;
    }

    const test::TestCertificates certificates_;
    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<ScriptedMailServer> server_;
    std::unique_ptr<test::DovecotServer> dovecot_;
};

QTEST_GUILESS_MAIN(TestPop3Client)
#include "tst_pop3_client.moc"
