#pragma once

#include <QString>

namespace torvex {

// The name an attachment is listed under, from the name a sender gave it:
// control characters (NUL, line ends) dropped, ";" (which starts the content
// code), "/" and "\" replaced, at most 255 characters with the extension
// kept. Empty stays empty.
[[nodiscard]] QString safeAttachmentName(const QString& name);

// The file a decoded attachment is written to: a plain name inside the
// temp folder, whatever the attachment is called, unique per index.
[[nodiscard]] QString attachmentFileName(int index, const QString& name);

}  // namespace torvex
