#include "fax_log.h"

#include "platform/mail/mail_header.h"
#include "platform/maildir/filed_folders.h"
#include "platform/maildir/maildir_message.h"
#include "platform/maildir/maildir_store.h"
#include "platform/print/image_pages.h"
#include "platform/print/print_device.h"
#include "platform/print/printer_list.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace torvex {
namespace {

// The seconds every Maildir unique name starts with: the time the message
// was delivered into the Inbox (0 when the name has none).
qint64 deliverySecs(const QString& baseName)
{
    qint64 seconds = 0;
    for (const QChar c : baseName) {
        if (!c.isDigit() || seconds > (qint64(1) << 40))
            break;
        seconds = seconds * 10 + c.digitValue();
    }
    return seconds;
}

MailHeader headerOf(QStringView text)
{
    MailHeader header;
    for (QStringView line : text.split(QStringLiteral("\r\n"))) {
        if (line.isEmpty())
            break;
        header.addLine(line.toUtf8());
    }
    return header;
}

// The Message-Id a receipt quotes: the stored header's, else, for mail
// fetched by POP3, the one in the received header the text begins with.
QString receivedMessageId(const MailFile& file)
{
    QByteArray id = headerOf(file.headerText()).field("Message-Id");
    if (id.isEmpty() && file.text().startsWith(QStringLiteral("+OK ")))
        id = headerOf(QStringView(file.text()).sliced(file.text().indexOf(QStringLiteral("\r\n")) + 2)).field("Message-Id");
    return QString::fromLatin1(id).trimmed();
}

bool isImageName(const QString& name)
{
    static const QStringList kImageTypes{QStringLiteral("TIF"), QStringLiteral("TIFF"), QStringLiteral("DCX"),
                                         QStringLiteral("PCX"), QStringLiteral("JPG"),  QStringLiteral("JPEG"),
                                         QStringLiteral("BMP"), QStringLiteral("PNG"),  QStringLiteral("GIF")};
    const QString type = name.section(QLatin1Char(';'), 0, 0).section(QLatin1Char('.'), -1).trimmed();
    return kImageTypes.contains(type, Qt::CaseInsensitive);
}

}  // namespace

FaxLog::FaxLog(const QString& maildirRoot, QString programFolder) : programFolder_(std::move(programFolder))
{
    if (maildirRoot.isEmpty())
        return;  // no profile: nothing filed
    for (const FiledFolder& filed : filedFolders()) {
        const MaildirFolder folder(maildirRoot, filed.namePath);
        const QString id = folder.id() + QLatin1Char('/');
        const QString path = folder.path() + QLatin1Char('/');
        for (const MaildirEntry& message : folder.messages()) {
            FaxLogEntry entry;
            entry.messageId = id + message.baseName;
            entry.filePath = path + message.subdir + QLatin1Char('/') + message.fileName;
            const qint64 delivered = deliverySecs(message.baseName);
            if (delivered > 0)
                entry.received = QDateTime::fromSecsSinceEpoch(delivered);
            entry.printed = filed.printed;
            entry.regularFax = filed.regularFax;
            items_.push_back({std::move(entry), delivered, false});
        }
    }
    std::ranges::stable_sort(items_, [](const Item& a, const Item& b) { return a.delivered > b.delivered; });
}

FaxLog::~FaxLog() = default;
FaxLog::FaxLog(FaxLog&&) noexcept = default;
FaxLog& FaxLog::operator=(FaxLog&&) noexcept = default;

const FaxLogEntry& FaxLog::entry(int row)
{
    Item& item = items_.at(size_t(row));
    if (!item.read)
        readDetails(item);
    return item.entry;
}

void FaxLog::readDetails(Item& item)
{
    item.read = true;
    FaxLogEntry& entry = item.entry;
    const std::optional<MailFile> file = MailFile::read(entry.filePath);
    if (!file)
        return;  // moved away since the listing: shown with what is known
    const MailHeader header = headerOf(file->headerText());
    entry.sender = decodeHeaderText(header.field("From")).trimmed();
    entry.subject = decodeHeaderText(header.field("Subject")).trimmed();
    if (const QDateTime received = file->timeReceived(); received.isValid())
        entry.received = received;

    if (!receipts_)
        receipts_.emplace(programFolder_ + QStringLiteral("/Out"), programFolder_ + QStringLiteral("/MDNs"));
    if (const std::optional<ReceiptRecord> receipt = receipts_->find(receivedMessageId(*file),
                                                                     item.delivered > 0 ? QDateTime::fromSecsSinceEpoch(item.delivered) : QDateTime())) {
        entry.receipt = receipt->waiting ? ReceiptState::Waiting : ReceiptState::Sent;
        entry.pages = receipt->pages;
    }
    if (entry.pages >= 0)
        return;
    // Without a receipt to say, the pages of its fax files.
    int pages = 0;
    const QString path = scratch().filePath(QStringLiteral("pages"));
    for (int a = 0; a < file->attachmentCount(); ++a) {
        if (!isImageName(file->attachmentName(a)) || !file->writeAttachment(a, path))
            continue;
        if (const auto images = openImagePages(path, nullptr))
            pages += images->pageCount();
    }
    QFile::remove(path);
    if (pages > 0)
        entry.pages = pages;
}

QStringList FaxLog::writeFaxFiles(int row)
{
    const std::optional<MailFile> file = MailFile::read(entry(row).filePath);
    QStringList written;
    if (!file)
        return written;
    for (int a = 0; a < file->attachmentCount(); ++a) {
        // The name the sender gave, made safe: no folder part.
        const QString name = file->attachmentSource(a).section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
        // Only what a viewer shows: never a file the desktop would run.
        if (!isImageName(name) && !name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)
            && !name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            continue;
        const QString path = scratch().filePath(QStringLiteral("%1-%2").arg(row).arg(name));
        if (file->writeAttachment(a, path))
            written << path;
    }
    return written;
}

QStringList FaxLog::printouts(int row) const
{
    return printoutsOf(pdfPrintoutFolder(), items_.at(size_t(row)).entry.messageId.section(QLatin1Char('/'), -1));
}

QTemporaryDir& FaxLog::scratch()
{
    if (!scratch_)
        scratch_ = std::make_unique<QTemporaryDir>();
    return *scratch_;
}

}  // namespace torvex
