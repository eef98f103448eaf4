#include "pop3_test_support.h"
#include "scripted_pop3_server.h"

#include "common/telvane_info.h"
#include "printutil/pop3_client.h"
#include "printutil/pop3_client_store.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;
using test::ScriptedPop3Server;

// The POP3 dialogue against a scripted server on loopback: the replies,
// refusals, stalls and drops a real server does not produce on request.
class TestPop3Client : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        qputenv("TORVEX_TIME_SCALE", "600");  // a one-minute tick takes 100 ms
        env_ = std::make_unique<test::TestEnv>();
        server_ = std::make_unique<ScriptedPop3Server>();
    }
    void cleanup()
    {
        server_.reset();
        env_.reset();
    }

    void downloadsStoresAndDeletesEachMessage()
    {
        server_->messages = {"Subject: one\r\n\r\n.hidden\r\n.\r\nMAIL FROM:<x@example.org>\r\n",
                             QByteArray(10000 - 20, 'x') + "\r\n\r\nlong line\r\n"};
        server_->statReply = "+OK 2 3456\r\n";
        RunContext ctx = context();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.numberOfMessages(), 2);
        QCOMPARE(client.lengthOfMessages(), 3456);
        QCOMPARE(server_->commands,
                 (QList<QByteArray>{"USER user", "PASS secret", "STAT", "RETR 1", "DELE 1", "RETR 2", "DELE 2", "QUIT"}));
        QCOMPARE(server_->deleted, (QList<int>{1, 2}));
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral("Downloading 2 TORVEXes"));
        QCOMPARE(ctx.gLastError, QStringLiteral("unchanged"));
        // Stored as received, but without the stuffing dots.
        for (int n = 1; n <= 2; ++n) {
            const QByteArray message = server_->messages.at(n - 1);
            QCOMPARE(env_->readFile(QStringLiteral("In/%1.TXT").arg(n)),
                     "+OK " + QByteArray::number(message.size()) + " octets\r\n" + message + ".\r\n");
            QVERIFY(!QFile::exists(env_->path(QStringLiteral("In/%1.TXT.partial").arg(n))));
        }
    }

    void emptyMailboxSendsQuitAndStoresNothing()
    {
        RunContext ctx = context();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral("No new TORVEXes"));
        QCOMPARE(server_->commands.last(), QByteArray("QUIT"));
        QVERIFY(QDir(env_->path(QStringLiteral("In"))).isEmpty());
    }

    void refusedPasswordBecomesTheErrorText()
    {
        server_->passReply = "-ERR invalid password\r\n";
        RunContext ctx = context();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.gPOP_Error(), MailError::Disconnected);
        QCOMPARE(ctx.gLastError, QStringLiteral("Retrieval Error :  invalid password\r\n"));
        QTRY_COMPARE(server_->commands, (QList<QByteArray>{"USER user", "PASS secret", "QUIT"}));
    }

    void greetingWithoutBlankIsNoAcceptance()
    {
        server_->greeting = "+OK\r\n";
        RunContext ctx = context();
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.gPOP_Error(), MailError::TimedOut);
        QVERIFY(server_->commands.isEmpty());
        QCOMPARE(ctx.gLastError, QStringLiteral("unchanged"));
    }

    void stallAndDropLeaveEveryMessageOnTheServer_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<qint32>("error");
        QTest::addColumn<QString>("lastError");
        QTest::newRow("stall") << int(ScriptedPop3Server::Delivery::StallAfterHalf) << qint32(0)
                               << QStringLiteral("unchanged");
        QTest::newRow("drop") << int(ScriptedPop3Server::Delivery::DropAfterHalf) << MailError::Disconnected
                              << QStringLiteral("Retrieval Error : Disconnected by the server");
    }

    void stallAndDropLeaveEveryMessageOnTheServer()
    {
        QFETCH(int, how);
        QFETCH(qint32, error);
        QFETCH(QString, lastError);
        server_->messages = {"Subject: one\r\n\r\nfirst\r\n", "Subject: two\r\n\r\n" + QByteArray(5000, 'b') + "\r\n"};
        server_->delivery[2] = ScriptedPop3Server::Delivery(how);
        RunContext ctx = context();
        {
            Pop3Client client(ctx);
            client.CHECKMAIL_Click();
            QCOMPARE(client.gPOP_Error(), error);
        }
        QCOMPARE(ctx.gLastError, lastError);
        QVERIFY(!server_->commands.contains("QUIT"));
        QVERIFY(server_->deleted.isEmpty());
        // The partial file stays, and is not taken for a message.
        QVERIFY(QFile::exists(env_->path(QStringLiteral("In/2.TXT"))));
        test::CollectingInbox inbox;
        Pop3Client(ctx).ProcessPOPFiles(inbox);
        QCOMPARE(inbox.messages.size(), size_t(1));
        QVERIFY(inbox.messages[0].subject.startsWith(QStringLiteral("one")));
        QVERIFY(QFile::exists(env_->path(QStringLiteral("In/2.TXT"))));

        // The next run gets both again, and each arrives once.
        server_->delivery.clear();
        server_->commands.clear();
        Pop3Client again(ctx);
        again.CHECKMAIL_Click();
        QCOMPARE(server_->deleted, (QList<int>{1, 2}));
        test::CollectingInbox next;
        again.ProcessPOPFiles(next);
        QCOMPARE(next.messages.size(), size_t(2));
        QVERIFY(next.messages[1].text.contains(QByteArray(5000, 'b')));
        QVERIFY(QDir(env_->path(QStringLiteral("In"))).isEmpty());
    }

    void unresolvableHostClearsTheErrorText()
    {
        RunContext ctx = context();
        ctx.gPOPServer = QStringLiteral("no-such-host.invalid");
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.gPOP_Error(), MailError::Disconnected);
        QCOMPARE(ctx.gLastError, QString());
    }

    void refusedConnectionEndsWithoutErrorText()
    {
        RunContext ctx = context();
        server_.reset();  // nothing listens on the port any more
        Pop3Client client(ctx);
        client.CHECKMAIL_Click();
        QCOMPARE(client.gPOP_Error(), MailError::CannotConnect);
        QCOMPARE(ctx.gLastError, QStringLiteral("unchanged"));
    }

    void inFolderFilesMatchWithoutRegardToCase()
    {
        RunContext ctx = context();
        env_->writeFile(QStringLiteral("In/1.TXT"), "+OK 9 octets\r\nSubject: a\r\n\r\nx\r\n.\r\n");
        env_->writeFile(QStringLiteral("In/2.txt"), "+OK 9 octets\r\nSubject: b\r\n\r\ny\r\n.\r\n");
        env_->writeFile(QStringLiteral("In/10.Txt"), "+OK 9 octets\r\nSubject: c\r\n\r\nz\r\n.\r\n");
        env_->writeFile(QStringLiteral("In/notes.doc"), "other");
        test::CollectingInbox inbox;
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
        const QByteArray reply = "+OK 1 octets\r\n." + longLine + "\r\n..\r\nend\r\n.\r\n";
        RetrievedMessageFile file(path);
        RetrievedMessageFile::Progress progress = RetrievedMessageFile::Progress::More;
        for (const char c : reply)
            progress = file.feed(QByteArrayView(&c, 1));
        QCOMPARE(progress, RetrievedMessageFile::Progress::Complete);
        QVERIFY(file.commit());
        QCOMPARE(env_->readFile(path), "+OK 1 octets\r\n" + longLine + "\r\n.\r\nend\r\n.\r\n");

        RetrievedMessageFile refused(path);
        QCOMPARE(refused.feed("-ERR no such message\r\n"), RetrievedMessageFile::Progress::Refused);
        RetrievedMessageFile sizeless(path);
        QCOMPARE(sizeless.feed("+OK\r\nFrom: x\r\n"), RetrievedMessageFile::Progress::Refused);
    }

private:
    RunContext context()
    {
        RunContext ctx = test::popContext(*env_, server_->port(), QStringLiteral("user"), QStringLiteral("secret"));
        ctx.gLastError = QStringLiteral("unchanged");
        return ctx;
    }

    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<ScriptedPop3Server> server_;
};

QTEST_GUILESS_MAIN(TestPop3Client)
#include "tst_pop3_client.moc"
