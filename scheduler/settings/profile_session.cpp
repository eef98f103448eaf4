#include "scheduler/settings/profile_session.h"

#include "platform/desktop/message_box.h"
#include "platform/maildir/maildir_profile.h"
#include "platform/settings/app_paths.h"
#include "scheduler/core/core_environment.h"
#include "scheduler/core/program_title.h"

#include <QDir>

namespace torvex {

QString profilesFolder()
{
    return inProgramFolder(QStringLiteral("profiles"));
}

QStringList profileNames()
{
    return mailboxProfileNames(programFolder());
}

bool isValidProfileName(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.startsWith(QLatin1Char('.'))
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && !name.contains(QChar(0));
}

bool createProfile(const QString& name)
{
    if (!isValidProfileName(name))
        return false;
    const QDir profile(profilesFolder() + QLatin1Char('/') + name);
    for (const char* sub : {"cur", "new", "tmp"})
        if (!profile.mkpath(QString::fromLatin1(sub)))
            return false;
    return true;
}

std::optional<QString> ProfileLogon(const QString& profileName, ProfileChooser& chooser)
{
    QString wanted = profileName;
    if (wanted == QLatin1String(" ")) {
        wanted = chooser.choose(profilesFolder());
        if (wanted.isEmpty())
            return std::nullopt;
    }
    for (const QString& name : profileNames())
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return std::nullopt;
}

QString ChooseProfile(MessageBoxes& boxes, ProfileChooser& chooser)
{
    boxes.beep();
    boxes.show(QStringLiteral("This version of TORVEX uses the Inbox on your desktop to store "
                              "TORVEXes.\r\n\r\nIt works with MS Windows Messaging and MS Outlook "
                              "but NOT MS Outlook Express.\r\n\r\nYou can choose an existing "
                              "profile or set up a new one.\r\n"),
               programTitle(), MsgButtons::Ok, MsgIcon::None);
    return ProfileLogon(QStringLiteral(" "), chooser).value_or(QString());
}

}  // namespace torvex
