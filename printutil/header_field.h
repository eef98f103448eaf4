#pragma once

#include <QString>

namespace torvex {

// Readers for RFC 822 header texts and MIME parameter lists, used on the
// raw POP3 files and on the header texts the run keeps for receipts.

// The value of a header field. fieldName holds the colon and, where the
// caller wants one, the trailing space ("From:", "Subject: "). The name is
// matched without regard to case and only at the start of the text or
// directly after CR, LF or tab. Folded continuation lines are joined: one
// that starts with a tab without the tab, one that starts with a blank with
// it. Empty when the field is missing or its line has no line end.
[[nodiscard]] QString GetHeaderField(const QString& text, const QString& fieldName);

// The text before the first delimiter; rest receives the text after it.
// Without the delimiter the result is empty and rest is the whole text.
[[nodiscard]] QString Parse(const QString& text, const QString& delimiter, QString& rest);

// The text with c removed once from its end and once from its start,
// where present.
[[nodiscard]] QString StripChar(QString text, QChar c);

// One element of a delimited parameter list. With byIndex, element number
// key (1-based) as it stands. Otherwise the value of the first "name=value"
// element whose trimmed name equals key without regard to case, untrimmed;
// the search ends at the first empty element. No match: empty.
[[nodiscard]] QString GetParam(const QString& value, const QString& delimiter, const QString& key,
                               bool byIndex);

struct ContentType {
    QString type;  // the trimmed first ";" element
    QString name;  // the trimmed "name" parameter, quotes kept
};

[[nodiscard]] ContentType ParseContentType(const QString& value);

// What follows the last "." of a file name, after one enclosing double
// quote was stripped from either end; empty without a ".". The last dot,
// so that "fax.2024-03-05.tif" is a TIFF file like "fax.tif".
[[nodiscard]] QString GetFileExtension(const QString& fileName);

// The text without leading and trailing blanks (only ' ', as the header
// texts use them), the way the header readers trim.
[[nodiscard]] QString trimBlanks(const QString& text);

}  // namespace torvex
