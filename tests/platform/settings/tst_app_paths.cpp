// Where the program folder is: the build tree keeps its data beside the
// programs, an installed program in the user's data folder, seeded once
// from the installed share folder without touching what the user has.
#include "platform/settings/app_paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace torvex;

namespace {

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestAppPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(dir_.isValid());
        bin_ = dir_.filePath(QStringLiteral("prefix/bin"));
        share_ = dir_.filePath(QStringLiteral("prefix/share/torvex"));
        data_ = dir_.filePath(QStringLiteral("home/.local/share/torvex"));
        QVERIFY(QDir().mkpath(bin_));
    }

    void torvexHomeComesFirst()
    {
        QVERIFY(QDir().mkpath(share_));
        QCOMPARE(chooseProgramFolder(dir_.filePath(QStringLiteral("mine/./x/..")), bin_, share_, data_),
                 dir_.filePath(QStringLiteral("mine")));
    }

    void aBuildTreeKeepsItsDataBesideThePrograms()
    {
        QCOMPARE(chooseProgramFolder(QString(), bin_, share_, data_), bin_);
    }

    void anInstalledProgramUsesTheUserDataFolder()
    {
        // Even where the user may write into bin/ (root, or a prefix in the home folder).
        QVERIFY(QDir().mkpath(share_));
        QCOMPARE(chooseProgramFolder(QString(), bin_, share_, data_), data_);
    }

    void anUnwritableProgramFolderUsesTheUserDataFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root may write into any folder");
        QVERIFY(QFile::setPermissions(bin_, QFile::ReadOwner | QFile::ExeOwner));
        const QString chosen = chooseProgramFolder(QString(), bin_, share_, data_);
        QFile::setPermissions(bin_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(chosen, data_);
    }

    void seedingCopiesWhatIsMissingAndKeepsTheUsersFiles()
    {
        QVERIFY(QDir().mkpath(share_));
        write(share_ + QStringLiteral("/account.ini"), "[TORVEX]\nVX_domain_name=torvex.net\n");
        write(share_ + QStringLiteral("/vxphlpbs.htm"), "<html>help</html>");
        QVERIFY(QFile::setPermissions(share_ + QStringLiteral("/vxphlpbs.htm"), QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(seedFolder(share_, data_));
        QCOMPARE(read(data_ + QStringLiteral("/account.ini")), QByteArray("[TORVEX]\nVX_domain_name=torvex.net\n"));
        QCOMPARE(read(data_ + QStringLiteral("/vxphlpbs.htm")), QByteArray("<html>help</html>"));
        // The user's copies stay writable, whatever the installed ones are.
        QVERIFY(QFileInfo(data_ + QStringLiteral("/vxphlpbs.htm")).isWritable());

        write(data_ + QStringLiteral("/account.ini"), "[TORVEX]\nVX_IP_Address=10.0.0.1\n");
        QFile::remove(data_ + QStringLiteral("/vxphlpbs.htm"));
        write(share_ + QStringLiteral("/readme.txt"), "read me");
        QVERIFY(seedFolder(share_, data_));
        QCOMPARE(read(data_ + QStringLiteral("/account.ini")), QByteArray("[TORVEX]\nVX_IP_Address=10.0.0.1\n"));
        QCOMPARE(read(data_ + QStringLiteral("/vxphlpbs.htm")), QByteArray("<html>help</html>"));
        QCOMPARE(read(data_ + QStringLiteral("/readme.txt")), QByteArray("read me"));
    }

    void seedingLeavesALinkOfTheUsersAlone()
    {
        QVERIFY(QDir().mkpath(share_));
        QVERIFY(QDir().mkpath(data_));
        write(share_ + QStringLiteral("/account.ini"), "template");
        QVERIFY(QFile::link(dir_.filePath(QStringLiteral("elsewhere.ini")), data_ + QStringLiteral("/account.ini")));
        QVERIFY(seedFolder(share_, data_));
        QVERIFY(QFileInfo(data_ + QStringLiteral("/account.ini")).isSymLink());
        QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("elsewhere.ini"))));
    }

    void cleanup()
    {
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.path()));
    }

private:
    QTemporaryDir dir_;
    QString bin_;
    QString share_;
    QString data_;
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_app_paths.moc"
