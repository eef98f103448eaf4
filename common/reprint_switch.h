#pragma once

namespace torvex {

// "vxprintu /8 ID": prints the filed message of that ID again. Shared by the
// print utility, which runs it, and the scheduler's fax log, which starts it.
inline constexpr auto kReprintSwitch = "/8";

// The exit statuses of a reprint.
enum class ReprintOutcome : int {
    Printed = 0,
    PrinterError = 1,  // the printer failed, or Printer_Type names none of the system's
    Busy = 3,          // a run of the print utility goes on: nothing was done
    NotFiled = 4,      // no such message in the profile's filed folders
    NotPrinted = 5,    // the message holds nothing the run would print
};

}  // namespace torvex
