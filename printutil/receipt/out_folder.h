#pragma once

#include "printutil/run/run_context.h"
#include "printutil/transport/smtp_client_context.h"

namespace torvex {

// Sends every mail file waiting in the out folder (receipts earlier runs
// could not send), each to the address in its "To:" field. A file is
// deleted only after a server took it; a sent receipt is first copied to
// the receipts folder when Save_MDNs is on.
void FlushOutFolder(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation);

}  // namespace torvex
