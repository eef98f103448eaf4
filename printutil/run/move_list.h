#pragma once

#include <QString>

#include <vector>

namespace torvex {

class MailboxSystem;

// The messages to be filed once the message loop is done: pairs of
// destination folder ID and message ID, executed in the order added.
//
// With a journal, every entry is also appended to that file as it is
// added, so a run that is ended before its moves (killed, power lost)
// leaves its decisions behind; the next run files those messages first
// instead of printing them again.
class MoveList {
public:
    struct Entry {
        QString folderId;
        QString messageId;
    };

    // journalPath empty: the list is kept in memory only.
    explicit MoveList(QString journalPath = QString());

    void reserve(int count) { entries_.reserve(size_t(qMax(0, count))); }
    void add(const QString& folderId, const QString& messageId);
    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }

    // Fetches each message by its ID and moves it. An entry whose message
    // cannot be fetched or moved is passed over (the message stays where
    // it is, for the next run); returns how many were moved. The journal
    // is removed afterwards.
    int execute(MailboxSystem& mailbox) const;

    // Executes the entries a journal left by an earlier run holds and
    // removes it; a last line cut short is passed over. Returns how many
    // messages were moved.
    static int replayJournal(const QString& journalPath, MailboxSystem& mailbox);

private:
    QString journalPath_;
    std::vector<Entry> entries_;
};

}  // namespace torvex
