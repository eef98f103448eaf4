#pragma once

#include "printutil/mailbox/mailbox_system.h"
#include "printutil/run/run_context.h"

#include "common/reprint_switch.h"

#include "platform/print/print_device.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace torvex {

// "/8 ID" (common/reprint_switch.h): prints the filed message of that ID
// (a message of "TORVEXes" or "Regular Faxes", "Printed" or "Unprintable")
// again on the current printer, as the run printed it. Nothing is filed,
// marked, counted or confirmed, and the scheduler's keys are left alone:
// the outcome is the exit status.

// The message ID a reprint command line names; none for any other command
// line.
[[nodiscard]] std::optional<QString> reprintMessageId(const QString& commandLine);

struct ReprintEnvironment {
    RunContext& ctx;  // its settings and folders are read and prepared here
    MailboxSystem& mailbox;
    std::function<QStringList()> printerNames;
    std::function<std::unique_ptr<PrintDevice>(const QString& printerName)> makePrinter;
};

// Reads the settings, prepares the working folders, logs on to the TORVEX
// profile and prints the message again.
[[nodiscard]] ReprintOutcome reprintFiledMessage(const ReprintEnvironment& env, const QString& messageId);

}  // namespace torvex
