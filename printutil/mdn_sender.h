#pragma once

#include "mail_transport.h"
#include "receipt_request.h"
#include "run_context.h"
#include "smtp_client_context.h"

#include <QDateTime>
#include <QString>

namespace torvex {

// Composes the receipt for request to smtp.gSMTPRecipAddr and stores it in
// the out folder; fileName receives the name it was stored under
// ("yyyymmddhhnnss.MDN"). Every receipt gets a name and a Message-Id of its
// own: the first second from now on, and after lastNamed (the second that
// named the run's previous receipt, updated here), whose name neither the
// out folder nor the receipts folder holds.
[[nodiscard]] QString ComposeMDN(const RunContext& ctx, const SmtpContext& smtp,
                                 const ReceiptRequest& request, const QDateTime& now,
                                 QString& fileName, QDateTime& lastNamed);

// Copies Out/fileName to MDNs/fileName, replacing an older copy.
void SaveMDNCopy(const RunContext& ctx, const QString& fileName);

// The receipts of a run: each is stored in the out folder first and
// deleted from it only once a server took it, so a receipt that cannot be
// sent now goes out with a later run.
class MdnReceiptSender final : public ReceiptSender {
public:
    MdnReceiptSender(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation);

    // Sends what earlier runs left in the out folder.
    void FlushOutFolder() override;
    bool SendMDN(const ReceiptRequest& request) override;

private:
    RunContext& ctx_;
    SmtpContext& smtp_;
    SmtpConversation& conversation_;
    QDateTime lastNamed_;
};

}  // namespace torvex
