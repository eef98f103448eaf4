#include "print_run.h"

#include "platform/message_box.h"

#include <QCoreApplication>

#include <utility>

namespace torvex {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

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
        regularSteps();
        writeSummary(ctx_.gLastError, counters_);
        return RunExit::Finished;
    }

    if (logOnToTorvexProfile()) {
        torvexPass();
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

void PrintRun::torvexPass()
{
    ctx_.info.gTorvexProfile = env_.mailbox.sessionName();
    SetPrintStatus(QStringLiteral("Logged on to profile ") + ctx_.info.gTorvexProfile);
}

void PrintRun::regularSteps() {}

}  // namespace torvex
