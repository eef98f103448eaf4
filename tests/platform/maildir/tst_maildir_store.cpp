#include "platform/maildir/maildir_folder_name.h"
#include "platform/maildir/maildir_store.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QMultiMap>
#include <QtTest>

#include <memory>

using namespace torvex;

namespace {

// Every message of the folders by its base name, once for each folder it is in.
QMultiMap<QString, QByteArray> allMessages(const std::vector<MaildirFolder>& folders)
{
    QMultiMap<QString, QByteArray> messages;
    for (const MaildirFolder& folder : folders) {
        for (const MaildirEntry& entry : folder.messages())
            messages.insert(entry.baseName, test::readWholeFile(folder.filePath(entry)));
    }
    return messages;
}

}  // namespace

class TestMaildirStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        root_ = env_->path(QStringLiteral("Maildir"));
        inbox_ = MaildirFolder(root_, {});
        QVERIFY(inbox_.create());
    }

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
        const MaildirFolder printed = inbox_.child(QStringLiteral("TORVEXes")).child(QStringLiteral("Printed"));
        QVERIFY(inbox_.child(QStringLiteral("TORVEXes")).create());
        QVERIFY(printed.create());
        QVERIFY(inbox_.child(QStringLiteral("torvexes")).create());
        QVERIFY(QFileInfo(root_ + QStringLiteral("/.TORVEXes.Printed/cur")).isDir());
        QVERIFY(QFile::exists(root_ + QStringLiteral("/.TORVEXes.Printed/maildirfolder")));
        QCOMPARE(printed.id(), QStringLiteral(".TORVEXes.Printed"));

        QStringList top;
        for (const MaildirFolder& child : inbox_.children())
            top << child.name();
        QCOMPARE(top, (QStringList{QStringLiteral("TORVEXes"), QStringLiteral("torvexes")}));
        const auto under = inbox_.child(QStringLiteral("TORVEXes")).children();
        QCOMPARE(int(under.size()), 1);
        QCOMPARE(under[0].name(), QStringLiteral("Printed"));

        QCOMPARE(maildirFolderForId(root_, printed.id())->path(), printed.path());
        QCOMPARE(maildirFolderForId(root_, QStringLiteral("INBOX"))->path(), root_);
        for (const char* bad : {"..", "../x", ".a/b", "x", ".", ".a..b", ""})
            QVERIFY2(!maildirFolderForId(root_, QString::fromLatin1(bad)), bad);
    }

    void deliveryIsWholeAndOrdered()
    {
        const auto first = deliverToMaildir(inbox_, "Subject: 1\r\n\r\none\r\n");
        const auto second = deliverToMaildir(inbox_, "Subject: 2\r\n\r\ntwo\r\n");
        QVERIFY(first && second);
        const auto messages = inbox_.messages();
        QCOMPARE(int(messages.size()), 2);
        QCOMPARE(messages[0].baseName, *first);
        QCOMPARE(messages[1].baseName, *second);
        QCOMPARE(messages[0].subdir, QStringLiteral("new"));
        QCOMPARE(env_->readFile(inbox_.filePath(messages[1])), QByteArray("Subject: 2\r\n\r\ntwo\r\n"));
        QVERIFY(QDir(root_ + QStringLiteral("/tmp")).isEmpty());
    }

    void seenFlagKeepsTheName()
    {
        const QString name = *deliverToMaildir(inbox_, "x");
        QCOMPARE(*markMaildirSeen(inbox_, name), name);
        const auto entry = inbox_.find(name);
        QVERIFY(entry);
        QCOMPARE(entry->subdir, QStringLiteral("cur"));
        QCOMPARE(entry->fileName, name + QStringLiteral(":2,S"));
        // Other flags are kept and the flag list stays sorted.
        QVERIFY(QFile::rename(inbox_.filePath(*entry), root_ + QStringLiteral("/cur/") + name + QStringLiteral(":2,FT")));
        QVERIFY(markMaildirSeen(inbox_, name));
        QCOMPARE(inbox_.find(name)->fileName, name + QStringLiteral(":2,FST"));
    }

    void moveKeepsFlagsAndNeverReplaces()
    {
        const MaildirFolder printed = inbox_.child(QStringLiteral("Printed"));
        QVERIFY(printed.create());
        const QString name = *deliverToMaildir(inbox_, "first");
        QVERIFY(markMaildirSeen(inbox_, name));
        QCOMPARE(*moveMaildirMessage(inbox_, name, printed), name);
        QVERIFY(!inbox_.find(name));
        QCOMPARE(printed.find(name)->fileName, name + QStringLiteral(":2,S"));

        // Another message of the same name moves there too: both survive.
        QVERIFY(QFile(root_ + QStringLiteral("/cur/") + name + QStringLiteral(":2,S")).open(QIODevice::WriteOnly));
        const auto renamed = moveMaildirMessage(inbox_, name, printed);
        QVERIFY(renamed);
        QVERIFY(*renamed != name);
        QCOMPARE(env_->readFile(printed.filePath(*printed.find(name))), QByteArray("first"));
        QCOMPARE(env_->readFile(printed.filePath(*printed.find(*renamed))), QByteArray());
    }

    void failedMoveLeavesTheMessage()
    {
        const QString name = *deliverToMaildir(inbox_, "stay");
        // No such folder.
        QVERIFY(!moveMaildirMessage(inbox_, name, inbox_.child(QStringLiteral("Missing"))));
        // A folder whose new/ is not a directory (works even for root).
        const MaildirFolder broken = inbox_.child(QStringLiteral("Broken"));
        QVERIFY(broken.create());
        QVERIFY(QDir(broken.path() + QStringLiteral("/new")).removeRecursively());
        QVERIFY(test::writeWholeFile(broken.path() + QStringLiteral("/new"), {}));
        QVERIFY(!moveMaildirMessage(inbox_, name, broken));
        QCOMPARE(env_->readFile(inbox_.filePath(*inbox_.find(name))), QByteArray("stay"));
        // An unknown message.
        QVERIFY(!moveMaildirMessage(inbox_, QStringLiteral("no-such"), inbox_));
        QVERIFY(!inbox_.find(QStringLiteral("../cur")));
    }

    // A mover killed at any moment leaves every message in exactly one
    // folder, whole.
    void killedMoverNeverLosesOrDoublesAMessage()
    {
        const std::vector<MaildirFolder> folders{inbox_, inbox_.child(QStringLiteral("A")),
                                                 inbox_.child(QStringLiteral("B"))};
        for (const MaildirFolder& folder : folders)
            QVERIFY(folder.create());
        for (int i = 0; i < 40; ++i)
            QVERIFY(deliverToMaildir(inbox_, "message " + QByteArray::number(i)));
        const QMultiMap<QString, QByteArray> before = allMessages(folders);
        for (int round = 0; round < 25; ++round) {
            // The first round waits until the mover did get to work.
            churnThenKill(QStringLiteral("move"), round, [&] { return inbox_.messages().size() < 40; });
            QCOMPARE(allMessages(folders), before);
        }
    }

    void killedDeliveryNeverShowsAPartialMessage()
    {
        // The first round waits for a delivery.
        for (int round = 0; round < 10; ++round)
            churnThenKill(QStringLiteral("deliver"), round, [&] { return !inbox_.messages().empty(); });
        const auto messages = inbox_.messages();
        QVERIFY(!messages.empty());
        for (const MaildirEntry& entry : messages) {
            const QByteArray content = env_->readFile(inbox_.filePath(entry));
            const qsizetype tail = content.lastIndexOf("\r\nLENGTH ");
            QVERIFY(tail > 0);
            const qsizetype bodyStart = content.indexOf("\r\n\r\n") + 4;
            QCOMPARE(content.mid(tail + 9).trimmed().toLongLong(), qint64(tail - bodyStart));
        }
    }

private:
    // Runs maildir_churn in the mode and kills it after a random while. The
    // first round waits until started() holds, however slowly a loaded
    // machine starts the program; the others kill at any moment.
    void churnThenKill(const QString& mode, int round, const std::function<bool()>& started) const
    {
        QProcess churn;
        churn.start(test::binDir() + QStringLiteral("/maildir_churn"), {root_, mode});
        QVERIFY(churn.waitForStarted());
        if (round == 0)
            QTRY_VERIFY_WITH_TIMEOUT(started(), 10000);
        QTest::qWait(int(QRandomGenerator::global()->bounded(5, 60)));
        churn.kill();
        QVERIFY(churn.waitForFinished());
    }

    std::unique_ptr<test::TestEnv> env_;
    QString root_;
    MaildirFolder inbox_{QString(), {}};
};

QTEST_GUILESS_MAIN(TestMaildirStore)
#include "tst_maildir_store.moc"
