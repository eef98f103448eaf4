#pragma once

#include <QString>

namespace torvex {

// One folder name as a Maildir++ directory-name component, the way IMAP
// servers store it: non-ASCII text in IMAP's modified UTF-7 (RFC 3501),
// and the characters that would break the layout (".", "/", "\") escaped
// as "\" and two hex digits, as Dovecot's list escaping does.
[[nodiscard]] QString encodeMaildirFolderName(const QString& name);

// The reverse; a component that is not valid encoding is returned as it is.
[[nodiscard]] QString decodeMaildirFolderName(const QString& component);

}  // namespace torvex
