#include "private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace torvex {

void keepCreatedFilesPrivate()
{
    ::umask(077);
}

bool makePrivateFolder(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList missing;
    for (QString folder = absolute; !folder.isEmpty() && !QFileInfo(folder).exists();
         folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (folder == QFileInfo(folder).path())
            break;
    }
    for (const QString& folder : missing)
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
    if (!QFileInfo(absolute).isDir())
        return false;
    ::chmod(QFile::encodeName(absolute).constData(), 0700);
    return true;
}

}  // namespace torvex
