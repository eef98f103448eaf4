#include "file_exists.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

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
    // "Normal" attributes: the owner may read and write the file. Only the
    // owner can change them; a file installed by another user (the print
    // utility under /usr/bin) still exists, so a refused change is no error.
    const mode_t normal = (info.st_mode & 07777) | S_IRUSR | S_IWUSR;
    if (normal != (info.st_mode & 07777) && info.st_uid == ::geteuid())
        (void)::chmod(name.constData(), normal);
    return true;
}

}  // namespace torvex
