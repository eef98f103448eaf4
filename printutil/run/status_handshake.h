#pragma once

#include <QString>

namespace torvex {

// The keys through which the print utility tells the scheduler how its run
// goes. Each write replaces one key of [TORVEX].
void SetPrintStatus(const QString& text);

// Counters of one run; the first three feed the summary.
struct RunCounters {
    qint32 torvexesPrinted = 0;
    qint32 torvexesUnprintable = 0;
    qint32 regularFaxesPrinted = 0;
    qint32 regularFaxesUnprintable = 0;
};

// The final status line: " Printed ##0 TORVEXes + ##0 Regular Faxes".
[[nodiscard]] QString summaryStatusText(const RunCounters& counters);

// The "session" value: printed, unprintable, regular faxes printed, 0.
[[nodiscard]] QString sessionText(const RunCounters& counters);

// Writes last_error, the final print_status, printing, session, totals and,
// last of all, VXPrint = "quit".
void writeSummary(const QString& lastError, const RunCounters& counters);

}  // namespace torvex
