#pragma once

#include "printutil/decode/inbox_message.h"
#include "printutil/receipt/receipt_request.h"

namespace torvex {

// The run's mail transport: fetching by POP3 and sending by SMTP. Each
// works on the RunContext it was made with (settings, folders, gLastError).

// Fetches new mail into the in folder and turns the files there into Inbox
// messages.
class PopFetcher {
public:
    virtual ~PopFetcher() = default;
    // The whole POP3 fetch (gLogin at gPOPServer) into the in folder.
    virtual void CHECKMAIL_Click() = 0;
    // Decodes every raw file of the in folder into the Inbox, then deletes it.
    virtual void ProcessPOPFiles(InboxWriter& inbox) = 0;
};

// Sends receipts, now or from the out folder.
class ReceiptSender {
public:
    virtual ~ReceiptSender() = default;
    virtual void FlushOutFolder() = 0;
    virtual bool SendMDN(const ReceiptRequest& request) = 0;
};

// Sends the test message ("/2") and records the server in test_server.
class TestMessageSender {
public:
    virtual ~TestMessageSender() = default;
    virtual void SendTestTorvex() = 0;
};

}  // namespace torvex
