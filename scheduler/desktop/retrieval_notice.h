#pragma once

#include <QString>

#include <optional>

namespace torvex {

// What one retrieval left behind, as the print utility's summary and the
// out folder tell it once the run is over.
struct RetrievalSummary {
    bool finished = false;  // the utility wrote its summary ("quit"); else its counts are stale
    int torvexesPrinted = 0;
    int torvexesUnprintable = 0;
    int regularFaxesPrinted = 0;
    QString lastError;
    int receiptsWaiting = 0;  // receipts in Out/ that no server has taken
};

// Reads it after a run: `session` (when the run finished, i.e. wrote
// "quit") and `last_error` of [TORVEX], and the receipts in the program
// folder's Out/.
[[nodiscard]] RetrievalSummary readRetrievalSummary(const QString& programFolder, bool finished);

// A desktop notification: its one-line summary and the lines under it.
struct Notice {
    QString summary;
    QString body;
    bool urgent = false;  // something went wrong
};

// The one notification a retrieval is worth, or none when nothing
// happened. What stays as it was after the retrieval before (the same
// error, no more receipts waiting) is not told again run after run.
[[nodiscard]] std::optional<Notice> noticeFor(const RetrievalSummary& now, const RetrievalSummary& before);

}  // namespace torvex
