#include "sample_mail.h"

#include "platform/codec.h"

#include <QCryptographicHash>

namespace torvex::tools {

namespace {

const QByteArray kCrlf = QByteArrayLiteral("\r\n");

QByteArray withCrlf(const QString& text)
{
    QByteArray out = text.toUtf8();
    out.replace("\r\n", "\n");
    out.replace('\n', kCrlf);
    if (!out.isEmpty() && !out.endsWith(kCrlf))
        out += kCrlf;
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
    QByteArray message = "From: " + fax.from.toUtf8() + kCrlf + "To: " + fax.to.toUtf8() + kCrlf + "Subject: "
        + fax.subject.toUtf8() + kCrlf + "Date: " + fax.date.toUtf8() + kCrlf + "Message-Id: "
        + fax.messageId.toUtf8() + kCrlf + "MIME-Version: 1.0" + kCrlf;
    for (const QString& line : fax.extraHeaders)
        message += line.toUtf8() + kCrlf;

    const QByteArray textHeader = "Content-Type: text/plain; charset=us-ascii" + kCrlf
        + "Content-Transfer-Encoding: 7bit" + kCrlf;
    if (fax.attachments.empty())
        return message + textHeader + kCrlf + withCrlf(fax.body);

    const QByteArray boundary = boundaryFor(fax);
    message += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + kCrlf + kCrlf
        + "This is a multi-part message in MIME format." + kCrlf;
    message += "--" + boundary + kCrlf + textHeader + kCrlf + withCrlf(fax.body);
    for (const InternetFax::Attachment& file : fax.attachments) {
        const QByteArray name = file.name.toUtf8();
        message += "--" + boundary + kCrlf + "Content-Type: " + file.mimeType.toUtf8() + "; name=\"" + name + "\""
            + kCrlf + "Content-Transfer-Encoding: base64" + kCrlf + "Content-Disposition: attachment; filename=\""
            + name + "\"" + kCrlf + kCrlf + EncodeBase64Lines(file.content);
    }
    return message + "--" + boundary + "--" + kCrlf;
}

QStringList receiptRequestHeaders(const QString& address, bool fullMode)
{
    QStringList lines{QStringLiteral("Disposition-Notification-To: ") + address};
    if (fullMode)
        lines << QStringLiteral("Disposition-Notification-Options: G3Fax-report-request=required,boolean,true");
    return lines;
}

}  // namespace torvex::tools
