#include "mime_decoder.h"

#include "platform/mail/header_field.h"
#include "printutil/decode/mime_decoder_names.h"

#include "platform/mail/mail_text.h"
#include "platform/mail/mime_content.h"

#include <QCoreApplication>

#include <utility>

namespace torvex {
namespace {

// A message is printed, so a header beyond this size is of no use to
// anyone; it is cut so that no input can exhaust memory. Text parts beyond
// the text's size are handed on as text files instead, never cut.
constexpr qint64 kMaxHeader = 1024 * 1024;
constexpr qsizetype kMaxBody = 8 * 1024 * 1024;
// A single-part text message in a file longer than this is taken as a
// text file.
constexpr qint64 kLongestPlainText = 30000;
constexpr int kPiecesPerYield = 64;

// Where the POP3 end-of-data line (the file's last line, ".") starts; the
// file's size when it has none.
qint64 endOfData(QFile& input)
{
    const qint64 size = input.size();
    if (!input.seek(qMax<qint64>(0, size - 5)))
        return size;
    const QByteArray tail = input.read(5);
    for (const QByteArrayView end : {QByteArrayView(".\r\n"), QByteArrayView(".\n")}) {
        if (!tail.endsWith(end))
            continue;
        const qint64 dot = size - end.size();
        const qsizetype before = tail.size() - end.size() - 1;
        if (dot == 0 || (before >= 0 && tail.at(before) == '\n'))
            return dot;
    }
    return size;
}

QString mainTypeOf(const QString& contentType)
{
    const qsizetype semicolon = contentType.indexOf(QLatin1Char(';'));
    const QString type = (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
    return type.isEmpty() ? QStringLiteral("text/plain") : type;
}

// The sender as the From field names it, display name whole and decoded
// ("Fax Gateway <gateway@example.org>"); an address alone in angle
// brackets without them.
QString senderText(const QString& from)
{
    QString sender = decodeHeaderText(from.toUtf8()).trimmed();
    if (sender.startsWith(QLatin1Char('<')) && sender.endsWith(QLatin1Char('>')))
        sender = sender.mid(1, sender.size() - 2);
    return sender;
}

}  // namespace

MimeDecoder::MimeDecoder(QString tempFolder, QString torvexAddr)
    : temp_(std::move(tempFolder)), torvexAddr_(std::move(torvexAddr)), yield_([] {
          if (QCoreApplication::instance())
              QCoreApplication::processEvents();
      })
{
}

std::optional<NewInboxMessage> MimeDecoder::decodeFile(const QString& path)
{
    headerText_.clear();
    bodyText_.clear();
    bodyBytes_ = 0;
    attachmentIndex_ = 0;
    message_ = NewInboxMessage();

    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return std::nullopt;
    message_.timeReceived = QDateTime::currentDateTime();
    const qint64 dataEnd = endOfData(input);
    const bool endLine = dataEnd < input.size();
    const MimeStructure structure = parseMimeStructure(input, dataEnd, yield_);
    const MimePart& top = structure.parts.front();

    QByteArray header;
    (void)readInputRange(input, 0, qMin(top.bodyStart, kMaxHeader), [&](QByteArrayView piece) {
        header.append(piece);
        return true;
    });
    headerText_ = mailText(header);

    const QString sender = senderText(GetHeaderField(headerText_, QStringLiteral("From: ")));
    message_.senderName = sender;
    QString subject = decodeHeaderText(GetHeaderField(headerText_, QStringLiteral("Subject: ")).toUtf8());
    if (subject.isEmpty())
        subject = QStringLiteral("TORVEX ");
    message_.subject = subject + QStringLiteral(" From: ") + sender;
    message_.timeSent = parseMailDate(GetHeaderField(headerText_, QStringLiteral("Date:")));

    const QString mainType = mainTypeOf(GetHeaderField(headerText_, QStringLiteral("Content-Type:")));
    const QString encoding = GetHeaderField(headerText_, QStringLiteral("Content-Transfer-Encoding:"));
    const bool multipart = !top.children.empty();
    bool text = false;
    // A multipart that could not be split, or a file without its encoding,
    // arrives whole as a corrupted TORVEX.
    if (!multipart && (mainType.startsWith(QLatin1String("multipart/"))
                       || (mainType == QLatin1String("application/octet-stream") && trimBlanks(encoding).isEmpty()))) {
        missingBoundary(input, top.bodyStart, dataEnd);
    } else {
        // A long single-part text is printed as the text file it is.
        const bool longText = !multipart && input.size() > kLongestPlainText;
        for (const MimeContentItem& item : mimeContent(structure)) {
            const MimePart& part = structure.parts[size_t(item.part)];
            if (item.role == MimeRole::Skipped)
                continue;
            if (item.role == MimeRole::Text && !longText && appendText(input, part, item.html)) {
                text = true;
                continue;
            }
            // Binary data that calls itself text is a file, never printed
            // as text; so is a text too large to hold.
            attachPart(input, part, item.role == MimeRole::File ? item.fileName : QStringLiteral("UNKNOWN.TXT"));
        }
    }

    QString messageText = headerText_ + kCrLf + kCrLf + bodyText_;
    if (multipart && text)
        messageText += QLatin1Char(' ');
    else if (!multipart && text && endLine)
        messageText += QStringLiteral(".\r\n");  // the end-of-data line stays as it came, after the text
    message_.text = messageText;
    message_.recipients = QStringList{QStringLiteral("SMTP:") + torvexAddr_};
    return std::move(message_);
}

void MimeDecoder::missingBoundary(QFile& input, qint64 from, qint64 to)
{
    headerText_ += QStringLiteral("X-VX-Error: MISSING BOUNDARY\r\n");
    bodyText_ = QStringLiteral("The incoming TORVEX may have been corrupted.");
    // The whole body becomes the file, as it came.
    attachRange(input, from, to, QStringLiteral("UNKNOWN.TXT"));
}

bool MimeDecoder::appendText(QFile& input, const MimePart& part, bool html)
{
    const qsizetype room = kMaxBody - bodyBytes_;
    const QByteArray bytes = partBodyBytes(input, part, room + 1);
    if (bytes.size() > room || isBinaryData(bytes))
        return false;
    bodyBytes_ += bytes.size();
    QString text = decodeCharset(bytes, part.header.parameter("Content-Type", "charset").toLatin1());
    if (html)
        text = htmlToText(text);
    text = withCrLf(text);
    // Text parts add up, each ending with a line end.
    if (!text.isEmpty() && !text.endsWith(kCrLf))
        text += kCrLf;
    bodyText_ += text;
    return true;
}

QString MimeDecoder::newAttachmentPath(const QString& name)
{
    // Every part gets a file of its own, so no later part overwrites the
    // content of an earlier one before the message is stored.
    const QString path = temp_ + attachmentFileName(++attachmentIndex_, name);
    QFile::remove(path);
    return path;
}

void MimeDecoder::attachPart(QFile& input, const MimePart& part, const QString& name)
{
    QString safe = safeAttachmentName(name);
    if (safe.isEmpty())
        safe = QStringLiteral("UNKNOWN.TXT");
    const QString target = newAttachmentPath(safe);
    QFile out(target);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        int pieces = 0;
        (void)readPartBody(input, part, [&](QByteArrayView decoded) {
            if (++pieces % kPiecesPerYield == 0 && yield_)
                yield_();
            return out.write(decoded.constData(), decoded.size()) == decoded.size();
        });
    }
    message_.attachments.push_back({safe + QLatin1Char(';'), target});
}

void MimeDecoder::attachRange(QFile& input, qint64 from, qint64 to, const QString& name)
{
    const QString target = newAttachmentPath(name);
    QFile out(target);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        (void)readInputRange(input, from, to, [&](QByteArrayView raw) {
            return out.write(raw.constData(), raw.size()) == raw.size();
        });
    }
    message_.attachments.push_back({name + QLatin1Char(';'), target});
}

bool DecodeIntoInbox(MimeDecoder& decoder, const QString& path, InboxWriter& inbox,
                     const QString& deliveryName)
{
    std::optional<NewInboxMessage> message = decoder.decodeFile(path);
    if (!message)
        return false;
    message->deliveryName = deliveryName;
    const bool stored = inbox.addToInbox(*message);
    for (const NewInboxMessage::Attachment& attachment : message->attachments)
        QFile::remove(attachment.sourcePath);
    return stored;
}

}  // namespace torvex
