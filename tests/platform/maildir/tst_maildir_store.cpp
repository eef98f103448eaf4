#include "platform/maildir/maildir_folder_name.h"
#include "platform/maildir/maildir_store.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <memory>

using namespace torvex;

namespace {

QStringList allBaseNames(const std::vector<MaildirFolder>& folders)
{
    QStringList names;
    for (const MaildirFolder& folder : folders) {
        for (const MaildirEntry& entry : folder.messages())
            names << entry.baseName;
    }
    names.sort();
    return names;
}

}  // namespace

class TestMaildirStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        root_ = env_->path(QStringLiteral("Maildir"));
        QVERIFY(MaildirFolder(root_, {}).create());
    }
    void cleanup() { env_.reset(); }

    void folderNamesRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("component");
        QTest::newRow("plain") << QStringLiteral("Receipts Out") << QStringLiteral("Receipts Out");
        QTest::newRow("dot and slash") << QStringLiteral("a.b/c\\d") << QStringLiteral("a\\2eb\\2fc\\5cd");
        QTest::newRow("ampersand") << QStringLiteral("R&D") << QStringLiteral("R&-D");
        QTest::newRow("non-ascii") << QStringLiteral("Gr\u00fc\u00dfe") << QStringLiteral("Gr&APwA3w-e");
    }
    void folderNamesRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, component);
        QCOMPARE(encodeMaildirFolderName(name), component);
        QCOMPARE(decodeMaildirFolderName(component), name);
    }

    void subfoldersAreMaildirPlusPlusAndCaseSensitive()
    {
        const MaildirFolder root(root_, {});
        const MaildirFolder printed = root.child(QStringLiteral("TORVEXes")).child(QStringLiteral("Printed"));
        QVERIFY(root.child(QStringLiteral("TORVEXes")).create());
        QVERIFY(printed.create());
        QVERIFY(root.child(QStringLiteral("torvexes")).create());
        QVERIFY(QFileInfo(root_ + QStringLiteral("/.TORVEXes.Printed/cur")).isDir());
        QVERIFY(QFile::exists(root_ + QStringLiteral("/.TORVEXes.Printed/maildirfolder")));
        QCOMPARE(printed.id(), QStringLiteral(".TORVEXes.Printed"));

        QStringList top;
        for (const MaildirFolder& child : root.children())
            top << child.name();
        QCOMPARE(top, (QStringList{QStringLiteral("TORVEXes"), QStringLiteral("torvexes")}));
        const auto under = root.child(QStringLiteral("TORVEXes")).children();
        QCOMPARE(int(under.size()), 1);
        QCOMPARE(under[0].name(), QStringLiteral("Printed"));

        QCOMPARE(maildirFolderForId(root_, printed.id())->path(), printed.path());
        QCOMPARE(maildirFolderForId(root_, QStringLiteral("INBOX"))->path(), root_);
        for (const char* bad : {"..", "../x", ".a/b", "x", ".", ".a..b", ""})
            QVERIFY2(!maildirFolderForId(root_, QString::fromLatin1(bad)), bad);
    }

    void deliveryIsWholeAndOrdered()
    {
        const MaildirFolder inbox(root_, {});
        const auto first = deliverToMaildir(inbox, "Subject: 1\r\n\r\none\r\n");
        const auto second = deliverToMaildir(inbox, "Subject: 2\r\n\r\ntwo\r\n");
        QVERIFY(first && second);
        const auto messages = inbox.messages();
        QCOMPARE(int(messages.size()), 2);
        QCOMPARE(messages[0].baseName, *first);
        QCOMPARE(messages[1].baseName, *second);
        QCOMPARE(messages[0].subdir, QStringLiteral("new"));
        QCOMPARE(env_->readFile(inbox.filePath(messages[1])), QByteArray("Subject: 2\r\n\r\ntwo\r\n"));
        QVERIFY(QDir(root_ + QStringLiteral("/tmp")).isEmpty());
    }

    void seenFlagKeepsTheName()
    {
        const MaildirFolder inbox(root_, {});
        const QString name = *deliverToMaildir(inbox, "x");
        QCOMPARE(*markMaildirSeen(inbox, name), name);
        const auto entry = inbox.find(name);
        QVERIFY(entry);
        QCOMPARE(entry->subdir, QStringLiteral("cur"));
        QCOMPARE(entry->fileName, name + QStringLiteral(":2,S"));
        // Other flags are kept and the flag list stays sorted.
        QVERIFY(QFile::rename(inbox.filePath(*entry), root_ + QStringLiteral("/cur/") + name + QStringLiteral(":2,FT")));
        QVERIFY(markMaildirSeen(inbox, name));
        QCOMPARE(inbox.find(name)->fileName, name + QStringLiteral(":2,FST"));
    }

    void moveKeepsFlagsAndNeverReplaces()
    {
        const MaildirFolder inbox(root_, {});
        const MaildirFolder printed = inbox.child(QStringLiteral("Printed"));
        QVERIFY(printed.create());
        const QString name = *deliverToMaildir(inbox, "first");
        QVERIFY(markMaildirSeen(inbox, name));
        QCOMPARE(*moveMaildirMessage(inbox, name, printed), name);
        QVERIFY(!inbox.find(name));
        QCOMPARE(printed.find(name)->fileName, name + QStringLiteral(":2,S"));

        // Another message of the same name moves there too: both survive.
        QVERIFY(QFile(root_ + QStringLiteral("/cur/") + name + QStringLiteral(":2,S")).open(QIODevice::WriteOnly));
        const auto renamed = moveMaildirMessage(inbox, name, printed);
        QVERIFY(renamed);
        QVERIFY(*renamed != name);
        QCOMPARE(env_->readFile(printed.filePath(*printed.find(name))), QByteArray("first"));
        QCOMPARE(env_->readFile(printed.filePath(*printed.find(*renamed))), QByteArray());
    }

    void failedMoveLeavesTheMessage()
    {
        const MaildirFolder inbox(root_, {});
        const QString name = *deliverToMaildir(inbox, "stay");
        // No such folder.
        QVERIFY(!moveMaildirMessage(inbox, name, inbox.child(QStringLiteral("Missing"))));
        // A folder whose new/ is not a directory (works even for root).
        const MaildirFolder broken = inbox.child(QStringLiteral("Broken"));
        QVERIFY(broken.create());
        QVERIFY(QDir(broken.path() + QStringLiteral("/new")).removeRecursively());
        QFile blocker(broken.path() + QStringLiteral("/new"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!moveMaildirMessage(inbox, name, broken));
        QCOMPARE(env_->readFile(inbox.filePath(*inbox.find(name))), QByteArray("stay"));
        // An unknown message.
        QVERIFY(!moveMaildirMessage(inbox, QStringLiteral("no-such"), inbox));
        QVERIFY(!inbox.find(QStringLiteral("../cur")));
    }

    // A mover killed at any moment leaves every message in exactly one
    // folder, whole.
    void killedMoverNeverLosesOrDoublesAMessage()
    {
        const MaildirFolder inbox(root_, {});
        const std::vector<MaildirFolder> folders{inbox, inbox.child(QStringLiteral("A")),
                                                 inbox.child(QStringLiteral("B"))};
        for (const MaildirFolder& folder : folders)
            QVERIFY(folder.create());
        QSet<QByteArray> contents;
        for (int i = 0; i < 40; ++i) {
            const QByteArray content = "message " + QByteArray::number(i);
            QVERIFY(deliverToMaildir(inbox, content));
            contents.insert(content);
        }
        const QStringList before = allBaseNames(folders);
        for (int round = 0; round < 25; ++round) {
            QProcess churn;
            churn.start(test::binDir() + QStringLiteral("/maildir_churn"), {root_, QStringLiteral("move")});
            QVERIFY(churn.waitForStarted());
            // The first round waits until the mover did get to work, however
            // slowly a loaded machine starts the program; the others kill at
            // any moment.
            if (round == 0)
                QTRY_VERIFY_WITH_TIMEOUT(inbox.messages().size() < 40, 10000);
            QTest::qWait(int(QRandomGenerator::global()->bounded(5, 60)));
            churn.kill();
            QVERIFY(churn.waitForFinished());
            QCOMPARE(allBaseNames(folders), before);
            QSet<QByteArray> seen;
            for (const MaildirFolder& folder : folders) {
                for (const MaildirEntry& entry : folder.messages())
                    seen.insert(env_->readFile(folder.filePath(entry)));
            }
            QCOMPARE(seen, contents);
        }
    }

    void killedDeliveryNeverShowsAPartialMessage()
    {
        const MaildirFolder inbox(root_, {});
        for (int round = 0; round < 10; ++round) {
            QProcess churn;
            churn.start(test::binDir() + QStringLiteral("/maildir_churn"), {root_, QStringLiteral("deliver")});
            QVERIFY(churn.waitForStarted());
            // The first round waits for a delivery, however slowly a loaded
            // machine starts the program; the others kill at any moment.
            if (round == 0)
                QTRY_VERIFY_WITH_TIMEOUT(!inbox.messages().empty(), 10000);
            QTest::qWait(int(QRandomGenerator::global()->bounded(5, 40)));
            churn.kill();
            QVERIFY(churn.waitForFinished());
        }
        const auto messages = inbox.messages();
        QVERIFY(!messages.empty());
        for (const MaildirEntry& entry : messages) {
            const QByteArray content = env_->readFile(inbox.filePath(entry));
            const qsizetype tail = content.lastIndexOf("\r\nLENGTH ");
            QVERIFY(tail > 0);
            const qsizetype bodyStart = content.indexOf("\r\n\r\n") + 4;
            QCOMPARE(content.mid(tail + 9).trimmed().toLongLong(), qint64(tail - bodyStart));
        }
    }

private:
    std::unique_ptr<test::TestEnv> env_;
    QString root_;
};

QTEST_GUILESS_MAIN(TestMaildirStore)
#include "tst_maildir_store.moc"
