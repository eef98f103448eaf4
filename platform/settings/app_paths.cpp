#include "app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace torvex {
namespace {

bool usesUserDataFolder(const QString& executableFolder, const QString& shareFolder)
{
    return !QFileInfo(executableFolder).isWritable() || QFileInfo(shareFolder).isDir();
}

QString userDataFolder()
{
    // The same folder for both programs, whatever each calls itself.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/torvex");
}

}  // namespace

QString chooseProgramFolder(const QString& torvexHome, const QString& executableFolder, const QString& shareFolder,
                            const QString& userDataFolder)
{
    if (!torvexHome.isEmpty())
        return QDir::cleanPath(QDir(torvexHome).absolutePath());
    if (usesUserDataFolder(executableFolder, shareFolder))
        return QDir::cleanPath(userDataFolder);
    return executableFolder;
}

QString installedShareFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(TORVEX_SHARE_FROM_BIN));
}

QString programFolder()
{
    return chooseProgramFolder(qEnvironmentVariable("TORVEX_HOME"), QCoreApplication::applicationDirPath(),
                               installedShareFolder(), userDataFolder());
}

QString inProgramFolder(const QString& name)
{
    return programFolder() + QLatin1Char('/') + name;
}

bool seedFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    bool ok = true;
    for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files)) {
        const QString target = to + QLatin1Char('/') + file.fileName();
        // exists() follows links; a dangling link is the user's too.
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
            continue;
        if (!QFile::copy(file.filePath(), target))
            ok = false;
        else
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    }
    return ok;
}

QString prepareProgramFolder()
{
    const QString folder = programFolder();
    const QString share = installedShareFolder();
    if (qEnvironmentVariableIsEmpty("TORVEX_HOME") && folder != QCoreApplication::applicationDirPath()
        && QFileInfo(share).isDir())
        seedFolder(share, folder);
    return folder;
}

}  // namespace torvex
