#include "mime_decoder_names.h"

namespace torvex {
namespace {

constexpr qsizetype kMaxName = 255;
constexpr qsizetype kMaxExtension = 64;
constexpr qsizetype kMaxFileNameTail = 64;

}  // namespace

QString safeAttachmentName(const QString& name)
{
    QString safe;
    safe.reserve(qMin(name.size(), kMaxName * 4));
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            continue;
        if (c == QLatin1Char(';') || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            safe.append(QLatin1Char('_'));
        else
            safe.append(c);
    }
    if (safe.size() <= kMaxName)
        return safe;
    // Shorten the part before the first "." so the type stays readable.
    const qsizetype dot = safe.indexOf(QLatin1Char('.'));
    if (dot >= 0 && safe.size() - dot <= kMaxExtension)
        return safe.left(kMaxName - (safe.size() - dot)) + safe.mid(dot);
    return safe.left(kMaxName);
}

QString attachmentFileName(int index, const QString& name)
{
    QString tail;
    for (const QChar c : name.right(kMaxFileNameTail)) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')
            || c == QLatin1Char('-') || c == QLatin1Char('_');
        tail.append(plain ? c : QLatin1Char('_'));
    }
    // The fixed prefix keeps the name from starting with "-" or "." and
    // from being "..": it is always an ordinary file in the folder.
    return QStringLiteral("part%1_%2").arg(index, 3, 10, QLatin1Char('0')).arg(tail);
}


}  // namespace torvex
