#include "durable_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvex {
namespace {

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool writeAndClose(int fd, QByteArrayView bytes)
{
    const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}  // namespace

FileWriteError replaceFileContent(const QString& path, QByteArrayView content)
{
    // Through a link to the file it names, so the link is not replaced by
    // a file of its own.
    const QFileInfo info(path);
    QString target = path;
    if (info.isSymLink()) {
        target = info.canonicalFilePath();  // empty while the link dangles
        if (target.isEmpty())
            target = info.symLinkTarget();
    }
    const QByteArray targetName = QFile::encodeName(target);
    mode_t mode = 0600;
    struct stat existing {};
    if (::stat(targetName.constData(), &existing) == 0) {
        // Read-only for its owner counts even for one who could write it
        // anyway (root), as a read-only file does on Windows.
        if ((existing.st_mode & S_IWUSR) == 0 || ::access(targetName.constData(), W_OK) != 0)
            return FileWriteError::ReadOnly;
        mode = existing.st_mode & 07777;
    }
    const QByteArray temp = targetName + ".tmp." + QByteArray::number(::getpid());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return FileWriteError::CannotWrite;
    // The mode is set on the open file, whatever the umask made of it.
    bool ok = ::fchmod(fd, mode) == 0;
    ok = writeAndClose(fd, content) && ok;
    ok = ok && ::rename(temp.constData(), targetName.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return FileWriteError::CannotWrite;
    }
    syncDirectory(QFileInfo(target).absolutePath());
    return FileWriteError::None;
}

bool appendDurably(const QString& path, QByteArrayView bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    return fd >= 0 && writeAndClose(fd, bytes);
}

bool writeDurably(const QString& path, QByteArrayView content)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || !writeAndClose(fd, content))
        return false;
    syncDirectory(QFileInfo(path).absolutePath());
    return true;
}

void syncDirectory(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace torvex
