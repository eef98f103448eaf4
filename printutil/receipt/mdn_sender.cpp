#include "mdn_sender.h"

#include "printutil/receipt/mdn_compose.h"
#include "printutil/receipt/out_folder.h"
#include "printutil/transport/smtp_client_text.h"
#include "printutil/transport/smtp_server_selection.h"

#include <QFile>
#include <QSaveFile>

#include <utility>

namespace torvex {
namespace {

const QString kMdnSuffix = QStringLiteral(".MDN");

}  // namespace

QString ComposeMDN(const RunContext& ctx, const SmtpContext& smtp, const ReceiptRequest& request,
                   const QDateTime& now, QString& fileName, QDateTime& lastNamed)
{
    // Receipts sent at once would share a second: each takes the next one
    // free, and its Message-Id follows its file name, so receiving systems
    // see distinct messages and the receipts folder keeps every copy.
    QDateTime named = lastNamed.isValid() && lastNamed >= now ? lastNamed.addSecs(1) : now;
    const auto taken = [&](const QString& name) {
        return QFile::exists(ctx.folders.out + name) || QFile::exists(ctx.folders.mdns + name);
    };
    while (taken(timeStamp(named) + kMdnSuffix))
        named = named.addSecs(1);
    fileName = timeStamp(named) + kMdnSuffix;
    lastNamed = named;
    const QString text = composeMdnText(request, smtp.gSMTPRecipAddr, ctx.info.Torvex_Addr, now, named);

    QSaveFile file(ctx.folders.out + fileName);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(mailBytes(text + QStringLiteral("\r\n")));
        (void)file.commit();
    }
    return text;
}

void SaveMDNCopy(const RunContext& ctx, const QString& fileName)
{
    QFile::remove(ctx.folders.mdns + fileName);
    (void)QFile::copy(ctx.folders.out + fileName, ctx.folders.mdns + fileName);
}

MdnReceiptSender::MdnReceiptSender(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation)
    : ctx_(ctx), smtp_(smtp), conversation_(conversation)
{
}

void MdnReceiptSender::FlushOutFolder()
{
    torvex::FlushOutFolder(ctx_, smtp_, conversation_);
}

bool MdnReceiptSender::SendMDN(const ReceiptRequest& request)
{
    smtp_.gSMTPRecipAddr = request.recipient;
    QString fileName;
    smtp_.gSMTPMessage = ComposeMDN(ctx_, smtp_, request, QDateTime::currentDateTime(), fileName, lastNamed_);
    if (smtp_.gSMTPSenderAddr.isEmpty())
        smtp_.gSMTPSenderAddr = ctx_.info.Torvex_Addr;
    OutFileSettlement settlement(ctx_, smtp_, fileName);
    return settlement.sent(SendMessageFile(ctx_, smtp_, conversation_, QStringLiteral("MDN+") + dispositionText(request.disposition)));
}

OutFileSettlement::OutFileSettlement(const RunContext& ctx, SmtpContext& smtp, QString fileName)
    : ctx_(ctx), smtp_(smtp), fileName_(std::move(fileName))
{
    smtp_.onAccepted = [this] { settle(); };
}

OutFileSettlement::~OutFileSettlement()
{
    smtp_.onAccepted = nullptr;
}

bool OutFileSettlement::sent(bool sent)
{
    if (sent)
        settle();
    return sent;
}

void OutFileSettlement::settle()
{
    if (settled_)
        return;
    settled_ = true;
    if (ctx_.info.Save_MDNs && fileName_.right(3).toUpper() == QLatin1String("MDN"))
        SaveMDNCopy(ctx_, fileName_);
    QFile::remove(ctx_.folders.out + fileName_);
}

}  // namespace torvex
