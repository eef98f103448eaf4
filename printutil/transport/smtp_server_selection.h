#pragma once

#include "common/telvane_info.h"
#include "printutil/run/run_context.h"
#include "printutil/transport/smtp_client_context.h"

#include <QString>

#include <array>

namespace torvex {

// One row of the server list: the server to call and the envelope sender
// to give it; the user's own server is called with the user's security,
// port and log-on, every other with the other servers' security and port.
struct SmtpServerRow {
    QString server;
    QString sender;
    bool usersServer = false;
};

inline constexpr int kSmtpServerRows = 9;
using SmtpServerTable = std::array<SmtpServerRow, kSmtpServerRows>;

// The bare address of a recipient: the text between the last "<" and the
// ">" after it, so "Sender Office <sender@example.org>" gives
// "sender@example.org"; a recipient without "<" stays as it is.
[[nodiscard]] QString bareAddress(const QString& recipient);

// The nine (server, sender) rows for a bare recipient: its own domain (or
// the service's IP address for the service's domain), "mail." + that domain,
// the user's servers with the user's address, then the user's and the
// service's servers with the sender. The service's address counts without
// the port it may carry for its web server ("10.1.2.3:8080").
[[nodiscard]] SmtpServerTable smtpServerTable(const TelvaneInfo& info, const QString& recipient,
                                              const QString& sender);

// Sends smtp.gSMTPMessage to smtp.gSMTPRecipAddr through the rows in order
// until one server takes it; empty rows are passed over. In test mode a
// recipient refused by row 1 ends the attempt. On total failure
// ctx.gLastError becomes the last SMTP error code. The outcome is written to
// [log] of account.ini.
bool SendMessageFile(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation,
                     const QString& tag);

// Sends a mail file stored earlier (a receipt waiting in the out folder) to
// the address in its "To:" field. False when the file cannot be read or no
// server took it.
bool SendOutFile(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation,
                 const QString& path);

}  // namespace torvex
