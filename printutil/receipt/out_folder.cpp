#include "out_folder.h"

#include "printutil/receipt/mdn_sender.h"
#include "printutil/transport/smtp_server_selection.h"

#include <QDir>
#include <QFile>

namespace torvex {

void FlushOutFolder(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation)
{
    const QStringList files = QDir(ctx.folders.out).entryList(QDir::Files, QDir::NoSort);
    for (const QString& name : files) {
        // Deleted (and a receipt copied) the moment a server takes it; a
        // file no server took stays for a later run.
        OutFileSettlement settlement(ctx, smtp, name);
        (void)settlement.sent(SendOutFile(ctx, smtp, conversation, ctx.folders.out + name));
    }
}

}  // namespace torvex
