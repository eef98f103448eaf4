#include "maildir_profile.h"

#include "platform/settings/ini_file.h"

#include <QDir>
#include <QFileInfo>

namespace torvex {
namespace {

QString profilesFolder(const QString& programFolder)
{
    return programFolder + QStringLiteral("/profiles");
}

bool isSafeProfileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QStringLiteral(".")
        && name != QStringLiteral("..");
}

QString resolveMaildirPath(const QString& value, const QString& profileFolder)
{
    QString path = value.trimmed();
    if (path == QStringLiteral("~") || path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    if (QDir::isRelativePath(path))
        path = profileFolder + QLatin1Char('/') + path;
    return QDir::cleanPath(path);
}

}  // namespace

std::optional<MailboxProfile> findMailboxProfile(const QString& programFolder, const QString& name)
{
    if (!isSafeProfileName(name))
        return std::nullopt;
    const QString folder = profilesFolder(programFolder) + QLatin1Char('/') + name;
    if (!QFileInfo(folder).isDir())
        return std::nullopt;
    MailboxProfile profile{name, folder, folder, QString()};
    const IniFile ini(folder + QStringLiteral("/profile.ini"));
    const QString maildir = ini.read(QStringLiteral("Profile"), QStringLiteral("Maildir"), QString());
    if (!maildir.trimmed().isEmpty())
        profile.maildir = resolveMaildirPath(maildir, folder);
    profile.deliverCommand =
        ini.read(QStringLiteral("Profile"), QStringLiteral("Deliver"), QString()).trimmed();
    return profile;
}

QStringList mailboxProfileNames(const QString& programFolder)
{
    return QDir(profilesFolder(programFolder)).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace torvex
