#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace torvex {

// How message text and command arguments become what goes out on an SMTP
// connection.

// The end-of-data sequence the composed messages end with: an empty line,
// then the line holding a single ".".
inline constexpr auto kEndOfData = "\r\n\r\n.\r\n";

// Chunk size of the message data written to the socket.
inline constexpr int kSmtpChunkSize = 256;

// A value that goes into a header line or an SMTP command, on one line:
// every CR and LF is dropped, and where a line break was not followed by a
// blank a blank takes its place, so a folded value unfolds and a value
// smuggling "\r\nBcc: ..." stays inside its own line. The other control
// characters but the tab (ESC, BEL, NUL, DEL, ...) are dropped.
[[nodiscard]] QString oneLine(const QString& value);

// The message with kEndOfData appended unless it already ends with it.
[[nodiscard]] QString withEndOfData(const QString& message);

// The bytes of a text as they are stored in files and sent (UTF-8; the
// reverse is mailText of platform/mail_text.h).
[[nodiscard]] QByteArray mailBytes(const QString& text);

// The DATA of a message: withEndOfData(message), every line break made
// CR LF, and every line before the final "." line dot-stuffed (RFC 5321
// 4.5.2), so a line the sender wrote as "." cannot end the data early.
[[nodiscard]] QByteArray smtpData(const QString& message);

// The data cut into pieces of `size` bytes, the last holding the rest.
[[nodiscard]] QList<QByteArray> chunksOf(const QByteArray& data, int size = kSmtpChunkSize);

}  // namespace torvex
