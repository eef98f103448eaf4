#pragma once

#include "receipt_index.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QTemporaryDir;

namespace torvex {

enum class ReceiptState {
    None,     // none waits, none is kept (not asked for, or sent without Save_MDNs)
    Sent,     // a copy of the sent receipt is in MDNs/
    Waiting,  // in Out/: no server has taken it yet
};

// One fax the print run filed, as the log shows it.
struct FaxLogEntry {
    QString messageId;  // "<folder ID>/<unique name>", what "vxprintu /8" takes
    QString filePath;
    QDateTime received;
    QString sender;
    QString subject;
    int pages = -1;  // -1: not known
    bool printed = false;  // filed as "Printed", else "Unprintable"
    bool regularFax = false;
    ReceiptState receipt = ReceiptState::None;
};

// The faxes filed in a profile's Maildir ("TORVEXes" and "Regular Faxes",
// "Printed" and "Unprintable"), newest first. Opening lists file names
// only; a message is read the first time its entry is asked for, so a
// log of many thousands opens at once and reads only what is shown.
class FaxLog {
public:
    // maildirRoot: the profile's Maildir; programFolder: where Out/ and
    // MDNs/ keep the receipts.
    FaxLog(const QString& maildirRoot, QString programFolder);
    ~FaxLog();
    FaxLog(FaxLog&&) noexcept;
    FaxLog& operator=(FaxLog&&) noexcept;

    [[nodiscard]] int size() const { return int(items_.size()); }
    // 0 is the newest. Time and outcome are known from the listing; the
    // rest is read from the message (and the receipts) here, once.
    [[nodiscard]] const FaxLogEntry& entry(int row);
    // The message's fax files (images, text, PDF) written out for the
    // desktop's viewer, into a private folder the log removes; empty when
    // it has none.
    [[nodiscard]] QStringList writeFaxFiles(int row);
    // What the built-in PDF printer wrote for the message (every printing
    // of it), oldest first; empty when it went to another printer.
    [[nodiscard]] QStringList printouts(int row) const;

private:
    struct Item {
        FaxLogEntry entry;
        qint64 delivered = 0;  // into the Inbox, in seconds: the order of the log
        bool read = false;
    };
    void readDetails(Item& item);
    [[nodiscard]] QTemporaryDir& scratch();

    QString programFolder_;
    std::vector<Item> items_;
    std::optional<ReceiptIndex> receipts_;
    std::unique_ptr<QTemporaryDir> scratch_;
};

}  // namespace torvex
