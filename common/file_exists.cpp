#include "file_exists.h"

#include <QFile>

#include <sys/stat.h>

#include <cerrno>

namespace torvex {

bool FileExists(const QString& path, qint32& errorNumber)
{
    errorNumber = 0;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        errorNumber = errno != 0 ? errno : ENOENT;
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        errorNumber = EISDIR;
        return false;
    }
    // "Normal" attributes: the owner may read and write the file.
    if (::chmod(name.constData(), (info.st_mode & 07777) | S_IRUSR | S_IWUSR) != 0)
        errorNumber = errno;
    return errorNumber == 0;
}

}  // namespace torvex
