#include "reprint.h"

#include "printutil/print/page_printer.h"
#include "printutil/run/message_handler.h"
#include "printutil/run/move_list.h"
#include "printutil/run/status_handshake.h"
#include "printutil/transport/mail_transport.h"

#include "common/telvane_info.h"

#include "platform/maildir/filed_folders.h"

#include <algorithm>

namespace torvex {
namespace {

// The one message, as the message loop sees an Inbox.
class OneMessageFolder final : public MailFolder {
public:
    OneMessageFolder(MailboxSystem& mailbox, QString messageId)
        : mailbox_(mailbox), messageId_(std::move(messageId))
    {
    }

    [[nodiscard]] QString ID() const override { return messageId_.section(QLatin1Char('/'), 0, 0); }
    [[nodiscard]] QString Name() const override { return ID(); }
    [[nodiscard]] int MessageCount() override { return 1; }
    [[nodiscard]] std::unique_ptr<MailMessage> Message(int index) override
    {
        return index == 1 ? mailbox_.GetMessage(messageId_) : nullptr;
    }
    [[nodiscard]] int FolderCount() const override { return 0; }
    [[nodiscard]] std::unique_ptr<MailFolder> Folder(int) const override { return nullptr; }
    [[nodiscard]] std::unique_ptr<MailFolder> AddFolder(const QString&) override { return nullptr; }

private:
    MailboxSystem& mailbox_;
    QString messageId_;
};

// A reprint confirms nothing: no receipt is composed, stored or sent.
class NoReceipts final : public ReceiptSender {
public:
    void FlushOutFolder() override {}
    bool SendMDN(const ReceiptRequest&) override { return false; }
};

}  // namespace

std::optional<QString> reprintMessageId(const QString& commandLine)
{
    const QString prefix = QLatin1String(kReprintSwitch) + QLatin1Char(' ');
    if (!commandLine.startsWith(prefix))
        return std::nullopt;
    return commandLine.mid(prefix.size()).trimmed();
}

ReprintOutcome reprintFiledMessage(const ReprintEnvironment& env, const QString& messageId)
{
    RunContext& ctx = env.ctx;
    ctx.info = GetTelvaneInfo();
    ctx.info.path = ctx.programFolder;
    ctx.folders = runFoldersIn(ctx.programFolder);
    prepareRunFolders(ctx.folders, false);
    const std::optional<FiledFolder> folder = filedFolderOf(messageId);
    if (!folder || !env.mailbox.SessionLogIn(ctx.info.gTorvexProfile) || !env.mailbox.GetMessage(messageId))
        return ReprintOutcome::NotFiled;
    const QStringList printers = env.printerNames();
    const QString& printerName = ctx.info.gprinterName;
    if (printerName.isEmpty() || std::ranges::find(printers, printerName) == printers.end())
        return ReprintOutcome::PrinterError;
    const std::unique_ptr<PrintDevice> device = env.makePrinter(printerName);
    PagePrinter printer(*device);

    // The run's own handling of the message, with nothing to confirm and
    // nothing to file: no receipt, no move, no read mark.
    ctx.info.Confirm_Receipt = false;
    NoReceipts noReceipts;
    RunCounters counters;
    MoveList unused;
    MessageHandler handler(ctx, printer, noReceipts, counters, unused);
    MessagePass pass;
    pass.regularFaxPass = folder->regularFax;
    pass.testMode = true;
    OneMessageFolder one(env.mailbox, messageId);
    const MessageOutcome outcome = handler.handle(one, 1, pass);
    env.mailbox.Logoff();
    if (outcome == MessageOutcome::FatalPrinterError)
        return ReprintOutcome::PrinterError;
    const bool printed = counters.torvexesPrinted + counters.torvexesUnprintable + counters.regularFaxesPrinted > 0;
    return printed ? ReprintOutcome::Printed : ReprintOutcome::NotPrinted;
}

}  // namespace torvex
