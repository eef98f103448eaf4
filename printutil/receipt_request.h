#pragma once

#include <QString>

namespace torvex {

// What the run collected about one message for its receipt.
struct ReceiptRequest {
    QString disposition;  // "Processed", "Failed" or "CapsRequest"
    QString failureText;  // "Unprintable File(s)" for "Failed"; "System Error" selects result 01
    QString report;       // "Process report - " CR LF + status lines, for "Failed"
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
