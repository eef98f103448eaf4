#include "printutil/mailbox/maildir_mailbox.h"
#include "printutil/receipt/mdn_sender.h"
#include "printutil/receipt/test_message.h"
#include "printutil/run/print_run.h"
#include "printutil/run/reprint.h"
#include "printutil/transport/pop3_client.h"
#include "printutil/transport/smtp_client.h"

#include "platform/desktop/message_box.h"
#include "platform/desktop/single_instance.h"
#include "platform/files/private_files.h"
#include "platform/print/printer_list.h"
#include "platform/settings/app_paths.h"

#include "common/telvane_info.h"
#include "platform/desktop/time_scale.h"

#include <QApplication>
#include <QDateTime>

#include <climits>

#include <cstdlib>

int main(int argc, char* argv[])
{
    torvex::keepCreatedFilesPrivate();
    // Without a display the utility still prints (to CUPS or PDF) and
    // reports its one message box on standard error.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(torvex::kPrintUtilityTitle));

    const QString programFolder = torvex::prepareProgramFolder();
    // The whole command line is the switch.
    const QStringList args = QApplication::arguments().mid(1);
    const QString commandLine = args.join(QLatin1Char(' '));
    const std::optional<QString> reprintId = torvex::reprintMessageId(commandLine);

    const torvex::SingleInstance instance(QStringLiteral("vxprintu"));
    if (instance.isPreviousInstance()) {
        if (reprintId)
            return int(torvex::ReprintOutcome::Busy);
        // Nothing is written while a run goes on, unless it is past its
        // own time bound: then the schedule says why nothing prints.
        const torvex::SingleInstance::Bound bound = instance.previousBound();
        if (bound.until.isValid() && bound.until < QDateTime::currentDateTime())
            torvex::writeTorvexKey(QStringLiteral("last_error"), torvex::stillRunningText(bound.started));
        return EXIT_SUCCESS;
    }

    torvex::RunContext ctx;
    ctx.programFolder = programFolder;
    ctx.timeBound = [&instance](qint64 ms) {
        instance.setTimeBound(QDateTime::currentDateTime().addMSecs(torvex::scaledMs(int(qMin<qint64>(ms, INT_MAX)))));
    };
    torvex::MaildirMailboxSystem mailbox(ctx.programFolder);
    if (reprintId) {
        const auto printer = [](const QString& name) { return torvex::makePrintDevice(name, torvex::pdfPrintoutFolder()); };
        return int(torvex::reprintFiledMessage({ctx, mailbox, &torvex::systemPrinterNames, printer}, *reprintId));
    }
    const auto boxes = torvex::makeMessageBoxes();
    torvex::Pop3Client fetcher(ctx);
    torvex::SmtpContext smtp;
    torvex::SmtpClient smtpClient(ctx, smtp);
    torvex::MdnReceiptSender receipts(ctx, smtp, smtpClient);
    torvex::TestTorvexSender testMessage(ctx, smtp, smtpClient);
    torvex::PrintRun run({ctx, *boxes, mailbox, fetcher, receipts, testMessage,
                          &torvex::systemPrinterNames});
    return int(run.Main(commandLine));
}
