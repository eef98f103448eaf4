#pragma once

#include <QString>

namespace torvex {

// Character-class tests for entry fields. Characters are compared by code,
// one at a time; the empty text passes every "all characters" test.

// Every character is A-Z, a-z, 0-9, or a blank when blanks are allowed.
[[nodiscard]] bool AlphaNumeric(const QString& text, bool blanksAllowed);

// The text holds at least one blank.
[[nodiscard]] bool HasBlank(const QString& text);

// The digits of the text, in order, everything else dropped.
[[nodiscard]] QString NumbersOnly(const QString& text);

// Every character is a digit.
[[nodiscard]] bool IsAllDigits(const QString& text);

// Every character is a digit, a blank or "-".
[[nodiscard]] bool IsPhoneChars(const QString& text);

}  // namespace torvex
