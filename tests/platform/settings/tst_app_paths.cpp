// Where the program folder is: the build tree keeps its data beside the
// programs, an installed program in the user's data folder, seeded once
// from the installed share folder without touching what the user has.
#include "platform/settings/app_paths.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>


using namespace torvex;

class TestAppPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        bin_ = env_->path(QStringLiteral("prefix/bin"));
        share_ = env_->path(QStringLiteral("prefix/share/torvex"));
        data_ = env_->path(QStringLiteral("home/.local/share/torvex"));
        QVERIFY(QDir().mkpath(bin_));
    }
    void cleanup() { env_.reset(); }

    // TORVEX_HOME first; then a build tree (no share folder) keeps its data
    // beside the programs, and an installed program uses the user's data
    // folder even where the user may write into bin/ (root, or a prefix in
    // the home folder).
    void programFolder_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("TORVEX_HOME") << QStringLiteral("mine/./x/..") << true << QStringLiteral("mine");
        QTest::newRow("build tree") << QString() << false << QStringLiteral("prefix/bin");
        QTest::newRow("installed") << QString() << true << QStringLiteral("home/.local/share/torvex");
    }
    void programFolder()
    {
        QFETCH(QString, home);
        QFETCH(bool, installed);
        QFETCH(QString, chosen);
        if (installed)
            QVERIFY(QDir().mkpath(share_));
        QCOMPARE(chooseProgramFolder(home.isEmpty() ? home : env_->path(home), bin_, share_, data_),
                 env_->path(chosen));
    }

    void seedingCopiesWhatIsMissingAndKeepsTheUsersFiles()
    {
        env_->writeFile(share_ + QStringLiteral("/account.ini"), "[TORVEX]\nVX_domain_name=torvex.net\n");
        env_->writeFile(share_ + QStringLiteral("/vxphlpbs.htm"), "<html>help</html>");
        QVERIFY(QFile::setPermissions(share_ + QStringLiteral("/vxphlpbs.htm"), QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(seedFolder(share_, data_));
        QCOMPARE(env_->readFile(data_ + QStringLiteral("/account.ini")), QByteArray("[TORVEX]\nVX_domain_name=torvex.net\n"));
        QCOMPARE(env_->readFile(data_ + QStringLiteral("/vxphlpbs.htm")), QByteArray("<html>help</html>"));
        // The user's copies stay writable, whatever the installed ones are.
        QVERIFY(QFileInfo(data_ + QStringLiteral("/vxphlpbs.htm")).isWritable());

        env_->writeFile(data_ + QStringLiteral("/account.ini"), "[TORVEX]\nVX_IP_Address=10.0.0.1\n");
        QFile::remove(data_ + QStringLiteral("/vxphlpbs.htm"));
        env_->writeFile(share_ + QStringLiteral("/readme.txt"), "read me");
        QVERIFY(seedFolder(share_, data_));
        QCOMPARE(env_->readFile(data_ + QStringLiteral("/account.ini")), QByteArray("[TORVEX]\nVX_IP_Address=10.0.0.1\n"));
        QCOMPARE(env_->readFile(data_ + QStringLiteral("/vxphlpbs.htm")), QByteArray("<html>help</html>"));
        QCOMPARE(env_->readFile(data_ + QStringLiteral("/readme.txt")), QByteArray("read me"));
    }

    void seedingLeavesALinkOfTheUsersAlone()
    {
        QVERIFY(QDir().mkpath(data_));
        env_->writeFile(share_ + QStringLiteral("/account.ini"), "template");
        const QString elsewhere = env_->path(QStringLiteral("elsewhere.ini"));
        QVERIFY(QFile::link(elsewhere, data_ + QStringLiteral("/account.ini")));
        QVERIFY(seedFolder(share_, data_));
        QVERIFY(QFileInfo(data_ + QStringLiteral("/account.ini")).isSymLink());
        QVERIFY(!QFileInfo::exists(elsewhere));
    }

private:
    std::unique_ptr<test::TestEnv> env_;
    QString bin_;
    QString share_;
    QString data_;
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_app_paths.moc"
