#include "receipt_index.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace torvex {
namespace {

// The receipt's own header and its report part come first; the received
// message's header, quoted after them, is not needed.
constexpr qint64 kReceiptHead = 4 * 1024;
// Clocks and time zones aside, a receipt is never named this long before
// its message arrived.
constexpr qint64 kNamingSlackSecs = 6 * 60 * 60;

QString fieldValue(const QByteArray& head, QByteArrayView name)
{
    for (const QByteArray& whole : head.split('\n')) {
        const QByteArray line = whole.trimmed();
        if (line.size() > name.size() && line.startsWith(name) && line.at(name.size()) == ':')
            return QString::fromLatin1(line.sliced(name.size() + 1).trimmed());
    }
    return {};
}

QStringList receiptNames(const QDir& folder)
{
    return folder.entryList({QStringLiteral("*.MDN")}, QDir::Files, QDir::Name);
}

}  // namespace

ReceiptIndex::ReceiptIndex(const QString& outFolder, QString mdnsFolder)
    : mdnsFolder_(std::move(mdnsFolder)), unread_(receiptNames(QDir(mdnsFolder_)))
{
    const QDir out(outFolder);
    for (const QString& name : receiptNames(out)) {
        ++waiting_;
        readReceipt(out.filePath(name), true);
    }
}

std::optional<ReceiptRecord> ReceiptIndex::find(const QString& messageId, const QDateTime& delivered)
{
    const QString id = messageId.trimmed();
    if (id.isEmpty())
        return std::nullopt;
    const QString oldest = delivered.isValid()
        ? QLocale::c().toString(delivered.addSecs(-kNamingSlackSecs), QStringLiteral("yyyyMMddHHmmss"))
        : QString();
    while (!records_.contains(id) && !unread_.isEmpty() && unread_.back() >= oldest) {
        readReceipt(mdnsFolder_ + QLatin1Char('/') + unread_.back(), false);
        unread_.removeLast();
    }
    const auto it = records_.constFind(id);
    return it == records_.constEnd() ? std::nullopt : std::optional<ReceiptRecord>(*it);
}

void ReceiptIndex::readReceipt(const QString& path, bool waiting)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray head = file.read(kReceiptHead);
    const QString original = fieldValue(head, "Original-Message-ID");
    if (original.isEmpty())
        return;
    // A receipt that waits tells more than an older copy of one sent.
    if (!waiting && records_.contains(original))
        return;
    bool ok = false;
    const int pages = fieldValue(head, "X-VX-PageCount").toInt(&ok);
    records_.insert(original, {waiting, ok ? pages : -1});
}

}  // namespace torvex
