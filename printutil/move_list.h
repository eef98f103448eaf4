#pragma once

#include <QString>

#include <vector>

namespace torvex {

class MailboxSystem;

// The messages to be filed once the message loop is done: pairs of
// destination folder ID and message ID, executed in the order added.
class MoveList {
public:
    struct Entry {
        QString folderId;
        QString messageId;
    };

    void reserve(int count) { entries_.reserve(size_t(qMax(0, count))); }
    void add(const QString& folderId, const QString& messageId) { entries_.push_back({folderId, messageId}); }
    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }

    // Fetches each message by its ID and moves it. An entry whose message
    // cannot be fetched or moved is passed over (the message stays where
    // it is, for the next run); returns how many were moved.
    int execute(MailboxSystem& mailbox) const;

private:
    std::vector<Entry> entries_;
};

}  // namespace torvex
