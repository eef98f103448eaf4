#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace torvex {

// Stores one RETR reply as a raw file of the in folder, in the form the
// MIME decoder reads: the "+OK" status line, the message, and the
// end-of-data line ".". The byte-stuffing dot the server put before lines
// starting with "." is removed (RFC 1939), so the file holds each line as
// the sender wrote it. Memory stays bounded however long a line is.
class RetrievedMessageFile {
public:
    enum class Progress { More, Complete, Refused };

    // Replaces any old file of that name. While the download runs, a
    // marker beside the file says that it is not complete.
    explicit RetrievedMessageFile(const QString& path);
    ~RetrievedMessageFile();
    RetrievedMessageFile(const RetrievedMessageFile&) = delete;
    RetrievedMessageFile& operator=(const RetrievedMessageFile&) = delete;

    // Takes the next data received. Refused when the reply is not "+OK"
    // with a size, or when the file cannot be written.
    Progress feed(QByteArrayView data);

    // Writes the file through to the disk and drops the marker; only then
    // may the server delete the message.
    bool commit();

    // The size the status line announced (-1 before it arrived).
    [[nodiscard]] qint64 announcedSize() const { return size_; }

private:
    Progress takeStatusLine();
    void writeLine(QByteArrayView line);

    QString path_;
    QFile file_;
    QByteArray pending_;
    bool statusSeen_ = false;
    bool lineStarted_ = false;  // part of the current line is already written
    bool failed_ = false;
    bool complete_ = false;
    qint64 size_ = -1;
};

// The marker a download leaves beside a file it did not finish.
[[nodiscard]] QString partialMarkerFor(const QString& path);

}  // namespace torvex
