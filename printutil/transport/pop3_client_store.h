#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace torvex {

class UidlRecord;

// Stores one RETR reply as a raw file of the in folder, in the form the
// MIME decoder reads: the "+OK" status line, the message, and the
// end-of-data line ".". The byte-stuffing dot the server put before lines
// starting with "." is removed (RFC 1939), so the file holds each line as
// the sender wrote it. Memory stays bounded however long a line is, and the
// file however much the server sends: the message may not grow past a
// limit derived from the size its status line announced, nor past the cap.
class RetrievedMessageFile {
public:
    enum class Progress { More, Complete, Refused, Oversized };

    // While the download runs, a marker beside the file says that it is
    // not complete; it holds the message's unique id (may be empty).
    RetrievedMessageFile(const QString& path, const QByteArray& uid, qint64 maxBytes);
    // A file never committed is removed with its marker.
    ~RetrievedMessageFile();
    RetrievedMessageFile(const RetrievedMessageFile&) = delete;
    RetrievedMessageFile& operator=(const RetrievedMessageFile&) = delete;

    // Takes the next data received. Refused when the reply is not "+OK"
    // with a size, or when the file cannot be written; Oversized when the
    // announced size is above the cap or the message grew past its limit.
    Progress feed(QByteArrayView data);

    // Writes the file through to the disk, records its id (when it has one
    // and a record is given) and only then drops the marker: from then on
    // the server may delete the message.
    bool commit(UidlRecord* record);

    // The in folder did not take what arrived (disk full, no permission).
    [[nodiscard]] bool writeFailed() const { return failed_; }

    // The size the status line announced (-1 before it arrived).
    [[nodiscard]] qint64 announcedSize() const { return size_; }

private:
    Progress takeStatusLine();
    void writeLine(QByteArrayView line);

    QString path_;
    QByteArray uid_;
    QFile file_;
    QByteArray pending_;
    qint64 maxBytes_;
    qint64 limit_ = -1;     // most bytes the reply may bring after its status line
    qint64 received_ = 0;   // bytes received after the status line
    bool statusSeen_ = false;
    bool lineStarted_ = false;  // part of the current line is already written
    bool failed_ = false;
    bool complete_ = false;
    bool committed_ = false;
    qint64 size_ = -1;
};

// The marker a download leaves beside a file it did not finish.
[[nodiscard]] QString partialMarkerFor(const QString& path);

// Slack over the announced size: servers count line ends and stuffing
// differently, so a message may take up to twice its size and a little.
[[nodiscard]] qint64 retrievalLimit(qint64 announced, qint64 maxBytes);

}  // namespace torvex
