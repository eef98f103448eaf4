#pragma once

#include "inbox_message.h"

#include <QByteArray>

namespace torvex {

// The message as an RFC 5322/MIME file: the text as its first part, each
// attachment as a Base64 part. What plain mail has no field for (the
// attachment names as the mailbox gives them, the recipient names, the
// time received, the message class) goes into X-Torvex- headers. An
// attachment whose file cannot be read is kept, empty.
[[nodiscard]] QByteArray composeInboxFile(const NewInboxMessage& message);

}  // namespace torvex
