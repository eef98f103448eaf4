#include "maildir_store.h"

#include "platform/files/durable_file.h"
#include "platform/files/private_files.h"
#include "platform/maildir/maildir_folder_name.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace torvex {
namespace {

const QString kNew = QStringLiteral("new");
const QString kCur = QStringLiteral("cur");
const QString kTmp = QStringLiteral("tmp");
const QString kRootId = QStringLiteral("INBOX");

QString baseNameOf(const QString& fileName)
{
    const qsizetype colon = fileName.indexOf(QLatin1Char(':'));
    return colon < 0 ? fileName : fileName.left(colon);
}

QString infoOf(const QString& fileName)
{
    const qsizetype colon = fileName.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : fileName.mid(colon);
}

QString dirNameFor(const QStringList& namePath)
{
    QString dir;
    for (const QString& name : namePath)
        dir += QLatin1Char('.') + encodeMaildirFolderName(name);
    return dir;
}

qint64 deliveryTimeOf(const QString& baseName)
{
    qsizetype digits = 0;
    while (digits < baseName.size() && baseName.at(digits).isDigit())
        ++digits;
    return digits == 0 ? 0 : baseName.left(digits).toLongLong();
}

// rename() that never replaces an existing file. Where the file system
// cannot refuse atomically, a check right before the rename stands in:
// unique names make a race with another writer of the same name remote.
bool renameNoReplace(const QString& from, const QString& to, int* error)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    *error = errno;
    if (*error != EINVAL && *error != ENOSYS)
        return false;
    if (::access(dst.constData(), F_OK) == 0) {
        *error = EEXIST;
        return false;
    }
    if (::rename(src.constData(), dst.constData()) == 0)
        return true;
    *error = errno;
    return false;
}

// Renames into the target folder, taking a fresh unique name when the old
// one is taken there. Returns the base name used.
std::optional<QString> renameInto(const QString& sourceFile, const QString& targetDir,
                                  const QString& baseName, const QString& info)
{
    QString name = baseName;
    for (int attempt = 0; attempt < 5; ++attempt) {
        int error = 0;
        if (renameNoReplace(sourceFile, targetDir + QLatin1Char('/') + name + info, &error)) {
            syncDirectory(targetDir);
            return name;
        }
        if (error != EEXIST)
            return std::nullopt;
        name = newMaildirUniqueName();
    }
    return std::nullopt;
}

}  // namespace

MaildirFolder::MaildirFolder(QString rootPath, QStringList namePath)
    : rootPath_(std::move(rootPath)), namePath_(std::move(namePath))
{
}

QString MaildirFolder::id() const
{
    return isRoot() ? kRootId : dirNameFor(namePath_);
}

QString MaildirFolder::name() const
{
    return isRoot() ? kRootId : namePath_.last();
}

QString MaildirFolder::path() const
{
    return isRoot() ? rootPath_ : rootPath_ + QLatin1Char('/') + dirNameFor(namePath_);
}

bool MaildirFolder::exists() const
{
    const QString base = path() + QLatin1Char('/');
    return QFileInfo(base + kNew).isDir() && QFileInfo(base + kCur).isDir()
        && QFileInfo(base + kTmp).isDir();
}

bool MaildirFolder::create() const
{
    const QString base = path() + QLatin1Char('/');
    for (const QString& sub : {kTmp, kNew, kCur}) {
        if (!QFileInfo(base + sub).isDir())
            makePrivateFolder(base + sub);
    }
    if (!isRoot()) {
        QFile mark(base + QStringLiteral("maildirfolder"));
        if (!mark.exists() && mark.open(QIODevice::WriteOnly))
            mark.close();
    }
    return exists();
}

std::vector<MaildirEntry> MaildirFolder::messages() const
{
    // Names only, each time taken once: a folder of many thousands lists
    // in a few milliseconds.
    std::vector<std::pair<qint64, MaildirEntry>> timed;
    for (const QString& sub : {kNew, kCur}) {
        QDirIterator it(path() + QLatin1Char('/') + sub, QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            it.next();
            const QString file = it.fileName();
            if (file.startsWith(QLatin1Char('.')))
                continue;
            QString baseName = baseNameOf(file);
            const qint64 time = deliveryTimeOf(baseName);
            timed.push_back({time, {std::move(baseName), sub, file}});
        }
    }
    std::sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.baseName < b.second.baseName;
    });
    std::vector<MaildirEntry> entries;
    entries.reserve(timed.size());
    for (auto& [time, entry] : timed)
        entries.push_back(std::move(entry));
    return entries;
}

std::optional<MaildirEntry> MaildirFolder::find(const QString& baseName) const
{
    if (baseName.isEmpty() || baseName.contains(QLatin1Char('/')) || baseName.startsWith(QLatin1Char('.')))
        return std::nullopt;
    for (const QString& sub : {kNew, kCur}) {
        const QStringList files = QDir(path() + QLatin1Char('/') + sub).entryList(QDir::Files);
        for (const QString& file : files) {
            if (baseNameOf(file) == baseName)
                return MaildirEntry{baseName, sub, file};
        }
    }
    return std::nullopt;
}

QString MaildirFolder::filePath(const MaildirEntry& entry) const
{
    return path() + QLatin1Char('/') + entry.subdir + QLatin1Char('/') + entry.fileName;
}

