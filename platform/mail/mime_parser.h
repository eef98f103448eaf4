#pragma once

#include "mail_header.h"

#include <QByteArray>
#include <QIODevice>

#include <functional>
#include <vector>

namespace torvex {

// The one MIME parser: it reads a message from a file in bounded memory,
// whatever its size or its line lengths, and tells where each entity's
// body lies in the file, so bodies are decoded later straight from the
// file, piece by piece.

// One entity of a message: the message itself, a part of a multipart, or
// the message a message/rfc822 part holds.
struct MimePart {
    MailHeader header;
    int parent = -1;  // the enclosing entity; -1 for the message
    int depth = 0;
    // Byte offsets in the input. The body is [bodyStart, bodyEnd): the line
    // end before a delimiter line belongs to the delimiter (RFC 2046 5.1.1).
    qint64 headerStart = 0;
    qint64 bodyStart = 0;
    qint64 bodyEnd = -1;
    // The parts of a multipart, or the message of a message/rfc822 part;
    // empty for a leaf (and for a multipart whose delimiters never came).
    std::vector<int> children;
};

struct MimeStructure {
    std::vector<MimePart> parts;  // parts[0] is the message; document order
    // More parts or deeper nesting than a mail program writes: the rest was
    // not split further.
    bool truncated = false;
};

// The structure of the message that fills the input from its start up to
// `end` (its size when -1). progress is called now and then on long inputs.
[[nodiscard]] MimeStructure parseMimeStructure(QIODevice& input, qint64 end = -1,
                                               const std::function<void()>& progress = {});

// Reads [from, to) of the input in pieces; false when it could not be read
// or sink returned false.
bool readInputRange(QIODevice& input, qint64 from, qint64 to,
                    const std::function<bool(QByteArrayView)>& sink);

// The part's body with its transfer encoding undone, in pieces; false when
// the input could not be read or sink returned false.
bool readPartBody(QIODevice& input, const MimePart& part, const std::function<bool(QByteArrayView)>& sink);

// The part's decoded body, at most maxBytes of it.
[[nodiscard]] QByteArray partBodyBytes(QIODevice& input, const MimePart& part, qsizetype maxBytes);

}  // namespace torvex
