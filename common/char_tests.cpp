#include "char_tests.h"

#include <algorithm>

namespace torvex {
namespace {

[[nodiscard]] bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

[[nodiscard]] bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

}  // namespace

bool AlphaNumeric(const QString& text, bool blanksAllowed)
{
    return std::all_of(text.begin(), text.end(), [blanksAllowed](QChar c) {
        return isAsciiLetter(c) || isDigit(c) || (blanksAllowed && c == QLatin1Char(' '));
    });
}

bool HasBlank(const QString& text)
{
    return text.contains(QLatin1Char(' '));
}

QString NumbersOnly(const QString& text)
{
    QString digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), isDigit);
    return digits;
}

bool IsAllDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

bool IsPhoneChars(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return isDigit(c) || c == QLatin1Char(' ') || c == QLatin1Char('-');
    });
}

}  // namespace torvex
