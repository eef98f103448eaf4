#include "message_handler.h"

#include "platform/mail/header_field.h"
#include "printutil/print/header_block.h"
#include "printutil/print/text_layout.h"
#include "printutil/run/run_folders.h"
#include "printutil/transport/smtp_server_selection.h"

#include "platform/mail/mail_header.h"
#include "platform/mail/mail_text.h"

#include <QDir>
#include <QFile>

#include <map>
#include <vector>

namespace torvex {
namespace {

constexpr qint64 kMessageBoundMs = 30 * 60 * 1000;

bool containsNoCase(const QString& text, const QString& part)
{
    return text.contains(part, Qt::CaseInsensitive);
}

// An accepted attachment: a column of goodFaxFiles.
struct GoodFaxFile {
    int attachment = 0;  // 1-based
    QString type;        // normalised, upper case
    bool isText = false;
    QString name;        // upper case
};

bool isAdmittedType(const TelvaneInfo& info, const QString& type)
{
    const int count = qMin<int>(info.Print_File_Types_Count, int(info.Print_File_Types.size()));
    for (int i = 0; i < count; ++i) {
        if (info.Print_File_Types.at(i).compare(type, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

}  // namespace

QString withoutEndOfData(const QString& text)
{
    // Only the text's very last line can be the end-of-data line: a text
    // part of a multipart message ends in a blank, after the sender's lines.
    qsizetype dot = text.size() - 1;
    if (text.endsWith(kCrLf))
        dot -= 2;
    if (dot < 0 || text.at(dot) != QLatin1Char('.'))
        return text;
    const bool atLineStart = dot == 0 || (dot >= 2 && QStringView(text).sliced(dot - 2, 2) == QLatin1StringView(kCrLf));
    return atLineStart ? text.left(dot) : text;
}

// The per-message values, cleared for every message.
struct MessageHandler::Message {
    std::unique_ptr<MailMessage> item;
    QString type;
    QString fullHeader;
    QString text;
    bool popOrigin = false;
    QString subject;
    QString sender;        // shown in the header block
    QString senderAddress; // where a receipt goes without a receipt address
    QString timeSent;
    QString timeReceived;
    QString messageId;
    QString dateField;
    QString contentType;
    QString receiptAddress;
    QString faxTo;
    QString receiptRecipient;
    bool fullMode = false;
    QString vcardText;
    std::vector<GoodFaxFile> goodFaxFiles;
    std::vector<int> badFaxFiles;
    std::map<int, const char*> refusals;  // attachment -> the limit it passed
    bool tooLong = false;                 // a text passed the page limit
    int tiffCount = 0;
    int lastTiff = -1;  // index into goodFaxFiles
    QString statusLines;
    bool failed = false;
    int filePages = 0;  // pages this message's files were printed on
    int textPages = 0;  // pages of its header part
};

MessageHandler::MessageHandler(RunContext& ctx, PagePrinter& printer, ReceiptSender& receipts,
                               RunCounters& counters, MoveList& moves)
    : ctx_(ctx), printer_(printer), receipts_(receipts), counters_(counters), moves_(moves)
{
}

MessageOutcome MessageHandler::handle(MailFolder& inbox, int index, const MessagePass& pass)
{
    // Printing one TORVEX within the limits; its receipt sets its own bound.
    ctx_.expectDoneWithin(kMessageBoundMs);
    Message m;
    m.item = inbox.Message(index);
    if (!m.item)
        return MessageOutcome::Handled;
    m.type = m.item->Type();
    printer_.setJobOwner(m.item->ID().section(QLatin1Char('/'), -1));
    const bool isFax = containsNoCase(m.type, QStringLiteral("fax"));
    if (pass.regularFaxPass && !isFax)
        return MessageOutcome::Handled;

    // Full header: the text; for a message the POP3 path stored, the lines
    // up to the first empty line, the rest being the message's text.
    m.fullHeader = m.item->Text();
    const QString head = m.fullHeader.left(20);
    if (head.contains(QStringLiteral("+OK ")) && head.contains(QStringLiteral(" octets"))) {
        const qsizetype empty = m.fullHeader.indexOf(QStringLiteral("\r\n\r\n"));
        const QString body = empty < 0 ? QString() : m.fullHeader.mid(empty + 4);
        if (empty >= 0)
            m.fullHeader.truncate(empty + 4);
        m.item->setText(body);
        m.popOrigin = true;
    } else {
        // Mail another program delivered into the Inbox: its text is the
        // body, so the header comes from the message's header property.
        m.fullHeader.clear();
    }
    m.subject = m.item->Subject();
    if (m.subject == QStringLiteral("Internet Orbit FAX"))
        m.subject = QStringLiteral("telvane100 Fax Message");
    // Shown as people read it: display name whole, encoded words decoded.
    m.sender = m.popOrigin ? decodeHeaderText(GetHeaderField(m.fullHeader, QStringLiteral("From:")).toUtf8())
                           : m.item->SenderAddress();
    m.text = m.popOrigin ? withoutEndOfData(m.item->Text()) : m.item->Text();
    m.timeSent = printedDate(m.item->TimeSent());
    m.timeReceived = printedDate(m.item->TimeReceived());
    if (m.timeSent.isEmpty())
        m.timeSent = GetHeaderField(m.fullHeader, QStringLiteral("Date:"));

    if (isFax)
        return handleRegularFax(m, pass);
    return handleTorvex(m, pass);
}

MessageOutcome MessageHandler::handleRegularFax(Message& m, const MessagePass& pass)
{
    const PassFolders folders = pass.regularFaxPass || !pass.regularFaxFolders ? pass.folders
                                                                              : pass.regularFaxFolders();
    const QString faxFile = ctx_.folders.temp + QStringLiteral("temp.tif");
    QFile::remove(faxFile);
    (void)m.item->WriteAttachmentToFile(1, faxFile);
    const ImagePrintResult print = printer_.PrintNow(faxFile);
    if (print.gflgPrintImage) {
        moves_.add(folders.printed, m.item->ID());
        ++counters_.regularFaxesPrinted;
        return MessageOutcome::Handled;
    }
    // A printer that failed is no reason to call the fax unprintable: it
    // stays in the Inbox for the next run.
    if (print.failure == PrintFailure::Printer)
        return MessageOutcome::FatalPrinterError;
    moves_.add(folders.unprintable, m.item->ID());
    ++counters_.regularFaxesUnprintable;
    if (ctx_.info.Print_Error_Info
        && !printBlock(regularFaxErrorReport(m.sender, m.timeSent, m.timeReceived, m.subject)))
        return MessageOutcome::FatalPrinterError;
    return MessageOutcome::Handled;
}

void MessageHandler::collectAttachments(Message& m)
{
    const int count = m.item->AttachmentCount();
    for (int a = 1; a <= count; ++a) {
        QString name = m.popOrigin ? m.item->AttachmentName(a) : m.item->AttachmentSource(a);
        QString contentCode;
        if (m.popOrigin) {
            const qsizetype semi = name.indexOf(QLatin1Char(';'));
            if (semi >= 0) {
                contentCode = name.mid(semi + 1);
                name.truncate(semi);
            }
        }
        if (name.contains(QStringLiteral("vcard"))) {
            const QString vcard = ctx_.folders.temp + QStringLiteral("vcard.txt");
            if (m.item->WriteAttachmentToFile(a, vcard))
                (void)LoadFile2(vcard, m.vcardText);
            continue;
        }
        if (name.contains(QStringLiteral("spiff.dat")))
            continue;
        const QString type = GetFileExtension(name).trimmed().toUpper();
        // The type names the decoded copy's file: one that could reach
        // another folder is never admitted.
        if (!isAdmittedType(ctx_.info, type) || type.contains(QLatin1Char('/'))
            || type.contains(QLatin1Char('\\'))) {
            m.badFaxFiles.push_back(a);
            continue;
        }
        if (int(m.goodFaxFiles.size()) >= kMaxPrintedFiles) {
            m.badFaxFiles.push_back(a);
            m.refusals[a] = kTooManyFiles;
            continue;
        }
        const QString fileType = normalisedFileType(type);
        const QString path = ctx_.folders.temp + numberedFileName(a, fileType);
        (void)m.item->WriteAttachmentToFile(a, path);
        ImageFileCheck check{true, ImageLimit::None, {}};
        if (fileType == QStringLiteral("TXT")) {
            // Binary data called .txt (or a nameless part) is no text: it
            // never goes to the printer as text.
            if ((m.popOrigin && contentCode == QStringLiteral("quoted-printable")) || isBinaryFile(path))
                check.gflgFileOK = false;
        } else {
            check = PagePrinter::LoadImageFile(path);
        }
        if (!check.gflgFileOK) {
            QFile::remove(path);
            m.badFaxFiles.push_back(a);
            if (check.gImageLimit == ImageLimit::Pages)
                m.refusals[a] = kTooManyPages;
            else if (check.gImageLimit == ImageLimit::PagePixels)
                m.refusals[a] = kPageTooLarge;
            else if (check.gImageLimit == ImageLimit::PageBytes)
                m.refusals[a] = kPageTooHeavy;
            continue;
        }
        m.goodFaxFiles.push_back({a, fileType, fileType == QStringLiteral("TXT"), name.toUpper()});
        if (fileType == QStringLiteral("TIF")) {
            ++m.tiffCount;
            m.lastTiff = int(m.goodFaxFiles.size()) - 1;
        }
    }
}

MessageOutcome MessageHandler::handleTorvex(Message& m, const MessagePass& pass)
{
    const TelvaneInfo& info = ctx_.info;
    bool addressed = false;
    for (const QString& name : m.item->RecipientNames())
        addressed = addressed || containsNoCase(name, info.Torvex_Addr);
    if (!addressed)
        return MessageOutcome::Handled;  // not for us: it stays in the Inbox

    deleteFilesIn(ctx_.folders.temp);
    collectAttachments(m);

    if (m.fullHeader.isEmpty())
        m.fullHeader = m.item->Field(kHeaderTextField);
    m.messageId = GetHeaderField(m.fullHeader, QStringLiteral("Message-Id:"));
    const QString returnReceiptTo = GetHeaderField(m.fullHeader, QStringLiteral("Return-Receipt-To:"));
    m.senderAddress = GetHeaderField(m.fullHeader, QStringLiteral("From:"));
    if (m.senderAddress.isEmpty())
        m.senderAddress = returnReceiptTo;
    m.dateField = GetHeaderField(m.fullHeader, QStringLiteral("Date:"));
    m.contentType = GetHeaderField(m.fullHeader, QStringLiteral("Content-Type:"));

    // The parameter may be quoted, as mail libraries write it.
    if (containsNoCase(QString(m.contentType).remove(QLatin1Char('"')),
                       QStringLiteral("report-type=disposition-notification"))) {
        moves_.add(pass.folders.deletedItems, m.item->ID());
        return MessageOutcome::Handled;
    }

    m.receiptAddress = GetHeaderField(m.fullHeader, QStringLiteral("Disposition-Notification-To:"));
    if (m.senderAddress.isEmpty())
        m.senderAddress = m.receiptAddress;
    m.faxTo = GetHeaderField(m.fullHeader, QStringLiteral("Fax-To:"));
    if (m.senderAddress.isEmpty())
        m.senderAddress = m.faxTo;

    bool capsRequest = false;
    const QString options = GetHeaderField(m.fullHeader, QStringLiteral("Disposition-Notification-Options:"));
    const bool optionsAsk = containsNoCase(options, QStringLiteral("G3Fax-capability-request=required"))
        || containsNoCase(options, QStringLiteral("G3Fax-report-request=required"));
    if (!m.receiptAddress.isEmpty())
        m.receiptRecipient = m.receiptAddress;
    if (!m.receiptAddress.isEmpty() && optionsAsk) {
        m.fullMode = true;
        capsRequest = m.contentType.isEmpty();
    } else if (!m.faxTo.isEmpty()) {
        m.receiptRecipient = m.faxTo;
        const QString faxOptions = GetHeaderField(m.fullHeader, QStringLiteral("Fax-Options:")).trimmed();
        m.fullMode = faxOptions.compare(QStringLiteral("G3Fax-capability-request=required"), Qt::CaseInsensitive) == 0;
        capsRequest = m.contentType.isEmpty();
    } else if (containsNoCase(m.contentType, QStringLiteral("multipart/report"))) {
        return MessageOutcome::Handled;  // a report we do not know: left in the Inbox
    }
    if (capsRequest) {
        // Filed before the receipt goes out, as below.
        moves_.add(pass.folders.deletedItems, m.item->ID());
        sendReceipt(m, ReceiptDisposition::CapsRequest, m.receiptRecipient);
        return MessageOutcome::Handled;
    }

    // Of alternatives, only one is printed: the last TIFF, else the first.
    if (containsNoCase(m.contentType, QStringLiteral("multipart/alternative")) && m.goodFaxFiles.size() >= 2) {
        const GoodFaxFile keep = m.goodFaxFiles[size_t(m.tiffCount > 0 ? m.lastTiff : 0)];
        m.goodFaxFiles = {keep};
    }

    for (const GoodFaxFile& file : m.goodFaxFiles)
        m.statusLines += statusLine(file.name, kValidFormat);
    for (int a : m.badFaxFiles) {
        const auto refusal = m.refusals.find(a);
        m.statusLines += statusLine(m.popOrigin ? m.item->AttachmentName(a) : m.item->AttachmentSource(a),
                                    refusal != m.refusals.end() ? refusal->second : kInvalidFormat);
    }

    if (!printHeaderPart(m))
        return MessageOutcome::FatalPrinterError;
    if (printFiles(m) == MessageOutcome::FatalPrinterError)
        return MessageOutcome::FatalPrinterError;

    bool printed = false;
    if (m.failed) {
        ++counters_.torvexesUnprintable;
    } else if (m.badFaxFiles.empty() && !m.tooLong) {
        printed = true;
        ++counters_.torvexesPrinted;
        // Test mode leaves the Inbox exactly as it was, unread marks too.
        if (!pass.testMode)
            (void)m.item->markRead();
        moves_.add(pass.folders.printed, m.item->ID());
    } else {
        ++counters_.torvexesUnprintable;
        moves_.add(pass.folders.unprintable, m.item->ID());
    }

    // The move is recorded (journalled) before the receipt is stored in
    // the out folder and sent: a run ended during a slow SMTP dialogue
    // neither prints the message again nor loses the receipt, which the
    // next run sends from the out folder. Left open: a run ended between
    // the printer taking the message's jobs and this record prints it again,
    // and one ended between the record and the receipt's storing (no I/O
    // but the receipt's composition) sends none.
    if (info.Confirm_Receipt && !(printed && m.receiptAddress.isEmpty()))
        sendReceipt(m, printed ? ReceiptDisposition::Processed : ReceiptDisposition::Failed,
                    m.receiptAddress.isEmpty() ? m.senderAddress : m.receiptAddress);
    return MessageOutcome::Handled;
}

bool MessageHandler::printHeaderPart(Message& m)
{
    const TelvaneInfo& info = ctx_.info;
    const QString block = headerBlock({info.Torvex_Addr, m.sender, m.dateField, m.timeReceived,
                                       printedDate(QDateTime::currentDateTime()), m.statusLines,
                                       m.vcardText, m.subject});
    const bool printableText = TestAllBlanks(m.text);
    if (!info.Print_Simple_Header && !info.Print_Full_Header) {
        if (printableText)
            return printHeaderBlock(m, block + kCrLf + m.text, block);
        if (m.goodFaxFiles.empty())
            return printBlock(block + kCrLf + QStringLiteral("No Printable Content"), &m.textPages);
        return true;
    }
    const QString text = printableText ? m.text : QStringLiteral("No Printable PlainText Message");
    const QString threeEmptyLines = QString::fromLatin1(kCrLf).repeated(3);
    if (!info.Print_Simple_Header)
        return printHeaderBlock(m, threeEmptyLines + m.fullHeader + kCrLf + m.statusLines + kCrLf + kCrLf + text,
                                block);
    if (info.Print_Full_Header && !printHeaderBlock(m, threeEmptyLines + m.fullHeader, block))
        return false;
    return printHeaderBlock(m, block + kCrLf + text, block);
}

bool MessageHandler::printHeaderBlock(Message& m, const QString& text, const QString& block)
{
    int pageNo = 0;
    switch (printer_.printText(text, false, {}, pageNo)) {
    case PagePrinter::TextOutcome::Printed:
        m.textPages += pageNo - 1;
        return true;
    case PagePrinter::TextOutcome::PrinterFailed:
        return false;
    case PagePrinter::TextOutcome::TooLong:
        break;
    }
    m.tooLong = true;
    m.statusLines += statusLine(QStringLiteral("MESSAGE TEXT"), kTextTooLong);
    return printBlock(block + kCrLf + statusLine(QStringLiteral("MESSAGE TEXT"), kTextTooLong), &m.textPages);
}

MessageOutcome MessageHandler::printFiles(Message& m)
{
    for (const GoodFaxFile& file : m.goodFaxFiles) {
        const QString path = ctx_.folders.temp + numberedFileName(file.attachment, file.type);
        if (!file.isText) {
            const ImagePrintResult print = printer_.PrintNow(path);
            if (print.gflgPrintImage) {
                m.filePages += print.gfaxPageCount;
                m.statusLines += statusLine(file.name, kFileProcessed);
                continue;
            }
            m.statusLines += statusLine(file.name, kPossiblePrinterError);
            m.failed = true;
            if (print.failure == PrintFailure::Printer)
                return MessageOutcome::FatalPrinterError;
            continue;
        }
        QString text;
        if (!LoadFile2(path, text)) {
            // Nothing to print: not sent to the printer either.
            m.statusLines += statusLine(file.name, kCouldNotOpen);
            m.failed = true;
            continue;
        }
        int pageNo = 0;
        switch (printer_.printText(text, true, {m.timeSent, m.timeReceived, m.sender}, pageNo)) {
        case PagePrinter::TextOutcome::Printed:
            m.filePages += pageNo - 1;
            m.statusLines += statusLine(file.name, kSentToPrinter);
            break;
        case PagePrinter::TextOutcome::PrinterFailed:
            return MessageOutcome::FatalPrinterError;
        case PagePrinter::TextOutcome::TooLong:
            // Its place in the printout says why it is missing.
            m.statusLines += statusLine(file.name, kTextTooLong);
            m.tooLong = true;
            if (!printBlock(statusLine(file.name, kTextTooLong)))
                return MessageOutcome::FatalPrinterError;
            break;
        }
    }
    return MessageOutcome::Handled;
}

void MessageHandler::sendReceipt(const Message& m, ReceiptDisposition disposition, const QString& recipient)
{
    // A receipt to nobody could never leave the out folder: it would wait
    // there for ever and make every later run report an error.
    if (bareAddress(recipient).trimmed().isEmpty())
        return;
    ReceiptRequest request;
    request.disposition = disposition;
    if (disposition == ReceiptDisposition::Failed) {
        request.failureText = QStringLiteral("Unprintable File(s)");
        request.report = QStringLiteral("Process report - ") + kCrLf + m.statusLines;
    }
    request.fullMode = m.fullMode;
    request.recipient = recipient;
    request.subject = m.subject;
    request.sentDate = m.dateField;
    request.receivedId = m.messageId;
    request.faxTo = m.faxTo;
    request.fullHeader = m.fullHeader;
    request.statusLines = m.statusLines;
    // The pages of this message: those of its files, or, for a message
    // without files, those its text was printed on.
    request.pageCount = QString::number(m.goodFaxFiles.empty() ? m.textPages : m.filePages);
    (void)receipts_.SendMDN(request);
}

bool MessageHandler::printBlock(const QString& text, int* pages)
{
    int pageNo = 0;
    const bool printed = printer_.PrintBlockOfText(text, false, QString(), QString(), QString(), pageNo);
    if (pages)
        *pages += pageNo - 1;
    return printed;
}

}  // namespace torvex
