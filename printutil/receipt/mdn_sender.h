#pragma once

#include "printutil/receipt/receipt_request.h"
#include "printutil/run/run_context.h"
#include "printutil/transport/mail_transport.h"
#include "printutil/transport/smtp_client_context.h"

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

// Deletes a mail file of the out folder the moment a server takes it (its
// "250", before QUIT), keeping a copy of a receipt when Save_MDNs is on, so
// a run ended after that does not send it again. Armed for one send.
class OutFileSettlement {
public:
    OutFileSettlement(const RunContext& ctx, SmtpContext& smtp, QString fileName);
    ~OutFileSettlement();
    OutFileSettlement(const OutFileSettlement&) = delete;
    OutFileSettlement& operator=(const OutFileSettlement&) = delete;

    // The outcome of the send: settles what was sent and not settled yet
    // (a send reported as done without a "250" seen). Returns `sent`.
    bool sent(bool sent);

private:
    void settle();

    const RunContext& ctx_;
    SmtpContext& smtp_;
    QString fileName_;
    bool settled_ = false;
};

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
