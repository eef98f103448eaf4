#include "print_run.h"

#include "printutil/print/header_block.h"

#include "platform/desktop/message_box.h"
#include "platform/desktop/time_scale.h"
#include "platform/mail/mail_text.h"
#include "platform/print/printer_list.h"

#include <QCoreApplication>

#include <optional>
#include <utility>

namespace torvex {
namespace {

// The time bound of a phase without one of its own (start-up, a delivery
// command, the moves): the delivery command's own limit and some.
constexpr qint64 kPhaseBoundMs = 15 * 60 * 1000;

void pumpMessages(int times)
{
    for (int i = 0; i < times; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

QString noCommandLineText()
{
    return QStringLiteral("TORVEX Print must be started by TORVEX Scheduler") + kCrLf
        + QStringLiteral("Please start the scheduler and choose -") + kCrLf
        + QStringLiteral("'Get TORVEXes Now'");
}

QString stillRunningText(const QDateTime& started)
{
    return QStringLiteral("Print Error : TORVEX Print started ") + printedDate(started)
        + QStringLiteral(" is still running, past its time limit");
}

QString noTorvexProfileText()
{
    return QStringList{
        QStringLiteral("No TORVEX Profile!"),
        QStringLiteral("Please, either click 'Yes' to choose an existing profile or - "),
        QStringLiteral("1) Ensure you have set up a Microsoft Messaging Profile for your TORVEX "
                       "Address with the Profile Name 'TORVEX'. You can do this with the Control "
                       "Panel and the 'Mail' icon."),
        QStringLiteral("2) Open the TORVEX Print Scheduler, select the tab 'Fax Number' and enter "
                       "the name of the profile in the text box 'TORVEX Profile'."),
        QStringLiteral("3) Test your setup by choosing the 'Get Torvex-Faxes NOW' button in the "
                       "TORVEX Print Scheduler window."),
    }.join(kCrLf);
}

PrintRun::PrintRun(PrintRunEnvironment env) : env_(std::move(env)), ctx_(env_.ctx) {}

RunExit PrintRun::Main(const QString& commandLine)
{
    writeTorvexKey(QStringLiteral("last_error"), QString());
    ctx_.gLastError.clear();
    ctx_.info = GetTelvaneInfo();
    ctx_.expectDoneWithin(kPhaseBoundMs);
    writeTorvexKey(QStringLiteral("VXPrint"), QStringLiteral("running"));
    ctx_.info.path = ctx_.programFolder;
    ctx_.folders = runFoldersIn(ctx_.programFolder);
    prepareRunFolders(ctx_.folders, ctx_.info.Save_MDNs);
    SetPrintStatus(QStringLiteral("Starting TORVEX Print"));
    writeTorvexKey(QStringLiteral("printing"), QStringLiteral("1"));

    kind_ = runKindFor(commandLine);
    if (kind_ == RunKind::NoCommandLine) {
        env_.boxes.beep();
        env_.boxes.show(noCommandLineText(), QString(), MsgButtons::Ok, MsgIcon::None);
        return RunExit::NoCommandLine;
    }
    testMode_ = kind_ == RunKind::TestMode || !readTorvexKey(QStringLiteral("print_test")).isEmpty();
    if (kind_ == RunKind::TestMessage) {
        env_.testMessage.SendTestTorvex();
        writeSummary(ctx_.gLastError, counters_);
        return RunExit::Finished;
    }
    if (kind_ == RunKind::RegularEMail) {
        flgDeliverNow_ = true;
        ctx_.info.Normal_Fax_Profile.clear();
        ctx_.info.Print_Normal_Fax = false;
        regularSteps();
        writeSummary(ctx_.gLastError, counters_);
        return RunExit::Finished;
    }
    flgDeliverNow_ = fetchesMail(kind_);

    if (!selectPrinter()) {
        env_.boxes.beep();
        SetPrintStatus(QStringLiteral("Print Error : NO or BAD PRINTER CONFIGURED !"));
        return RunExit::PrinterError;
    }
    if (kind_ == RunKind::PauseThenPrint)
        pumpMessages(150000);

    if (kind_ == RunKind::RegularFaxOnly) {
        if (!ctx_.info.gprinterName.isEmpty() && env_.mailbox.SessionLogIn(ctx_.info.Normal_Fax_Profile))
            regularFaxPass();
        writeSummary(ctx_.gLastError, counters_);
        return RunExit::Finished;
    }

    if (logOnToTorvexProfile()) {
        torvexPasses();
        env_.mailbox.Logoff();
        regularSteps();
    }
    writeSummary(ctx_.gLastError, counters_);
    return RunExit::Finished;
}

bool PrintRun::selectPrinter()
{
    if (ctx_.info.gprinterName.isEmpty())
        return true;  // the default stays selected; nothing is printed in this run
    const QStringList printers = env_.printerNames ? env_.printerNames() : QStringList();
    for (const QString& name : printers) {
        if (name == ctx_.info.gprinterName) {
            selectedPrinter_ = name;
            device_ = env_.makePrinter ? env_.makePrinter(name) : makePrintDevice(name, pdfPrintoutFolder());
            printer_ = std::make_unique<PagePrinter>(*device_);
            return true;
        }
    }
    return false;
}

bool PrintRun::logOnToTorvexProfile()
{
    if (env_.mailbox.SessionLogIn(ctx_.info.gTorvexProfile))
        return true;
    env_.boxes.beep();
    env_.boxes.show(noTorvexProfileText(), QString::fromLatin1(kPrintUtilityTitle),
                    MsgButtons::YesNo, MsgIcon::Question);
    SetPrintStatus(QStringLiteral("Print Error : NO or BAD TORVEX Profile."));
    if (env_.mailbox.SessionLogIn(ctx_.info.gTorvexProfile))
        return true;
    ctx_.gLastError = QStringLiteral("Inbox Error on profile ") + ctx_.info.gTorvexProfile;
    return false;
}

void PrintRun::torvexPasses()
{
    qint32 probes = ctx_.info.gWakeProbes;
    for (;;) {
        ctx_.info.gTorvexProfile = env_.mailbox.sessionName();
        SetPrintStatus(QStringLiteral("Logged on to profile ") + ctx_.info.gTorvexProfile);
        if (std::unique_ptr<MailFolder> inbox = env_.mailbox.Inbox()) {
            env_.receipts.FlushOutFolder();
            const int remembered = inbox->MessageCount();
            env_.fetcher.ProcessPOPFiles(env_.mailbox);
            const QString& address = ctx_.info.Torvex_Addr;
            const qsizetype at = address.indexOf(QLatin1Char('@'));
            ctx_.gLogin = at < 0 ? address : address.left(at);
            ctx_.gPOPServer = at < 0 ? QString() : address.mid(at + 1);

            if (flgDeliverNow_) {
                ctx_.expectDoneWithin(kPhaseBoundMs);
                SetPrintStatus(QStringLiteral("Connecting to ") + ctx_.gPOPServer.toUpper());
                if (!ctx_.info.Use_Profile) {
                    env_.fetcher.CHECKMAIL_Click();
                    env_.fetcher.ProcessPOPFiles(env_.mailbox);
                } else {
                    env_.mailbox.DeliverNow();
                }
            }
            // The whole Inbox is processed, however little of it is new.
            const int newMessages = inbox->MessageCount() - remembered;
            testMode_ = kind_ == RunKind::TestMode || !readTorvexKey(QStringLiteral("print_test")).isEmpty();
            if (!processInbox(false, newMessages))
                return;
        }
        if (kind_ != RunKind::WakeUpRetrieve || probes < 1)
            return;
        SetPrintStatus(QStringLiteral("Check for Torvex-FAXes ") + QString::number(probes));
        const int wait = ctx_.info.gWakeInterval > 0 ? ctx_.info.gWakeInterval : 30000;
        ctx_.expectDoneWithin(wait + kPhaseBoundMs);
        PagePrinter::waitForTimer1(scaledMs(wait));
        --probes;
    }
}

bool PrintRun::processInbox(bool regularFaxPass, int newMessages)
{
    if (ctx_.info.gprinterName.isEmpty() || !printer_) {
        ctx_.info.Print_Normal_Fax = false;
        return false;
    }
    std::unique_ptr<MailFolder> root = env_.mailbox.RootFolder();
    std::unique_ptr<MailFolder> inbox = env_.mailbox.Inbox();
    if (!root || !inbox) {
        SetPrintStatus(QStringLiteral("Inbox Error : no root folder for profile ") + ctx_.info.gTorvexProfile);
        return true;
    }

    MessagePass pass;
    pass.regularFaxPass = regularFaxPass;
    pass.testMode = testMode_;
    std::unique_ptr<MailFolder> folder;
    pass.folders.deletedItems = GetFolderID(QStringLiteral("Deleted Items"), *root, folder);
    // The regular-fax folders of this mailbox, for faxes of either pass.
    const auto regularFaxFolders = [this, deleted = pass.folders.deletedItems] {
        PassFolders folders{deleted, QString(), QString()};
        std::unique_ptr<MailFolder> rootFolder = env_.mailbox.RootFolder();
        std::unique_ptr<MailFolder> parent;
        std::unique_ptr<MailFolder> child;
        if (rootFolder && !GetFolderID(QStringLiteral("Regular Faxes"), *rootFolder, parent).isEmpty()) {
            folders.printed = GetFolderID(QStringLiteral("Printed"), *parent, child);
            folders.unprintable = GetFolderID(QStringLiteral("Unprintable"), *parent, child);
        }
        return folders;
    };
    if (regularFaxPass) {
        pass.folders = regularFaxFolders();
        SetPrintStatus(QStringLiteral("Printing regular faxes"));
    } else {
        std::unique_ptr<MailFolder> torvexes;
        if (!GetFolderID(QStringLiteral("TORVEXes"), *root, torvexes).isEmpty()) {
            pass.folders.printed = GetFolderID(QStringLiteral("Printed"), *torvexes, folder);
            pass.folders.unprintable = GetFolderID(QStringLiteral("Unprintable"), *torvexes, folder);
            (void)GetFolderID(QStringLiteral("Sent"), *torvexes, folder);
            (void)GetFolderID(QStringLiteral("Receipts Out"), *torvexes, folder);
        }
        std::optional<PassFolders> faxFolders;
        pass.regularFaxFolders = [faxFolders, regularFaxFolders]() mutable {
            if (!faxFolders)
                faxFolders = regularFaxFolders();
            return *faxFolders;
        };
        SetPrintStatus(QStringLiteral("Checking Inbox for ") + QString::number(newMessages)
                       + QStringLiteral(" new TORVEXes"));
    }

    // Moves a run ended early had decided on are made first, so that
    // nothing it printed is printed again. Test mode files nothing.
    const QString journal = testMode_ ? QString() : env_.mailbox.pendingMovesPath();
    (void)MoveList::replayJournal(journal, env_.mailbox);
    const int count = inbox->MessageCount();
    MoveList moves(journal);
    moves.reserve(count);
    MessageHandler handler(ctx_, *printer_, env_.receipts, counters_, moves);
    for (int i = 1; i <= count; ++i) {
        QCoreApplication::processEvents();
        if (handler.handle(*inbox, i, pass) == MessageOutcome::FatalPrinterError) {
            ctx_.gLastError = QStringLiteral("Print Error : Fatal Printer Error");
            break;
        }
    }
    ctx_.expectDoneWithin(kPhaseBoundMs);
    if (!testMode_)
        moves.execute(env_.mailbox);
    return true;
}

void PrintRun::regularFaxPass()
{
    (void)processInbox(true, 0);
    env_.mailbox.Logoff();
}

void PrintRun::regularSteps()
{
    const TelvaneInfo& info = ctx_.info;
    if (info.Get_Normal_EMail || kind_ == RunKind::RegularEMail) {
        bool loggedOn = env_.mailbox.SessionLogIn(info.Regular_Mail_Profile);
        if (!loggedOn) {
            SetPrintStatus(QStringLiteral("Unable to retrieve email for Profile ") + info.Regular_Mail_Profile);
        } else if (flgDeliverNow_) {
            ctx_.expectDoneWithin(kPhaseBoundMs);
            SetPrintStatus(QStringLiteral("Retrieving email for Profile ") + info.Regular_Mail_Profile);
            env_.mailbox.DeliverNow();
            const bool haveInbox = env_.mailbox.Inbox() != nullptr;
            env_.mailbox.Logoff();
            loggedOn = false;
            if (!haveInbox) {
                ctx_.gLastError = QStringLiteral("Inbox Error on profile ") + info.Regular_Mail_Profile;
                return;
            }
        }
        if (info.Normal_Fax_Profile.compare(info.Regular_Mail_Profile, Qt::CaseInsensitive) != 0) {
            env_.mailbox.Logoff();
        } else if (info.Print_Normal_Fax) {
            if (loggedOn || env_.mailbox.SessionLogIn(info.Regular_Mail_Profile))
                regularFaxPass();
            return;
        }
    }
    if (!info.Print_Normal_Fax)
        return;
    if (env_.mailbox.SessionLogIn(info.Normal_Fax_Profile))
        regularFaxPass();
}

}  // namespace torvex
