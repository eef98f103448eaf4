#include "pop3_uidl_record.h"

#include "platform/files/durable_file.h"

#include <QFile>

#include <utility>

namespace torvex {

QString uidlRecordPathFor(const QString& inFolder)
{
    QString folder = inFolder;
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder + QStringLiteral(".uidl");
}

UidlRecord::UidlRecord(QString path, const QString& mailbox)
    : path_(std::move(path)), header_("mailbox " + mailbox.toUtf8())
{
}

void UidlRecord::load()
{
    ids_.clear();
    onDisk_ = false;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    qsizetype start = 0;
    bool first = true;
    for (qsizetype end = content.indexOf('\n'); end >= 0; end = content.indexOf('\n', start)) {
        const QByteArray line = content.mid(start, end - start);
        start = end + 1;
        if (first) {
            if (line != header_)
                return;  // another mailbox's ids
            first = false;
            onDisk_ = true;
            continue;
        }
        if (!line.isEmpty())
            ids_.insert(line);
    }
}

bool UidlRecord::add(const QByteArray& uid)
{
    if (uid.isEmpty() || uid.contains('\n'))
        return false;
    ids_.insert(uid);
    if (!onDisk_)
        return rewrite();
    return appendDurably(path_, uid + '\n');
}

bool UidlRecord::retainOnly(const QSet<QByteArray>& listed)
{
    ids_.intersect(listed);
    return rewrite();
}

bool UidlRecord::forget(const QSet<QByteArray>& deleted)
{
    if (!ids_.intersects(deleted))
        return true;
    ids_.subtract(deleted);
    return rewrite();
}

bool UidlRecord::rewrite()
{
    QByteArray content = header_ + '\n';
    for (const QByteArray& id : std::as_const(ids_))
        content += id + '\n';
    onDisk_ = replaceFileContent(path_, content) == FileWriteError::None;
    return onDisk_;
}

}  // namespace torvex
