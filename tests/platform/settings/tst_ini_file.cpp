#include "platform/settings/app_paths.h"
#include "platform/settings/ini_file.h"
#include "platform/settings/profile_api.h"
#include "tests/support/test_env.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using torvex::IniFile;
using namespace torvex::test;

class TestIniFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { env_ = std::make_unique<TestEnv>(); }

    // A missing file gives the default; the first write makes the folders;
    // an empty value keeps its key; line ends in a value read back as written.
    void valuesReadBackAsWritten()
    {
        const IniFile file(env_->path(QStringLiteral("a/b/c/settings.ini")));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Cycle_Minutes"), QStringLiteral("0")),
                 QStringLiteral("0"));
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("Start_Time"), QStringLiteral("7")));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Start_Time"), QString()), QStringLiteral("7"));
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("VXPrint"), QStringLiteral("quit")));
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("VXPrint"), QString()));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("VXPrint"), QStringLiteral("absent")), QString());
        QVERIFY(env_->readFile(QStringLiteral("a/b/c/settings.ini")).contains("VXPrint=\n"));
        const QString value = QStringLiteral("Retrieval Error :  invalid password\r\n C:\\path\\n");
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("last_error"), value));
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("next"), QStringLiteral("x")));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("last_error"), QString()), value);
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("next"), QString()), QStringLiteral("x"));
    }

    void namesIgnoreCaseAndValuesKeepTheirBlanks()
    {
        env_->writeFile(env_->iniPath(), "[torvex]\nCONFIRM_RECEIPT= y \n");
        const IniFile file(env_->iniPath());
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Confirm_Receipt"), QString()), QStringLiteral(" y "));
        QVERIFY(file.write(QStringLiteral("Torvex"), QStringLiteral("confirm_receipt"), QStringLiteral("n")));
        // The key is replaced in place, not added a second time.
        QCOMPARE(env_->readFile(env_->iniPath()), QByteArray("[torvex]\nconfirm_receipt=n\n"));
    }

    void otherSectionsAndUnknownLinesSurviveAWrite()
    {
        const QByteArray before = "; comment\n[log]\nVersion=1\n\x01\x02 garbage \xff\n[TORVEX]\nA=1\n\n[other]\nA=2\n";
        env_->writeFile(env_->iniPath(), before);
        const IniFile file(env_->iniPath());
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("B"), QStringLiteral("3")));
        QCOMPARE(env_->readFile(env_->iniPath()),
                 QByteArray("; comment\n[log]\nVersion=1\n\x01\x02 garbage \xff\n[TORVEX]\nA=1\nB=3\n\n[other]\nA=2\n"));
        QCOMPARE(file.read(QStringLiteral("other"), QStringLiteral("A"), QString()), QStringLiteral("2"));
    }

    void profileReadsAreCutAt254()
    {
        const QString longValue(300, QLatin1Char('v'));
        torvex::WriteProfileStringA(QStringLiteral("TORVEX"), QStringLiteral("Torvex_Name"), longValue);
        QCOMPARE(torvex::GetProfileStringA(QStringLiteral("TORVEX"), QStringLiteral("Torvex_Name"), QString()),
                 longValue.left(254));
        // The store itself keeps the whole value.
        QCOMPARE(IniFile(env_->iniPath()).read(QStringLiteral("TORVEX"), QStringLiteral("Torvex_Name"), QString()),
                 longValue);
    }

    void garbageAndHugeLinesNeverCrashTheReader()
    {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk += char((i * 131 + 7) % 256);
        junk += "\n[TORVEX\n=novalue\n[]\n[TORVEX]\n" + QByteArray(2 * 1024 * 1024, 'x') + "\nKey=ok";
        env_->writeFile(env_->iniPath(), junk);
        const IniFile file(env_->iniPath());
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Key"), QString()), QStringLiteral("ok"));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Missing"), QStringLiteral("d")), QStringLiteral("d"));
        QVERIFY(file.write(QStringLiteral("TORVEX"), QStringLiteral("Key2"), QStringLiteral("2")));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Key2"), QString()), QStringLiteral("2"));
        QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("Key"), QString()), QStringLiteral("ok"));
    }

    // How a write treats the file it finds: through a link to its target,
    // keeping the mode; a read-only file, a lock another writer keeps and a
    // lock that cannot be taken leave the content as it was.
    void writesRespectTheFileTheyFind_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("written");
        QTest::newRow("symbolic link") << QStringLiteral("link") << true;
        QTest::newRow("own mode") << QStringLiteral("mode") << true;
        QTest::newRow("read-only") << QStringLiteral("read-only") << false;
        QTest::newRow("lock held") << QStringLiteral("held") << false;
        QTest::newRow("lock impossible") << QStringLiteral("no lock") << false;
    }

    void writesRespectTheFileTheyFind()
    {
        QFETCH(QString, how);
        QFETCH(bool, written);
        qputenv("TORVEX_TIME_SCALE", "50");  // the lock is waited for 100 ms
        const QString target = env_->path(QStringLiteral("real.ini"));
        env_->writeFile(target, "[TORVEX]\nA=1\n");
        QString path = target;
        QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        if (how == QLatin1String("link")) {
            path = env_->path(QStringLiteral("link.ini"));
            QVERIFY(QFile::link(target, path));
        } else if (how == QLatin1String("read-only")) {
            mode = QFile::ReadOwner;
        }
        QVERIFY(QFile::setPermissions(target, mode));
        const int lockFd = how == QLatin1String("held")
            ? ::open(QFile::encodeName(target + QStringLiteral(".lock")).constData(), O_RDWR | O_CREAT, 0600)
            : -1;
        if (lockFd >= 0)
            QCOMPARE(::flock(lockFd, LOCK_EX), 0);
        if (how == QLatin1String("no lock"))
            QVERIFY(QDir().mkpath(target + QStringLiteral(".lock")));

        const IniFile file(path);
        if (!written)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("A not written")));
        QElapsedTimer took;
        took.start();
        QCOMPARE(file.write(QStringLiteral("TORVEX"), QStringLiteral("A"), QStringLiteral("2")), written);
        QVERIFY(took.elapsed() < 3000);
        if (lockFd >= 0)
            ::close(lockFd);
        QCOMPARE(IniFile(target).read(QStringLiteral("TORVEX"), QStringLiteral("A"), QString()),
                 written ? QStringLiteral("2") : QStringLiteral("1"));
        const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
            | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFile::permissions(target) & modeBits, mode);
        if (how == QLatin1String("link"))
            QVERIFY(QFileInfo(path).isSymLink());
        qunsetenv("TORVEX_TIME_SCALE");
    }

    // Two processes write different keys of one file at the same moment; a
    // plain read-modify-write would lose keys of the other writer.
    void concurrentWritersLoseNothing()
    {
        constexpr int kCount = 1500;
        const QString writer = binDir() + QStringLiteral("/ini_writer");
        QProcess a;
        QProcess b;
        a.start(writer, {env_->iniPath(), QStringLiteral("a"), QString::number(kCount)});
        b.start(writer, {env_->iniPath(), QStringLiteral("b"), QString::number(kCount)});
        QVERIFY(a.waitForFinished(240000));
        QVERIFY(b.waitForFinished(240000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);

        const QByteArray content = env_->readFile(env_->iniPath());
        QCOMPARE(content.count("[TORVEX]"), 1);
        QCOMPARE(content.count('\n'), 1 + 2 * kCount);
        const IniFile file(env_->iniPath());
        for (int n = 0; n < kCount; ++n) {
            QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("a%1").arg(n), QString()), QString::number(n));
            QCOMPARE(file.read(QStringLiteral("TORVEX"), QStringLiteral("b%1").arg(n), QString()), QString::number(n));
        }
        // No temporary file is left behind.
        const QStringList leftovers = QFileInfo(env_->iniPath()).dir().entryList({QStringLiteral("*.tmp.*")}, QDir::Files);
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(QLatin1Char(','))));
    }

    // Where the program folder is: TORVEX_HOME first; then a build tree (no
    // share folder) keeps its data beside the programs, and an installed
    // program uses the user's data folder even where the user may write into
    // bin/ (root, or a prefix in the home folder). tests/tools/install_test.sh
    // runs an installed program, which seeds that folder.
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
        const QString bin = env_->path(QStringLiteral("prefix/bin"));
        const QString share = env_->path(QStringLiteral("prefix/share/torvex"));
        QVERIFY(QDir().mkpath(bin) && (!installed || QDir().mkpath(share)));
        QCOMPARE(torvex::chooseProgramFolder(home.isEmpty() ? home : env_->path(home), bin, share,
                                             env_->path(QStringLiteral("home/.local/share/torvex"))),
                 env_->path(chosen));
    }

private:
    std::unique_ptr<TestEnv> env_;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
