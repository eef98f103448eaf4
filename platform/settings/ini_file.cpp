#include "ini_file.h"

#include "platform/desktop/time_scale.h"
#include "platform/files/durable_file.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

namespace torvex {
namespace {

constexpr int kLockWaitMs = 5000;

// Where one key sits in the file's bytes.
struct KeyLocation {
    qsizetype sectionEnd = -1;  // offset just past the section's last line
    qsizetype lineStart = -1;   // offset of the key's line
    qsizetype lineEnd = -1;     // offset just past the key's line (with its LF)
    QByteArray value;           // the stored (escaped) value
};

[[nodiscard]] QByteArray trimmedAscii(QByteArrayView text)
{
    return text.trimmed().toByteArray();
}

[[nodiscard]] bool sameName(QByteArrayView a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Finds the section and, inside it, the key. Anything that is neither a
// section header nor a key line (comments, garbage) is skipped.
[[nodiscard]] KeyLocation locate(const QByteArray& data, const QByteArray& section,
                                 const QByteArray& key)
{
    KeyLocation where;
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype lf = data.indexOf('\n', pos);
        const qsizetype next = lf < 0 ? data.size() : lf + 1;
        QByteArrayView line(data.constData() + pos, (lf < 0 ? data.size() : lf) - pos);
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArrayView trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            if (close > 0) {
                if (inSection)
                    return where;  // key not in its section
                inSection = sameName(trimmedAscii(trimmed.sliced(1, close - 1)), section);
                if (inSection)
                    where.sectionEnd = next;
                pos = next;
                continue;
            }
        }
        if (inSection) {
            if (!trimmed.isEmpty())
                where.sectionEnd = next;
            const qsizetype eq = line.indexOf('=');
            if (eq > 0 && !trimmed.startsWith(';') && sameName(trimmedAscii(line.first(eq)), key)) {
                where.lineStart = pos;
                where.lineEnd = next;
                where.value = line.sliced(eq + 1).toByteArray();
                return where;
            }
        }
        pos = next;
    }
    return where;
}

[[nodiscard]] QByteArray escape(const QString& value)
{
    QByteArray out;
    const QByteArray utf8 = value.toUtf8();
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

[[nodiscard]] QString unescape(const QByteArray& stored)
{
    QByteArray out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c == '\\' && i + 1 < stored.size()) {
            const char n = stored[i + 1];
            if (n == '\\' || n == 'r' || n == 'n') {
                out += n == '\\' ? '\\' : (n == 'r' ? '\r' : '\n');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return QString::fromUtf8(out);
}

[[nodiscard]] std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// Holds an exclusive flock on "<file>.lock" for its lifetime, waiting for
// it a few seconds at most: a writer that hangs holding it must not hang
// every other writer.
class FileLock {
public:
    explicit FileLock(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_ < 0)
            return;
        QDeadlineTimer wait(scaledMs(kLockWaitMs));
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || wait.hasExpired()) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
            QThread::msleep(1);
        }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    [[nodiscard]] bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

// The file a path names, through a symbolic link: the lock and the new
// content belong to the target.
QString resolvedPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

void reportWriteFailure(const QString& path, const QString& key, const char* why)
{
    qWarning("%s: %s not written: %s", qPrintable(path), qPrintable(key), why);
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

QString IniFile::read(const QString& section, const QString& key,
                      const QString& defaultValue) const
{
    const std::optional<QByteArray> data = readAll(path_);
    if (!data)
        return defaultValue;
    const KeyLocation where = locate(*data, section.toUtf8().trimmed(), key.toUtf8().trimmed());
    if (where.lineStart < 0)
        return defaultValue;
    return unescape(where.value);
}

bool IniFile::write(const QString& section, const QString& key, const QString& value) const
{
    const QString target = resolvedPath(path_);
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        reportWriteFailure(path_, key, "its folder cannot be made");
        return false;
    }
    const FileLock lock(target + QStringLiteral(".lock"));
    if (!lock.held()) {
        reportWriteFailure(path_, key, "another writer holds the lock");
        return false;
    }

    QByteArray data = readAll(target).value_or(QByteArray());
    const QByteArray sectionName = section.toUtf8().trimmed();
    const QByteArray keyName = key.toUtf8().trimmed();
    const QByteArray line = keyName + '=' + escape(value) + '\n';
    const KeyLocation where = locate(data, sectionName, keyName);
    if (where.lineStart >= 0) {
        data.replace(where.lineStart, where.lineEnd - where.lineStart, line);
    } else if (where.sectionEnd >= 0) {
        qsizetype at = where.sectionEnd;
        if (at > 0 && data[at - 1] != '\n')
            data.insert(at++, '\n');
        data.insert(at, line);
    } else {
        if (!data.isEmpty() && !data.endsWith('\n'))
            data += '\n';
        data += '[' + sectionName + "]\n" + line;
    }
    switch (replaceFileContent(target, data)) {
    case FileWriteError::None:
        return true;
    case FileWriteError::ReadOnly:
        reportWriteFailure(path_, key, "the file is read-only");
        return false;
    case FileWriteError::CannotWrite:
        break;
    }
    reportWriteFailure(path_, key, "the file cannot be written");
    return false;
}

}  // namespace torvex
