#include "receipt_index.h"

#include <QDir>
#include <QFile>

namespace torvex {
namespace {

// The receipt's own header and its report part come first; the received
// message's header, quoted after them, is not needed.
constexpr qint64 kReceiptHead = 8 * 1024;

QString fieldValue(const QByteArray& head, QByteArrayView name)
{
    for (const QByteArray& whole : head.split('\n')) {
        const QByteArray line = whole.trimmed();
        if (line.size() > name.size() && line.startsWith(name) && line.at(name.size()) == ':')
            return QString::fromLatin1(line.sliced(name.size() + 1).trimmed());
    }
    return {};
}

}  // namespace

ReceiptIndex ReceiptIndex::read(const QString& outFolder, const QString& mdnsFolder)
{
    ReceiptIndex index;
    for (const bool waiting : {false, true}) {
        const QDir folder(waiting ? outFolder : mdnsFolder);
        const QStringList names = folder.entryList({QStringLiteral("*.MDN")}, QDir::Files);
        for (const QString& name : names) {
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            if (waiting)
                ++index.waiting_;
            const QByteArray head = file.read(kReceiptHead);
            const QString original = fieldValue(head, "Original-Message-ID");
            if (original.isEmpty())
                continue;
            bool ok = false;
            const int pages = fieldValue(head, "X-VX-PageCount").toInt(&ok);
            index.records_.insert(original, {waiting, ok ? pages : -1});
        }
    }
    return index;
}

std::optional<ReceiptRecord> ReceiptIndex::find(const QString& messageId) const
{
    const auto it = records_.constFind(messageId.trimmed());
    if (it == records_.constEnd())
        return std::nullopt;
    return *it;
}

}  // namespace torvex
