#include "inbox_file.h"

#include "platform/codec.h"
#include "platform/mail_header.h"
#include "platform/maildir_message.h"

#include <QFile>
#include <QMimeDatabase>
#include <QUuid>

namespace torvex {
namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

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
    const QByteArray boundary = "=_torvex_" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray out;
    out += "From: " + encodeMailbox(message.senderName) + kCrLf;
    QByteArrayList to;
    for (const QString& name : message.recipients) {
        QString address = name.trimmed();
        if (address.startsWith(QStringLiteral("SMTP:"), Qt::CaseInsensitive))
            address = address.mid(5);
        to << encodeMailbox(address);
    }
    if (!to.isEmpty())
        out += "To: " + to.join(", ") + kCrLf;
    out += "Subject: " + encodeHeaderText(message.subject) + kCrLf;
    if (message.timeSent.isValid())
        out += "Date: " + formatMailDate(message.timeSent) + kCrLf;
    const QDateTime received =
        message.timeReceived.isValid() ? message.timeReceived : QDateTime::currentDateTime();
    out += QByteArray(kTimeReceivedField) + ": " + formatMailDate(received) + kCrLf;
    for (const QString& name : message.recipients)
        out += QByteArray(kRecipientField) + ": " + encodeHeaderText(name) + kCrLf;
    if (!message.messageClass.isEmpty())
        out += QByteArray(kMessageClassField) + ": " + encodeHeaderText(message.messageClass) + kCrLf;
    out += "MIME-Version: 1.0" + kCrLf;
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + kCrLf;
    out += kCrLf;
    out += "This is a multi-part message in MIME format." + kCrLf;

    out += kCrLf + "--" + boundary + kCrLf;
    out += "Content-Type: text/plain; charset=utf-8" + kCrLf;
    out += "Content-Transfer-Encoding: base64" + kCrLf + kCrLf;
    out += EncodeBase64Lines(message.text.toUtf8());
    if (file.write(out) != out.size())
        return false;

    for (const NewInboxMessage::Attachment& attachment : message.attachments) {
        QByteArray head = kCrLf + "--" + boundary + kCrLf;
        head += "Content-Type: " + mimeTypeFor(attachment.name) + kCrLf;
        head += "Content-Disposition: attachment; " + fileNameParam(attachment.name) + kCrLf;
        head += QByteArray(kAttachmentNameField) + ": " + encodeHeaderText(attachment.name) + kCrLf;
        head += "Content-Transfer-Encoding: base64" + kCrLf + kCrLf;
        if (file.write(head) != head.size() || !writeBase64File(attachment.sourcePath, file))
            return false;
    }
    const QByteArray end = kCrLf + "--" + boundary + "--" + kCrLf;
    return file.write(end) == end.size();
}

}  // namespace torvex
