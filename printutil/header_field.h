#pragma once

#include <QString>

namespace torvex {

// The value of one header field of a header text. The field name carries
// its colon (and the trailing space where the caller gives one), e.g.
// "From:" or "Subject: ". A name counts only at the very start of the text
// or right after CR, LF or tab, so "X-Original-From:" is never "From:".
// One folded continuation line is joined; a field without a line end reads
// as empty.
[[nodiscard]] QString GetHeaderField(const QString& text, const QString& fieldName);

// What follows the first "." of a file name, after one enclosing double
// quote at either end is removed; empty when there is no ".".
[[nodiscard]] QString GetFileExtension(const QString& fileName);

}  // namespace torvex
