#include "mdn_compose.h"

#include "common/service_defaults.h"
#include "common/version.h"
#include "platform/mail/mail_header.h"
#include "platform/mail/mail_multipart.h"
#include "printutil/transport/smtp_client_text.h"

#include <QLocale>

namespace torvex {
namespace {

const QString kG3FaxFrames = QStringLiteral("G3Fax-t30frame:G3Fax-frame=40,373635342033323332203330;");

QString webHostCaps()
{
    return QString::fromLatin1(kServiceWebHost).toUpper();
}

QString line(const QString& text)
{
    return text + kCrLf;
}

}  // namespace

QString dispositionText(ReceiptDisposition disposition)
{
    switch (disposition) {
    case ReceiptDisposition::Processed:
        return QStringLiteral("Processed");
    case ReceiptDisposition::Failed:
        return QStringLiteral("Failed");
    case ReceiptDisposition::CapsRequest:
        return QStringLiteral("CapsRequest");
    }
    return {};
}

QString receiptBoundary()
{
    return QStringLiteral(">>>>A_PERFECTLY_TORVEX<<courtesy>>") + webHostCaps()
        + QStringLiteral("<<<<");
}

QString messageDateText(const QDateTime& when)
{
    const QLocale c = QLocale::c();
    return c.toString(when, QStringLiteral("MM/dd/yyyy")) + QLatin1Char(' ')
        + c.toString(when, QStringLiteral("hh:mm:ss AP"));
}

QString timeStamp(const QDateTime& when)
{
    return QLocale::c().toString(when, QStringLiteral("yyyyMMddHHmmss"));
}

QString composeMdnText(const ReceiptRequest& request, const QString& recipient,
                       const QString& torvexAddr, const QDateTime& now, const QDateTime& named)
{
    const MultipartWriter multipart(receiptBoundary().toLatin1());
    const QString partStart = QString::fromLatin1(multipart.partStart());
    const QString addr = oneLine(torvexAddr);
    const QString subject = oneLine(request.subject);
    const QString disposition = dispositionText(request.disposition);
    const bool failed = request.disposition == ReceiptDisposition::Failed;
    const bool capsRequest = request.disposition == ReceiptDisposition::CapsRequest;
    const QString pageCount = oneLine(request.pageCount);

    QString t;
    // Header.
    t += line(QStringLiteral("To:") + oneLine(recipient));
    t += line(QStringLiteral("From:") + addr);
    t += line(QStringLiteral("Date:") + messageDateText(now));
    t += line(QStringLiteral("X-VX-PageCount:") + pageCount);
    t += line(QStringLiteral("X-VX-Original-Id: "));
    t += line(QStringLiteral("Message-Id: MDN.") + timeStamp(named) + QLatin1Char('.') + addr);
    // A subject in another script goes out as RFC 2047 words, as mail
    // headers must.
    const QString reply = QStringLiteral("RE: ") + subject
        + (capsRequest ? QString() : QStringLiteral(" : TORVEX confirmation."));
    t += line(QStringLiteral("Subject: ") + QString::fromLatin1(encodeHeaderText(reply)));
    t += line(QStringLiteral("MIME-Version: 1.0"));
    if (request.faxTo.isEmpty())
        t += line(QStringLiteral("Content-Type: multipart/report; report-type=disposition-notification;"));
    else
        t += line(QStringLiteral("Content-Type: message/fax"));
    t += QStringLiteral("     boundary = \"") + receiptBoundary() + QLatin1Char('"') + kCrLf;

    // First part, for people.
    t += partStart;
    t += kCrLf;
    t += QStringLiteral("The TORVEX sent on ") + oneLine(request.sentDate) + QStringLiteral(" to ")
        + addr + QStringLiteral(" with the subject \"") + subject + QLatin1Char('"');
    if (failed) {
        t += line(QStringLiteral(" could not be processed."));
        t += line(request.report);
    } else if (capsRequest) {
        t += line(QStringLiteral(" has been processed in Internet FAX Full Mode."));
    } else {
        t += line(QStringLiteral(" has been processed."));
        t += line(QStringLiteral("This is not a guarantee that the message has been read or understood."));
        t += line(QStringLiteral("For more information ") + webHostCaps() + QLatin1Char('.'));
    }

    // Second part, for machines.
    t += partStart;
    t += line(QStringLiteral("content-type: message/disposition-notification"));
    t += kCrLf;
    t += line(QStringLiteral("Reporting-UA: ") + addr + QStringLiteral("; ")
              + QString::fromLatin1(kReceiptUserAgent) + QLatin1Char(' ')
              + QString::fromLatin1(kTorvexVersion));
    t += line(QStringLiteral("Original-Recipient: rfc822;") + addr);
    t += line(QStringLiteral("Final-Recipient: rfc822;") + addr);
    t += line(QStringLiteral("Original-Message-ID: ") + oneLine(request.receivedId));

    if (request.fullMode && capsRequest) {
        t += line(QStringLiteral("Disposition: automatic-action/MDN-sent-automatically;"));
        t += line(QStringLiteral("        processed / G3Fax-capability-request"));
        t += line(kG3FaxFrames);
        t += line(QStringLiteral("        G3Fax-frame=80,004372"));
        return t + QString::fromLatin1(multipart.end() + kEndOfData);
    }
    if (request.fullMode) {
        t += line(QStringLiteral("Disposition: automatic-action/MDN-sent-automatically; "));
        t += line(QString(16, QLatin1Char(' ')) + disposition + QStringLiteral(" / G3Fax-report-request"));
        if (!failed) {
            t += line(QStringLiteral("G3Fax-Report:G3Fax-Results=00;G3Fax-Pages=") + pageCount.trimmed());
        } else if (request.failureText != QLatin1String("System Error")) {
            // The failure report's last line runs into the delimiter.
            t += line(QStringLiteral("G3Fax-Report:G3Fax-Results=02;") + kG3FaxFrames);
            t += QStringLiteral("               G3Fax-frame=80,004372");
        } else {
            t += QStringLiteral("G3Fax-Report:G3Fax-Results=01");
        }
    } else {
        t += line(QStringLiteral("Disposition: automatic-action/MDN-sent-automatically; ") + disposition);
        if (failed)
            t += line(QStringLiteral("Failure: ") + oneLine(request.failureText));
        t += line(QStringLiteral("Accept-Features: ua-media=stationary;paper-size=letter;grey=2;dpi-x=300;dpi-y=300"));
    }

    // Third part: the received message's header.
    t += partStart;
    t += line(QStringLiteral("content-type: message/rfc822"));
    t += kCrLf;
    t += request.fullHeader;
    t += request.statusLines;
    return t + QString::fromLatin1(multipart.end() + kEndOfData);
}

}  // namespace torvex
