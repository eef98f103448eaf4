#include "sample_mail.h"

#include "platform/codec/codec.h"
#include "platform/mail/mail_multipart.h"

#include <QCryptographicHash>

namespace torvex::tools {

namespace {

QByteArray withCrlf(const QString& text)
{
    QByteArray out = text.toUtf8();
    out.replace("\r\n", "\n");
    out.replace('\n', kCrLf);
    if (!out.isEmpty() && !out.endsWith(kCrLf))
        out += kCrLf;
    return out;
}

// Never found inside base64 text or in the sample bodies.
QByteArray boundaryFor(const InternetFax& fax)
{
    const QByteArray digest = QCryptographicHash::hash((fax.messageId + fax.subject).toUtf8(), QCryptographicHash::Sha1);
    return "=_torvex_" + digest.toHex().left(16);
}

}  // namespace

QByteArray composeInternetFax(const InternetFax& fax)
{
    QByteArray message;
    const auto field = [&message](QByteArrayView name, const QByteArray& value) {
        message += name.toByteArray() + ": " + value + kCrLf;
    };
    field("From", fax.from.toUtf8());
    field("To", fax.to.toUtf8());
    field("Subject", fax.subject.toUtf8());
    field("Date", fax.date.toUtf8());
    field("Message-Id", fax.messageId.toUtf8());
    field("MIME-Version", "1.0");
    for (const QString& line : fax.extraHeaders)
        message += line.toUtf8() + kCrLf;

    const auto textPart = [&] {
        field("Content-Type", "text/plain; charset=us-ascii");
        field("Content-Transfer-Encoding", "7bit");
        message += kCrLf + withCrlf(fax.body);
    };
    if (fax.attachments.empty()) {
        textPart();
        return message;
    }
    const MultipartWriter multipart(boundaryFor(fax));
    field("Content-Type", multipart.contentType("multipart/mixed"));
    message += kCrLf;
    message += QByteArray("This is a multi-part message in MIME format.");
    message += multipart.partStart();
    textPart();
    for (const InternetFax::Attachment& file : fax.attachments) {
        const QByteArray name = file.name.toUtf8();
        message += multipart.partStart();
        field("Content-Type", file.mimeType.toUtf8() + "; name=\"" + name + '"');
        field("Content-Transfer-Encoding", "base64");
        field("Content-Disposition", "attachment; filename=\"" + name + '"');
        message += kCrLf + EncodeBase64Lines(file.content);
    }
    return message + multipart.end() + kCrLf;
}

QStringList receiptRequestHeaders(const QString& address, bool fullMode)
{
    QStringList lines{QStringLiteral("Disposition-Notification-To: ") + address};
    if (fullMode)
        lines << QStringLiteral("Disposition-Notification-Options: G3Fax-report-request=required,boolean,true");
    return lines;
}

}  // namespace torvex::tools
