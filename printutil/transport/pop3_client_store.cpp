#include "pop3_client_store.h"

#include "pop3_uidl_record.h"

#include "platform/files/durable_file.h"
#include "platform/mail/mail_text.h"

#include <QFileInfo>

#include <unistd.h>

namespace torvex {
namespace {

// A partial line longer than this is written out rather than held.
constexpr qsizetype kHeldLine = 4096;
constexpr qsizetype kLongestStatusLine = 4096;
constexpr qint64 kSlackBytes = 64 * 1024;

}  // namespace

QString partialMarkerFor(const QString& path)
{
    return path + QStringLiteral(".partial");
}

qint64 retrievalLimit(qint64 announced, qint64 maxBytes)
{
    return qMin(maxBytes, 2 * announced + kSlackBytes);
}

RetrievedMessageFile::RetrievedMessageFile(const QString& path, const QByteArray& uid, qint64 maxBytes)
    : path_(path), uid_(uid), file_(path), maxBytes_(maxBytes)
{
    const bool marked = writeDurably(partialMarkerFor(path), uid);
    QFile::remove(path);
    failed_ = !marked || !file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

RetrievedMessageFile::~RetrievedMessageFile()
{
    file_.close();
    if (!committed_) {
        QFile::remove(path_);
        QFile::remove(partialMarkerFor(path_));
    }
}

RetrievedMessageFile::Progress RetrievedMessageFile::feed(QByteArrayView data)
{
    if (failed_)
        return Progress::Refused;
    if (complete_)
        return Progress::Complete;
    pending_.append(data);
    if (!statusSeen_) {
        const Progress status = takeStatusLine();
        if (status != Progress::More || !statusSeen_)
            return status;
        received_ = pending_.size();
    } else {
        received_ += data.size();
    }
    if (received_ > limit_)
        return Progress::Oversized;
    qsizetype from = 0;
    for (;;) {
        const qsizetype lineEnd = pending_.indexOf(kCrLf, from);
        if (lineEnd < 0)
            break;
        QByteArrayView line = QByteArrayView(pending_).sliced(from, lineEnd - from);
        from = lineEnd + 2;
        if (!lineStarted_ && line == ".") {
            writeLine(".\r\n");
            complete_ = true;
            pending_.clear();
            return failed_ ? Progress::Refused : Progress::Complete;
        }
        if (!lineStarted_ && line.startsWith('.'))
            line = line.sliced(1);
        writeLine(line);
        writeLine(kCrLf);
        lineStarted_ = false;
    }
    pending_.remove(0, from);
    if (pending_.size() > kHeldLine) {
        // A long line: write all of it but a last CR that may begin the line end.
        if (!lineStarted_ && pending_.startsWith('.'))
            pending_.remove(0, 1);
        const qsizetype take = pending_.size() - 1;
        writeLine(QByteArrayView(pending_).first(take));
        pending_.remove(0, take);
        lineStarted_ = true;
    }
    return failed_ ? Progress::Refused : Progress::More;
}

RetrievedMessageFile::Progress RetrievedMessageFile::takeStatusLine()
{
    const qsizetype lineEnd = pending_.indexOf(kCrLf);
    if (lineEnd < 0)
        return pending_.size() > kLongestStatusLine ? Progress::Refused : Progress::More;
    const QByteArray status = pending_.left(lineEnd);
    const qsizetype ok = status.indexOf("+OK");
    if (ok < 0)
        return Progress::Refused;
    // The size follows "+OK " up to the next blank; it must be there.
    const QByteArray rest = status.mid(ok + 4);
    const QByteArray sizeText = rest.left(rest.indexOf(' ') < 0 ? rest.size() : rest.indexOf(' '));
    if (sizeText.isEmpty())
        return Progress::Refused;
    size_ = 0;
    for (const char c : sizeText) {
        if (c < '0' || c > '9')
            break;
        size_ = size_ * 10 + (c - '0');
        if (size_ > maxBytes_)
            return Progress::Oversized;
    }
    limit_ = retrievalLimit(size_, maxBytes_);
    writeLine(status);
    writeLine(kCrLf);
    pending_.remove(0, lineEnd + 2);
    statusSeen_ = true;
    return Progress::More;
}

void RetrievedMessageFile::writeLine(QByteArrayView line)
{
    if (file_.write(line.data(), line.size()) != line.size())
        failed_ = true;
}

bool RetrievedMessageFile::commit(UidlRecord* record)
{
    if (!complete_ || failed_ || !file_.flush())
        return false;
    const bool synced = ::fsync(file_.handle()) == 0;
    file_.close();
    if (!synced)
        return false;
    // Without its id on record the message is still stored whole; it is
    // then only fetched again when the session ends before QUIT.
    if (record && !uid_.isEmpty())
        (void)record->add(uid_);
    committed_ = QFile::remove(partialMarkerFor(path_));
    syncDirectory(QFileInfo(path_).absolutePath());
    return committed_;
}

}  // namespace torvex
