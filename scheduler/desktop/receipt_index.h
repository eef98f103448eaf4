#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace torvex {

// What the program folder's receipts tell of the messages they answer: a
// receipt still waiting in Out/ for a server to take it, or the copy of a
// sent one in MDNs/ (kept only with Save_MDNs), each with its page count.
struct ReceiptRecord {
    bool waiting = false;
    int pages = -1;  // -1: the receipt does not say
};

class ReceiptIndex {
public:
    // Reads the head of every receipt ("*.MDN") of the two folders; a
    // receipt waiting in Out/ counts over a sent copy of the same message.
    [[nodiscard]] static ReceiptIndex read(const QString& outFolder, const QString& mdnsFolder);

    // By the Message-Id of the received message, as its header gave it.
    [[nodiscard]] std::optional<ReceiptRecord> find(const QString& messageId) const;
    [[nodiscard]] int waitingCount() const { return waiting_; }

private:
    QHash<QString, ReceiptRecord> records_;
    int waiting_ = 0;
};

}  // namespace torvex
