#pragma once

#include "printutil/mailbox/mailbox_system.h"
#include "printutil/print/page_printer.h"
#include "printutil/run/message_handler.h"
#include "printutil/run/run_context.h"
#include "printutil/run/run_switch.h"
#include "printutil/run/status_handshake.h"
#include "printutil/transport/mail_transport.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace torvex {

class MessageBoxes;

// What a run needs from the world around it. The context is shared with
// the mail transport, which was made with the same one.
struct PrintRunEnvironment {
    RunContext& ctx;
    MessageBoxes& boxes;
    MailboxSystem& mailbox;
    PopFetcher& fetcher;
    ReceiptSender& receipts;
    TestMessageSender& testMessage;
    std::function<QStringList()> printerNames;  // the system's printers, in order
    // The printer of that name; the system's (CUPS or "TORVEX PDF") when
    // not given.
    std::function<std::unique_ptr<PrintDevice>(const QString& printerName)> makePrinter = {};
};

// Exit codes of the print utility.
enum class RunExit : int { Finished = 0, PrinterError = 1, NoCommandLine = 2 };

// One run of the print utility, from its command line to its summary.
class PrintRun {
public:
    explicit PrintRun(PrintRunEnvironment env);

    RunExit Main(const QString& commandLine);

    [[nodiscard]] const RunCounters& counters() const { return counters_; }

private:
    // The printer whose name equals Printer_Type exactly; false when none.
    [[nodiscard]] bool selectPrinter();
    // Logs on to the TORVEX profile, asking once for another and trying again.
    [[nodiscard]] bool logOnToTorvexProfile();
    // On the open session: fetch, print and file, and the retry passes a
    // wake-up run makes.
    void torvexPasses();
    // Prints and files the Inbox once; false when the run goes straight on
    // to the log-off (no printer configured).
    bool processInbox(bool regularFaxPass, int newMessages);
    // After the TORVEX session: mail delivered to the regular mail profile,
    // and the regular-fax pass on that or the regular-fax profile.
    void regularSteps();
    void regularFaxPass();

    PrintRunEnvironment env_;
    RunContext& ctx_;
    RunKind kind_ = RunKind::PrintOnly;
    bool flgDeliverNow_ = false;
    bool testMode_ = false;
    QString selectedPrinter_;
    RunCounters counters_;
    std::unique_ptr<PrintDevice> device_;
    std::unique_ptr<PagePrinter> printer_;
};

// The switch-table text shown when the utility is started without one.
[[nodiscard]] QString noCommandLineText();

// last_error as a later start writes it when it finds a run past its time
// bound: "Print Error : TORVEX Print started " + date and time + " is
// still running, past its time limit".
[[nodiscard]] QString stillRunningText(const QDateTime& started);

// The box shown when the first log-on to the TORVEX profile fails.
[[nodiscard]] QString noTorvexProfileText();

inline constexpr auto kPrintUtilityTitle = "TORVEX Print Utility";
inline constexpr auto kPrintUtilityTitleWindow = "TORVEX Print v 0.8.1";

}  // namespace torvex
