#include "header_block.h"

#include "printutil/receipt/mdn_compose.h"

#include "platform/mail/mail_text.h"

#include <QStringList>

namespace torvex {
namespace {

const QString kTab = QStringLiteral("\t");

}  // namespace

QString statusLine(const QString& name, const char* outcome)
{
    return kTab + name.toUpper() + kTab + QString::fromLatin1(outcome) + kCrLf;
}

QString printedDate(const QDateTime& when)
{
    return when.isValid() ? messageDateText(when) : QString();
}

QString headerBlock(const HeaderBlockFields& fields)
{
    QString block = QString::fromLatin1(kCrLf).repeated(3);
    block += QStringLiteral("To:") + kTab + kTab + fields.torvexAddr + kCrLf;
    block += QStringLiteral("From:") + kTab + kTab + fields.sender + kCrLf;
    block += QStringLiteral("Sent:") + kTab + kTab + fields.sent + kCrLf;
    block += QStringLiteral("Received:") + kTab + fields.received + kCrLf;
    block += QStringLiteral("Processed:") + kTab + fields.processed + kCrLf;
    if (!fields.statusLines.isEmpty())
        block += QStringLiteral("TORVEXes:") + kCrLf + kTab + kTab + fields.statusLines;
    block += fields.vcardText;
    block += kCrLf;
    block += QStringLiteral("Subject:") + kTab + fields.subject + kCrLf;
    return block;
}

QString regularFaxErrorReport(const QString& sender, const QString& sent, const QString& received,
                              const QString& subject)
{
    return QStringList{
        QStringLiteral("TORVEX Print Error Report"),
        QString(),
        QStringLiteral("From:") + kTab + kTab + sender,
        QStringLiteral("Sent:") + kTab + kTab + sent,
        QStringLiteral("Received:") + kTab + received,
        QStringLiteral("Subject:") + kTab + subject,
        QString(),
        QStringLiteral("TORVEX Print was unable to print this Regular Fax!"),
        QStringLiteral("It will be moved to the folder 'Regular Faxes | Unprintable'."),
        QStringLiteral("Please try printing manually."),
    }.join(kCrLf);
}

QString normalisedFileType(const QString& type)
{
    const QString upper = type.toUpper();
    if (upper == QStringLiteral("TIFF"))
        return QStringLiteral("TIF");
    if (upper == QStringLiteral("XIFF"))
        return QStringLiteral("XIF");
    if (upper == QStringLiteral("JPEG"))
        return QStringLiteral("JPG");
    return upper;
}

QString numberedFileName(int attachment, const QString& type)
{
    return QStringLiteral("%1.%2").arg(attachment, 4, 10, QLatin1Char('0')).arg(type);
}

}  // namespace torvex
