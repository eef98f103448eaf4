#include "move_list.h"

#include "printutil/mailbox/mailbox_system.h"

#include <QFile>
#include <QUrl>

#include <utility>

namespace torvex {
namespace {

// One line per entry: both IDs percent-encoded, so neither a blank nor a
// line end in an ID can split it.
QByteArray journalLine(const MoveList::Entry& entry)
{
    return QUrl::toPercentEncoding(entry.folderId) + ' ' + QUrl::toPercentEncoding(entry.messageId) + '\n';
}

int moveAll(const std::vector<MoveList::Entry>& entries, MailboxSystem& mailbox)
{
    int moved = 0;
    for (const MoveList::Entry& entry : entries) {
        if (entry.folderId.isEmpty())
            continue;
        const std::unique_ptr<MailMessage> message = mailbox.GetMessage(entry.messageId);
        if (message && message->MoveTo(entry.folderId))
            ++moved;
    }
    return moved;
}

}  // namespace

MoveList::MoveList(QString journalPath) : journalPath_(std::move(journalPath)) {}

void MoveList::add(const QString& folderId, const QString& messageId)
{
    entries_.push_back({folderId, messageId});
    if (journalPath_.isEmpty())
        return;
    // One write of the whole line: a run ended at any point leaves whole
    // lines and at most a cut last one.
    QFile journal(journalPath_);
    if (journal.open(QIODevice::WriteOnly | QIODevice::Append))
        journal.write(journalLine(entries_.back()));
}

int MoveList::execute(MailboxSystem& mailbox) const
{
    const int moved = moveAll(entries_, mailbox);
    if (!journalPath_.isEmpty())
        QFile::remove(journalPath_);
    return moved;
}

int MoveList::replayJournal(const QString& journalPath, MailboxSystem& mailbox)
{
    if (journalPath.isEmpty())
        return 0;
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly))
        return 0;
    std::vector<Entry> entries;
    const QByteArray content = journal.readAll();
    journal.close();
    qsizetype start = 0;
    for (qsizetype end = content.indexOf('\n'); end >= 0; end = content.indexOf('\n', start)) {
        const QByteArray line = content.mid(start, end - start);
        start = end + 1;
        const qsizetype blank = line.indexOf(' ');
        if (blank <= 0)
            continue;
        entries.push_back({QUrl::fromPercentEncoding(line.left(blank)),
                           QUrl::fromPercentEncoding(line.mid(blank + 1))});
    }
    const int moved = moveAll(entries, mailbox);
    QFile::remove(journalPath);
    return moved;
}

}  // namespace torvex
