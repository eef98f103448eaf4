#include "run_folders.h"

#include "platform/files/private_files.h"

#include <QDir>
#include <QFile>

namespace torvex {

RunFolders runFoldersIn(const QString& programFolder)
{
    const QString base = programFolder.endsWith(QLatin1Char('/')) ? programFolder
                                                                   : programFolder + QLatin1Char('/');
    return {base + QStringLiteral("temp/"), base + QStringLiteral("In/"),
            base + QStringLiteral("Out/"), base + QStringLiteral("MDNs/")};
}

void prepareRunFolders(const RunFolders& folders, bool saveMdns)
{
    // They hold faxes and receipts: the user's alone.
    makePrivateFolder(folders.temp);
    makePrivateFolder(folders.in);
    makePrivateFolder(folders.out);
    if (saveMdns)
        makePrivateFolder(folders.mdns);
    deleteFilesIn(folders.temp);
}

void deleteFilesIn(const QString& folder)
{
    QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files)
        QFile::remove(dir.filePath(name));
}

}  // namespace torvex
