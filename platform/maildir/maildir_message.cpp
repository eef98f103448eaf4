#include "maildir_message.h"

#include "platform/mail/mail_text.h"
#include "platform/mail/mime_content.h"

namespace torvex {
namespace {

// As much header as is ever printed; the rest stays in the file. Text parts
// beyond the text's size are presented as text files instead, never cut.
constexpr qint64 kMaxHeader = 1024 * 1024;
constexpr qsizetype kMaxText = 8 * 1024 * 1024;

}  // namespace

std::optional<MailFile> MailFile::read(const QString& path)
{
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return std::nullopt;
    MailFile mail;
    mail.file_ = file;
    mail.structure_ = parseMimeStructure(*file);
    QByteArray header;
    (void)readInputRange(*file, 0, qMin(mail.structure_.parts.front().bodyStart, kMaxHeader),
                         [&](QByteArrayView piece) {
                             header.append(piece);
                             return true;
                         });
    mail.headerText_ = withCrLf(mailText(header));

    qsizetype textBytes = 0;
    for (const MimeContentItem& item : mimeContent(mail.structure_)) {
        const MimePart& part = mail.structure_.parts[size_t(item.part)];
        if (item.role == MimeRole::Skipped)
            continue;
        if (item.role == MimeRole::Text) {
            const qsizetype room = kMaxText - textBytes;
            const QByteArray bytes = partBodyBytes(*file, part, room + 1);
            if (bytes.size() <= room && !isBinaryData(bytes)) {
                textBytes += bytes.size();
                QString text = decodeCharset(bytes, part.header.parameter("Content-Type", "charset").toLatin1());
                if (item.html)
                    text = htmlToText(text);
                // Text parts add up, each on lines of its own.
                if (!mail.text_.isEmpty() && !mail.text_.endsWith(kCrLf))
                    mail.text_ += kCrLf;
                mail.text_ += withCrLf(text);
                continue;
            }
        }
        // Binary data that calls itself text is a file, never text to
        // print; so is a text too large to hold.
        const QString source = item.role == MimeRole::File ? item.fileName : QStringLiteral("UNKNOWN.TXT");
        const QByteArray stored = part.header.field(kAttachmentNameField);
        mail.attachments_.push_back({stored.isEmpty() ? source : decodeHeaderText(stored), source, item.part});
    }
    return mail;
}

QString MailFile::messageClass() const
{
    const QString type = decodeHeaderText(header().field(kMessageClassField)).trimmed();
    return type.isEmpty() ? QString::fromLatin1(kDefaultMessageClass) : type;
}

QString MailFile::subject() const
{
    return decodeHeaderText(header().field("Subject"));
}

QString MailFile::senderAddress() const
{
    return addressOf(decodeHeaderText(header().field("From")));
}

QDateTime MailFile::timeSent() const
{
    return parseMailDate(QString::fromLatin1(header().field("Date")));
}

QDateTime MailFile::timeReceived() const
{
    const QByteArray stored = header().field(kTimeReceivedField);
    if (!stored.isEmpty())
        return parseMailDate(QString::fromLatin1(stored));
    // The newest Received: line (the first) ends in the time of arrival.
    const QByteArray received = header().field("Received");
    const qsizetype semi = received.lastIndexOf(';');
    return semi < 0 ? QDateTime() : parseMailDate(QString::fromLatin1(received.mid(semi + 1)));
}

QStringList MailFile::recipientNames() const
{
    QStringList names;
    const QList<QByteArray> stored = header().allFields(kRecipientField);
    for (const QByteArray& name : stored)
        names << decodeHeaderText(name).trimmed();
    if (!names.isEmpty())
        return names;
    for (const char* field : {"To", "Cc"}) {
        const QList<QByteArray> values = header().allFields(field);
        for (const QByteArray& value : values) {
            const QStringList mailboxes = splitAddressList(QString::fromLatin1(value));
            for (const QString& mailbox : mailboxes)
                names << decodeHeaderText(mailbox.toLatin1());
        }
    }
    return names;
}

QString MailFile::attachmentName(int index) const
{
    return index >= 0 && index < attachmentCount() ? attachments_[size_t(index)].name : QString();
}

QString MailFile::attachmentSource(int index) const
{
    return index >= 0 && index < attachmentCount() ? attachments_[size_t(index)].source : QString();
}

bool MailFile::writeAttachment(int index, const QString& target) const
{
    if (index < 0 || index >= attachmentCount())
        return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const MimePart& part = structure_.parts[size_t(attachments_[size_t(index)].part)];
    const bool read = readPartBody(*file_, part, [&](QByteArrayView decoded) {
        return out.write(decoded.constData(), decoded.size()) == decoded.size();
    });
    return read && out.flush();
}

}  // namespace torvex
