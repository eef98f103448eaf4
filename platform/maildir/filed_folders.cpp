#include "filed_folders.h"

#include "maildir_store.h"

namespace torvex {

const std::array<FiledFolder, 4>& filedFolders()
{
    static const std::array<FiledFolder, 4> folders{{
        {{QStringLiteral("TORVEXes"), QStringLiteral("Printed")}, true, false},
        {{QStringLiteral("TORVEXes"), QStringLiteral("Unprintable")}, false, false},
        {{QStringLiteral("Regular Faxes"), QStringLiteral("Printed")}, true, true},
        {{QStringLiteral("Regular Faxes"), QStringLiteral("Unprintable")}, false, true},
    }};
    return folders;
}

std::optional<FiledFolder> filedFolderOf(const QString& messageId)
{
    const qsizetype slash = messageId.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == messageId.size() - 1 || messageId.indexOf(QLatin1Char('/'), slash + 1) >= 0)
        return std::nullopt;
    const QString folderId = messageId.left(slash);
    for (const FiledFolder& folder : filedFolders()) {
        // A subfolder's ID is its directory name, whatever the root.
        if (MaildirFolder(QString(), folder.namePath).id() == folderId)
            return folder;
    }
    return std::nullopt;
}

}  // namespace torvex
