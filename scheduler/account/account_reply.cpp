#include "scheduler/account/account_reply.h"

#include <optional>

namespace torvex {
namespace {

// The 1-based position of what in text from start on, 0 when absent;
// nothing for a start before the first character.
[[nodiscard]] std::optional<qsizetype> inStr(qsizetype start, const QString& text,
                                             const QString& what)
{
    if (start < 1)
        return std::nullopt;
    if (start > text.size())
        return 0;
    return text.indexOf(what, start - 1, Qt::CaseInsensitive) + 1;
}

// The length characters from the 1-based start; empty when length is
// negative or start lies beyond the text.
[[nodiscard]] QString mid(const QString& text, qsizetype start, qsizetype length)
{
    if (start < 1 || length < 0)
        return {};
    return text.mid(start - 1, length);
}

}  // namespace

QString GetTag(const QString& tag, qsizetype posbegin, const QString& Response, qsizetype& posend)
{
    const std::optional<qsizetype> open =
        inStr(posbegin, Response, QLatin1Char('<') + tag + QLatin1Char('>'));
    if (!open || *open == 0)
        return {};
    const qsizetype p = *open;
    const qsizetype close = *inStr(p, Response, QStringLiteral("</") + tag + QLatin1Char('>'));
    const QString result = close == 0 ? QString() : mid(Response, p + tag.size() + 2, close - p - tag.size() - 2);
    posend = close + tag.size() + 3;
    return result;
}

QString GetReply2(const QString& tag, qsizetype posbegin, const QString& Response, qsizetype& posend)
{
    const std::optional<qsizetype> marker =
        inStr(posbegin, Response, QLatin1Char('<') + tag + QLatin1Char('>'));
    QString result;
    if (marker) {
        posend = *marker;
        if (posend > 0)
            result = mid(Response, posbegin, posend - posbegin);
    }
    posend += tag.size();
    return result;
}

}  // namespace torvex