std::vector<MaildirFolder> MaildirFolder::children() const
{
    std::vector<MaildirFolder> result;
    const QString prefix = dirNameFor(namePath_) + QLatin1Char('.');
    const QStringList dirs = QDir(rootPath_).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& dir : dirs) {
        if (!dir.startsWith(prefix))
            continue;
        const QString component = dir.mid(prefix.size());
        if (component.isEmpty() || component.contains(QLatin1Char('.')))
            continue;
        QStringList childPath = namePath_;
        childPath << decodeMaildirFolderName(component);
        result.emplace_back(rootPath_, childPath);
    }
    return result;
}

MaildirFolder MaildirFolder::child(const QString& name) const
{
    QStringList childPath = namePath_;
    childPath << name;
    return {rootPath_, childPath};
}

std::optional<MaildirFolder> maildirFolderForId(const QString& rootPath, const QString& id)
{
    if (id == kRootId)
        return MaildirFolder(rootPath, {});
    if (!id.startsWith(QLatin1Char('.')) || id.contains(QLatin1Char('/')) || id.size() < 2)
        return std::nullopt;
    const QStringList components = id.mid(1).split(QLatin1Char('.'));
    QStringList namePath;
    for (const QString& component : components) {
        if (component.isEmpty())
            return std::nullopt;
        namePath << decodeMaildirFolderName(component);
    }
    MaildirFolder folder(rootPath, namePath);
    if (folder.id() != id)
        return std::nullopt;  // not a name we would have written
    return folder;
}

QString newMaildirUniqueName()
{
    static std::atomic<unsigned> sequence{0};
    timeval now{};
    ::gettimeofday(&now, nullptr);
    QString host = QHostInfo::localHostName();
    host.replace(QLatin1Char('/'), QStringLiteral("\\057")).replace(QLatin1Char(':'), QStringLiteral("\\072"));
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    return QStringLiteral("%1.M%2P%3Q%4.%5")
        .arg(qint64(now.tv_sec))
        .arg(qint64(now.tv_usec), 6, 10, QLatin1Char('0'))
        .arg(qint64(::getpid()))
        .arg(++sequence)
        .arg(host);
}

std::optional<QString> deliverToMaildir(const MaildirFolder& folder, const QByteArray& content,
                                        const QString& wantedName)
{
    return deliverToMaildir(
        folder, [&content](QIODevice& file) { return file.write(content) == content.size(); }, wantedName);
}

std::optional<QString> deliverToMaildir(const MaildirFolder& folder, const std::function<bool(QIODevice&)>& write,
                                        const QString& wantedName)
{
    if (!folder.exists())
        return std::nullopt;
    if (!wantedName.isEmpty()) {
        if (wantedName.contains(QLatin1Char('/')) || wantedName.contains(QLatin1Char(':'))
            || wantedName.startsWith(QLatin1Char('.')))
            return std::nullopt;
        if (folder.find(wantedName))
            return wantedName;
    }
    const QString baseName = wantedName.isEmpty() ? newMaildirUniqueName() : wantedName;
    const QString tmpPath = folder.path() + QLatin1Char('/') + kTmp + QLatin1Char('/') + baseName;
    {
        QFile file(tmpPath);
        // A named delivery cut short left its tmp/ file: it is written anew.
        const QIODevice::OpenMode mode = wantedName.isEmpty() ? QIODevice::NewOnly : QIODevice::Truncate;
        if (!file.open(QIODevice::WriteOnly | mode))
            return std::nullopt;
        const bool written = write(file) && file.flush() && ::fsync(file.handle()) == 0;
        file.close();
        if (!written) {
            QFile::remove(tmpPath);
            return std::nullopt;
        }
    }
    const auto delivered = renameInto(tmpPath, folder.path() + QLatin1Char('/') + kNew, baseName, QString());
    if (!delivered)
        QFile::remove(tmpPath);
    return delivered;
}

std::optional<QString> moveMaildirMessage(const MaildirFolder& from, const QString& baseName,
                                          const MaildirFolder& to)
{
    const auto entry = from.find(baseName);
    if (!entry || !to.exists())
        return std::nullopt;
    if (from.path() == to.path())
        return baseName;
    const auto moved = renameInto(from.filePath(*entry), to.path() + QLatin1Char('/') + entry->subdir,
                                  entry->baseName, infoOf(entry->fileName));
    if (moved)
        syncDirectory(from.path() + QLatin1Char('/') + entry->subdir);
    return moved;
}

std::optional<QString> markMaildirSeen(const MaildirFolder& folder, const QString& baseName)
{
    const auto entry = folder.find(baseName);
    if (!entry)
        return std::nullopt;
    QString info = infoOf(entry->fileName);
    if (!info.startsWith(QStringLiteral(":2,")))
        info = QStringLiteral(":2,");
    QString flags = info.mid(3);
    if (entry->subdir == kCur && flags.contains(QLatin1Char('S')))
        return baseName;
    if (!flags.contains(QLatin1Char('S')))
        flags += QLatin1Char('S');
    std::sort(flags.begin(), flags.end());
    const QString target = folder.path() + QLatin1Char('/') + kCur;
    int error = 0;
    if (renameNoReplace(folder.filePath(*entry), target + QLatin1Char('/') + baseName + QStringLiteral(":2,") + flags, &error)) {
        syncDirectory(target);
        return baseName;
    }
    return std::nullopt;
}

}  // namespace torvex
