#pragma once

#include <QString>

namespace torvex {

// What one start of the print utility does, decided by its one switch.
enum class RunKind {
    NoCommandLine,   // refused: the utility is started by the scheduler
    Retrieve,        // "/0": fetch, then print
    RegularFaxOnly,  // "/1"
    TestMessage,     // "/2"
    WakeUpRetrieve,  // "/3": fetch and print, with retries
    PauseThenPrint,  // "/4": no fetch, a pause after the printer selection
    RegularEMail,    // "/5"
    TestMode,        // "/7": print everything, leave the Inbox as it is
    PrintOnly,       // anything else ("/6" included): no fetch
};

[[nodiscard]] RunKind runKindFor(const QString& commandLine);

// Kinds that fetch new mail before processing the Inbox.
[[nodiscard]] bool fetchesMail(RunKind kind);

}  // namespace torvex
