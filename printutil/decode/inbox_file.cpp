#include "inbox_file.h"

#include "platform/codec/codec.h"
#include "platform/mail/mail_header.h"
#include "platform/mail/mail_multipart.h"
#include "platform/maildir/maildir_message.h"

#include <QFile>
#include <QMimeDatabase>
#include <QUuid>

namespace torvex {
namespace {

// "Name <a@b>" with only the name encoded, so the address stays readable.
QByteArray encodeMailbox(const QString& mailbox)
{
    const qsizetype open = mailbox.lastIndexOf(QLatin1Char('<'));
    if (open > 0 && mailbox.trimmed().endsWith(QLatin1Char('>'))) {
        const QString phrase = mailbox.left(open).trimmed();
        return encodeHeaderText(phrase) + " " + encodeHeaderText(mailbox.mid(open).trimmed());
    }
    return encodeHeaderText(mailbox.trimmed());
}

bool isPlainToken(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == QLatin1Char('"') || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

// The file name mail clients offer when saving: without the mailbox's
// ";" suffix and without any folder part.
QByteArray fileNameParam(const QString& attachmentName)
{
    QString name = attachmentName.section(QLatin1Char(';'), 0, 0);
    name = name.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1).trimmed();
    if (name.isEmpty() || name == QStringLiteral(".."))
        name = QStringLiteral("attachment");
    if (isPlainToken(name))
        return "filename=\"" + name.toLatin1() + "\"";
    return "filename*=utf-8''" + name.toUtf8().toPercentEncoding();
}

QByteArray mimeTypeFor(const QString& attachmentName)
{
    static const QMimeDatabase db;
    const QString name = attachmentName.section(QLatin1Char(';'), 0, 0);
    const QMimeType type = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    return type.isValid() && !type.isDefault() ? type.name().toLatin1()
                                               : QByteArrayLiteral("application/octet-stream");
}

// Base64 lines of the file, written as they are encoded: whole lines of
// 57 bytes each, read a block of lines at a time.
bool writeBase64File(const QString& path, QIODevice& out)
{
    constexpr qint64 kBlock = 57 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;  // kept, empty
    QByteArray block(kBlock, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(block.data(), kBlock)) > 0) {
        const QByteArray lines = EncodeBase64Lines(QByteArray::fromRawData(block.constData(), got));
        if (out.write(lines) != lines.size())
            return false;
    }
    return got == 0;
}

}  // namespace

bool writeInboxFile(const NewInboxMessage& message, QIODevice& file)
{
    const MultipartWriter multipart("=_torvex_" + QUuid::createUuid().toByteArray(QUuid::Id128));
    QByteArray out;
    const auto field = [&out](QByteArrayView name, const QByteArray& value) {
        out += name.toByteArray() + ": " + value + kCrLf;
    };
    field("From", encodeMailbox(message.senderName));
    QByteArrayList to;
    for (const QString& name : message.recipients) {
        QString address = name.trimmed();
        if (address.startsWith(QStringLiteral("SMTP:"), Qt::CaseInsensitive))
            address = address.mid(5);
        to << encodeMailbox(address);
    }
    if (!to.isEmpty())
        field("To", to.join(", "));
    field("Subject", encodeHeaderText(message.subject));
    if (message.timeSent.isValid())
        field("Date", formatMailDate(message.timeSent));
    const QDateTime received =
        message.timeReceived.isValid() ? message.timeReceived : QDateTime::currentDateTime();
    field(kTimeReceivedField, formatMailDate(received));
    for (const QString& name : message.recipients)
        field(kRecipientField, encodeHeaderText(name));
    if (!message.messageClass.isEmpty())
        field(kMessageClassField, encodeHeaderText(message.messageClass));
    field("MIME-Version", "1.0");
    field("Content-Type", multipart.contentType("multipart/mixed"));
    out += kCrLf;
    out += QByteArray("This is a multi-part message in MIME format.") + kCrLf;

    out += multipart.partStart();
    field("Content-Type", "text/plain; charset=utf-8");
    field("Content-Transfer-Encoding", "base64");
    out += kCrLf;
    out += EncodeBase64Lines(message.text.toUtf8());
    if (file.write(out) != out.size())
        return false;

    for (const NewInboxMessage::Attachment& attachment : message.attachments) {
        out = multipart.partStart();
        field("Content-Type", mimeTypeFor(attachment.name));
        field("Content-Disposition", "attachment; " + fileNameParam(attachment.name));
        field(kAttachmentNameField, encodeHeaderText(attachment.name));
        field("Content-Transfer-Encoding", "base64");
        out += kCrLf;
        if (file.write(out) != out.size() || !writeBase64File(attachment.sourcePath, file))
            return false;
    }
    const QByteArray end = multipart.end() + kCrLf;
    return file.write(end) == end.size();
}

}  // namespace torvex
