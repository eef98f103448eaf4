#pragma once

#include <QString>

namespace torvex {

// What a receipt reports of the message it answers (the disposition of
// RFC 2298 section 3.2.6, with the G3Fax modifiers of RFC 2532).
enum class ReceiptDisposition {
    // "processed": the message was printed whole; nobody has read it yet.
    Processed,
    // "failed": the message, or a file of it, could not be printed; the
    // report says which.
    Failed,
    // "processed / G3Fax-capability-request": the answer to a sender who
    // asked only what this receiver can print.
    CapsRequest,
};

// What the run collected about one message for its receipt.
struct ReceiptRequest {
    ReceiptDisposition disposition = ReceiptDisposition::Processed;
    QString failureText;  // "Unprintable File(s)" for Failed; "System Error" selects result 01
    QString report;       // "Process report - " CR LF + status lines, for Failed
    bool fullMode = false;
    QString recipient;    // where the receipt goes (gSMTPRecipAddr)
    QString subject;      // the received message's subject
    QString sentDate;     // its "Date:" value
    QString receivedId;   // its "Message-Id:" value
    QString faxTo;        // its "Fax-To:" value, or empty
    QString fullHeader;   // its full header text
    QString statusLines;
    QString pageCount;    // gfaxPageCount
};

}  // namespace torvex
