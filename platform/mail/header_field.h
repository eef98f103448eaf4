#pragma once

#include <QString>

namespace torvex {

// Header fields looked up in header texts as they came (the raw POP3
// files, the header texts the run keeps for receipts, the stored receipts);
// the field's line is read by the one mail header reader (mail_header.h).

// The value of a header field. fieldName holds the colon and, where the
// caller wants one, the trailing space ("From:", "Subject: "). The name is
// matched without regard to case and only at the start of the text or
// directly after CR, LF or tab. Folded continuation lines are joined: one
// that starts with a tab without the tab, one that starts with a blank with
// it. Empty when the field is missing or its line has no line end.
[[nodiscard]] QString GetHeaderField(const QString& text, const QString& fieldName);

// What follows the last "." of a file name, after one enclosing double
// quote was stripped from either end; empty without a ".". The last dot,
// so that "fax.2024-03-05.tif" is a TIFF file like "fax.tif".
[[nodiscard]] QString GetFileExtension(const QString& fileName);

// The text without leading and trailing blanks (only ' ', as the header
// texts use them), the way the header readers trim.
[[nodiscard]] QString trimBlanks(const QString& text);

}  // namespace torvex
