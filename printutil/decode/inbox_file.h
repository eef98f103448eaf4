#pragma once

#include "inbox_message.h"

#include <QIODevice>

namespace torvex {

// Writes the message as an RFC 5322/MIME file: the text as its first part,
// each attachment as a Base64 part, encoded from its file piece by piece so
// that memory stays bounded whatever its size. What plain mail has no field
// for (the attachment names as the mailbox gives them, the recipient names,
// the time received, the message class) goes into X-Torvex- headers. An
// attachment whose file cannot be read is kept, empty. False when the
// output could not be written.
bool writeInboxFile(const NewInboxMessage& message, QIODevice& out);

}  // namespace torvex
