#pragma once

#include "printutil/mailbox/mailbox_system.h"
#include "printutil/print/page_printer.h"
#include "printutil/run/move_list.h"
#include "printutil/run/run_context.h"
#include "printutil/run/status_handshake.h"
#include "printutil/transport/mail_transport.h"

#include <QString>

#include <functional>

namespace torvex {

// The folders one pass files into.
struct PassFolders {
    QString deletedItems;
    QString printed;      // "TORVEXes"/"Printed", or "Regular Faxes"/"Printed"
    QString unprintable;  // likewise "Unprintable"
};

// What the message loop of one pass works with.
struct MessagePass {
    bool regularFaxPass = false;  // gflgRegEmail
    bool testMode = false;
    PassFolders folders;
    // The regular-fax folders for a fax met in the TORVEX pass, looked up
    // (and created) on first use.
    std::function<PassFolders()> regularFaxFolders;
};

enum class MessageOutcome { Handled, FatalPrinterError };

// Files printed of one TORVEX at most; the rest are listed as not printed.
inline constexpr int kMaxPrintedFiles = 100;

// One message of the Inbox: recognised as a regular fax, a receipt, a
// capabilities request or a TORVEX; printed with its header block, text
// and files; counted; put on the move list; and confirmed to its sender.
class MessageHandler {
public:
    MessageHandler(RunContext& ctx, PagePrinter& printer, ReceiptSender& receipts,
                   RunCounters& counters, MoveList& moves);

    MessageOutcome handle(MailFolder& inbox, int index, const MessagePass& pass);

private:
    struct Message;
    MessageOutcome handleRegularFax(Message& m, const MessagePass& pass);
    MessageOutcome handleTorvex(Message& m, const MessagePass& pass);
    void collectAttachments(Message& m);
    [[nodiscard]] bool printHeaderPart(Message& m);
    MessageOutcome printFiles(Message& m);
    void sendReceipt(const Message& m, ReceiptDisposition disposition, const QString& recipient);
    // Adds the pages printed to *pages when given.
    bool printBlock(const QString& text, int* pages = nullptr);
    // printBlock for the header part: a message text too long to print
    // leaves the header block with a line saying so.
    bool printHeaderBlock(Message& m, const QString& text, const QString& block);

    RunContext& ctx_;
    PagePrinter& printer_;
    ReceiptSender& receipts_;
    RunCounters& counters_;
    MoveList& moves_;
};

// For a message fetched by POP3: the text without the end-of-data line
// when that is its last line; a lone "." line the sender wrote stays.
[[nodiscard]] QString withoutEndOfData(const QString& text);

}  // namespace torvex
