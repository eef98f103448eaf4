#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace torvex {

// What the program folder's receipts tell of the messages they answer: a
// receipt still waiting in Out/ for a server to take it, or the copy of a
// sent one in MDNs/ (kept only with Save_MDNs), each with its page count.
struct ReceiptRecord {
    bool waiting = false;
    int pages = -1;  // -1: the receipt does not say
};

// Receipts are named by the second they were composed ("yyyymmddhhnnss.MDN"),
// which comes after their message was delivered. The few in Out/ are read
// at once; those in MDNs/ (one per fax, many thousands) newest first, only
// as far back as a message asked for needs, so the newest faxes' receipts
// are found without reading the others.
class ReceiptIndex {
public:
    ReceiptIndex(const QString& outFolder, QString mdnsFolder);

    // The receipt of the message with that Message-Id, delivered at that
    // time (invalid: unknown, every receipt may be read).
    [[nodiscard]] std::optional<ReceiptRecord> find(const QString& messageId, const QDateTime& delivered);
    [[nodiscard]] int waitingCount() const { return waiting_; }

private:
    void readReceipt(const QString& path, bool waiting);

    QHash<QString, ReceiptRecord> records_;
    QString mdnsFolder_;
    QStringList unread_;  // names in MDNs/, oldest first: read from the back
    int waiting_ = 0;
};

}  // namespace torvex
